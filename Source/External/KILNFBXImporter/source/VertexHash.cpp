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

        uint64_t Fnv1a(const unsigned char* someBytes, size_t aCount)
        {
            uint64_t h = FnvOffsetBasis;
            for (size_t i = 0; i < aCount; ++i)
            {
                h ^= someBytes[i];
                h *= FnvPrime;
            }
            return h;
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
        uint32_t fields[FieldCount];
        Fields(aVertex, fields);
        uint64_t seed = 0;
        for (uint32_t field : fields)
        {
            unsigned char bytes[4];
            std::memcpy(bytes, &field, 4);
            const uint64_t h = Fnv1a(bytes, 4);
            seed ^= h + 0x9e3779b9ull + (seed << 6) + (seed >> 2);
        }
        return seed;
    }

    bool SameVertex(const FBXVertex& a, const FBXVertex& b)
    {
        uint32_t fa[FieldCount], fb[FieldCount];
        Fields(a, fa);
        Fields(b, fb);
        return std::memcmp(fa, fb, sizeof(fa)) == 0;
    }

    size_t VertexHashKeyHasher::operator()(uint64_t aKey) const
    {
        unsigned char bytes[8];
        std::memcpy(bytes, &aKey, 8);
        return static_cast<size_t>(Fnv1a(bytes, 8));
    }
}
