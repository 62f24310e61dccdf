#pragma once
// XXH64, the 64-bit xxHash of a byte range (the GUID registry's hash).
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Kiln::impl
{
    namespace xxh64
    {
        inline constexpr std::uint64_t PRIME_1 = 0x9E3779B185EBCA87ull;
        inline constexpr std::uint64_t PRIME_2 = 0xC2B2AE3D27D4EB4Full;
        inline constexpr std::uint64_t PRIME_3 = 0x165667B19E3779F9ull;
        inline constexpr std::uint64_t PRIME_4 = 0x85EBCA77C2B2AE63ull;
        inline constexpr std::uint64_t PRIME_5 = 0x27D4EB2F165667C5ull;

        inline std::uint64_t RotateLeft(std::uint64_t aValue, int aBits)
        {
            return (aValue << aBits) | (aValue >> (64 - aBits));
        }

        // Little-endian reads, as the hash is defined.
        inline std::uint64_t Read64(const unsigned char* someBytes)
        {
            std::uint64_t value = 0;
            for (int i = 7; i >= 0; --i)
            {
                value = (value << 8) | someBytes[i];
            }
            return value;
        }

        inline std::uint32_t Read32(const unsigned char* someBytes)
        {
            std::uint32_t value = 0;
            for (int i = 3; i >= 0; --i)
            {
                value = (value << 8) | someBytes[i];
            }
            return value;
        }

        inline std::uint64_t Round(std::uint64_t anAccumulator, std::uint64_t aLane)
        {
            anAccumulator += aLane * PRIME_2;
            anAccumulator = RotateLeft(anAccumulator, 31);
            return anAccumulator * PRIME_1;
        }

        inline std::uint64_t MergeRound(std::uint64_t anAccumulator, std::uint64_t aValue)
        {
            anAccumulator ^= Round(0, aValue);
            return anAccumulator * PRIME_1 + PRIME_4;
        }
    }

    inline std::uint64_t Xxh64(const void* someData, std::size_t aSize, std::uint64_t aSeed = 0)
    {
        using namespace xxh64;
        const auto* bytes = static_cast<const unsigned char*>(someData);
        const unsigned char* const end = bytes + aSize;
        std::uint64_t hash;

        if (aSize >= 32)
        {
            std::uint64_t v1 = aSeed + PRIME_1 + PRIME_2;
            std::uint64_t v2 = aSeed + PRIME_2;
            std::uint64_t v3 = aSeed;
            std::uint64_t v4 = aSeed - PRIME_1;
            const unsigned char* const limit = end - 32;
            do
            {
                v1 = Round(v1, Read64(bytes));
                v2 = Round(v2, Read64(bytes + 8));
                v3 = Round(v3, Read64(bytes + 16));
                v4 = Round(v4, Read64(bytes + 24));
                bytes += 32;
            } while (bytes <= limit);
            hash = RotateLeft(v1, 1) + RotateLeft(v2, 7) + RotateLeft(v3, 12) + RotateLeft(v4, 18);
            hash = MergeRound(hash, v1);
            hash = MergeRound(hash, v2);
            hash = MergeRound(hash, v3);
            hash = MergeRound(hash, v4);
        }
        else
        {
            hash = aSeed + PRIME_5;
        }
        hash += static_cast<std::uint64_t>(aSize);

        while (end - bytes >= 8)
        {
            hash ^= Round(0, Read64(bytes));
            hash = RotateLeft(hash, 27) * PRIME_1 + PRIME_4;
            bytes += 8;
        }
        if (end - bytes >= 4)
        {
            hash ^= static_cast<std::uint64_t>(Read32(bytes)) * PRIME_1;
            hash = RotateLeft(hash, 23) * PRIME_2 + PRIME_3;
            bytes += 4;
        }
        while (bytes < end)
        {
            hash ^= static_cast<std::uint64_t>(*bytes) * PRIME_5;
            hash = RotateLeft(hash, 11) * PRIME_1;
            ++bytes;
        }

        hash ^= hash >> 33;
        hash *= PRIME_2;
        hash ^= hash >> 29;
        hash *= PRIME_3;
        hash ^= hash >> 32;
        return hash;
    }
}
