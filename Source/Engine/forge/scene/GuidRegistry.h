#pragma once
// Dense, process-wide indices for GUIDs: scene object files are named by GUID, and the
// scenes key their objects by the GUID's index. Index 0 is the nil GUID and every text
// that is not a GUID; new GUIDs take 1, 2, ... and keep their index for the process's life.
// Main thread only.
#include "Platform/guid/Uuid.h"

#include <cstdint>

namespace Kiln
{
    class GuidRegistry
    {
    public:
        // The index of the GUID that aText spells, registered on first sight. A null text or
        // one that is not a GUID gives 0 and registers nothing.
        static std::uint32_t GetIndex(const char* aText);

        // Diagnostics: GUIDs held (the nil GUID included) and the GUID at an index.
        static std::uint32_t GetCount();
        static const Plat::Guid::Uuid& GetGuid(std::uint32_t anIndex);
    };
}
