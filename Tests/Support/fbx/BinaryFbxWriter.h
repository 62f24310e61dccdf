#pragma once
// The binary FBX writer is shared with the content tools; tests name it through KilnTest.
#include "FbxWriter/BinaryFbxWriter.h"

#include "Platform/fbx/Document.h"

namespace KilnTest
{
    using KilnTools::BinaryFbxOptions;
    using KilnTools::ConvertToBinaryFbx;
    using KilnTools::ReadWholeFile;
    using KilnTools::WriteBinaryFbx;
    using KilnTools::WriteWholeFile;

    // A record and a Properties70 entry ("P": name, type, "", "A", values) for building documents.
    inline Plat::Fbx::Element Record(std::string aName, std::vector<Plat::Fbx::Value> someValues = {},
                                     std::vector<Plat::Fbx::Element> someChildren = {})
    {
        return Plat::Fbx::Element{std::move(aName), std::move(someValues), std::move(someChildren)};
    }

    inline Plat::Fbx::Element P(const std::string& aName, const std::string& aType, std::vector<Plat::Fbx::Value> someValues)
    {
        std::vector<Plat::Fbx::Value> values{aName, aType, std::string(), std::string("A")};
        values.insert(values.end(), someValues.begin(), someValues.end());
        return Record("P", values);
    }
}
