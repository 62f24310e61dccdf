#pragma once
// An interned name: one pointer into the string registry. Equal ids are equal pointers,
// so names compare and hash as one word; null is the empty name.
#include "forge/stringRegistry/Fnv1a.h"

#include <cstddef>
#include <functional>
#include <string_view>

namespace Kiln
{
    class StringRegistry;

    class StringId
    {
    public:
        constexpr StringId() = default;

        // The interned pointer itself; null for the empty name.
        constexpr const char* GetPointer() const { return myString; }
        // The text, never null: the empty name reads as "".
        constexpr const char* GetString() const { return myString ? myString : ""; }
        constexpr std::string_view GetView() const { return myString ? std::string_view(myString) : std::string_view(); }
        constexpr bool IsNull() const { return myString == nullptr; }

        friend constexpr bool operator==(StringId aLeft, StringId aRight) { return aLeft.myString == aRight.myString; }

    private:
        friend class StringRegistry;
        explicit constexpr StringId(const char* anInterned) : myString(anInterned) {}

        const char* myString = nullptr;
    };

    static_assert(sizeof(StringId) == sizeof(const char*));
}

// Hashes the characters (FNV-1a, null as ""), so a table keyed by ids spreads them the same
// way in every run; equality stays pointer identity.
template <>
struct std::hash<Kiln::StringId>
{
    std::size_t operator()(Kiln::StringId anId) const noexcept
    {
        return static_cast<std::size_t>(Kiln::Fnv1a64(anId.GetView()));
    }
};
