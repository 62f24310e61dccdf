#pragma once
// 64-bit FNV-1a: the one string hash the engine's name tables share, so a name hashes
// the same wherever it is looked up.
#include <cstdint>
#include <string_view>

namespace Kiln
{
    inline constexpr std::uint64_t FNV1A_OFFSET_BASIS = 0xcbf29ce484222325ull;
    inline constexpr std::uint64_t FNV1A_PRIME = 0x100000001b3ull;

    constexpr std::uint64_t Fnv1a64(std::string_view aText)
    {
        std::uint64_t hash = FNV1A_OFFSET_BASIS;
        for (const char c : aText)
        {
            hash ^= static_cast<std::uint8_t>(c);
            hash *= FNV1A_PRIME;
        }
        return hash;
    }
}
