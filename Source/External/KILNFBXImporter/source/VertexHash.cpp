#include "VertexHash.h"

#include <bit>
#include <cstring>

namespace KILNFBXImporter
{
    namespace
    {
        constexpr uint64_t FnvOffsetBasis = 0xcbf29ce484222325ull;
        constexpr uint64_t FnvPrime = 0x100000001b3ull;
        constexpr int FieldCount = 45;
        // Fields 37-40 are the bone indices; the rest, weights included, are floats.
        constexpr int FirstIndexField = 37;
        constexpr int IndexFieldCount = 4;

        // The full product of two 64-bit words (a GCC and Clang extension).
        __extension__ typedef unsigned __int128 Wide;

        // FNV-1a over the field's four bytes, lowest first (its order in memory).
        inline uint64_t FieldHash(uint32_t aField)
        {
            uint64_t h = (FnvOffsetBasis ^ (aField & 0xffu)) * FnvPrime;
            h = (h ^ ((aField >> 8) & 0xffu)) * FnvPrime;
            h = (h ^ ((aField >> 16) & 0xffu)) * FnvPrime;
            return (h ^ (aField >> 24)) * FnvPrime;
        }

        // The vertex as its 45 32-bit fields, with negative zero made positive.
        void Fields(const FBXVertex& aVertex, uint32_t someFields[FieldCount])
        {
            std::memcpy(someFields, &aVertex, sizeof(FBXVertex));
            for (int i = 0; i < FieldCount; ++i)
                if (someFields[i] == 0x80000000u && (i < FirstIndexField || i >= FirstIndexField + IndexFieldCount))
                    someFields[i] = 0;
        }
    }

    uint64_t VertexHash(const FBXVertex& aVertex)
    {
        static_assert(sizeof(FBXVertex) == FieldCount * 4);
        static_assert(std::endian::native == std::endian::little, "fields are hashed in their memory byte order");
        uint32_t fields[FieldCount];
        std::memcpy(fields, &aVertex, sizeof(FBXVertex));
        // Unrolled and branch-free, so the field hashes (independent of each other) overlap
        // and only the mix runs in sequence.
        uint64_t seed = 0;
#pragma GCC unroll 45
        for (int i = 0; i < FieldCount; ++i)
        {
            const bool isFloat = i < FirstIndexField || i >= FirstIndexField + IndexFieldCount;
            const uint32_t field = isFloat && fields[i] == 0x80000000u ? 0u : fields[i];
            seed ^= FieldHash(field) + 0x9e3779b9ull + (seed << 6) + (seed >> 2);
        }
        return seed;
    }

    bool SameVertex(const FBXVertex& a, const FBXVertex& b)
    {
        if (std::memcmp(&a, &b, sizeof(FBXVertex)) == 0)
            return true;
        uint32_t fa[FieldCount], fb[FieldCount];
        Fields(a, fa);
        Fields(b, fb);
        return std::memcmp(fa, fb, sizeof(fa)) == 0;
    }

    uint64_t TableHash(const FBXVertex& aVertex)
    {
        // The fields as twelve pairs of 64-bit words, each pair folded by a 128-bit product
        // with its own constants (as wyhash does); every field that is a negative zero (as a
        // float) is hashed as zero, bone indices too, which only costs a compare.
        constexpr uint64_t S0 = 0xa0761d6478bd642full, S1 = 0xe7037ed1a0b428dbull, S2 = 0x8ebc6af09c88c6e3ull;
        uint32_t fields[48] = {};
        std::memcpy(fields, &aVertex, sizeof(FBXVertex));
        for (uint32_t& field : fields)
            field = field == 0x80000000u ? 0u : field;
        uint64_t words[24];
        std::memcpy(words, fields, sizeof(words));
        auto fold = [](uint64_t a, uint64_t b) {
            const Wide product = static_cast<Wide>(a) * b;
            return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
        };
        uint64_t sum = 0;
#pragma GCC unroll 12
        for (uint64_t i = 0; i < 12; ++i)
            sum += fold(words[2 * i] ^ (S0 + i * S2), words[2 * i + 1] ^ S1);
        return fold(sum ^ S0, (sum >> 32) ^ S2);
    }
}
