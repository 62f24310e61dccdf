#include "Support/fbx/FbxMutator.h"

#include <cstring>

namespace KilnTest
{
    std::string FbxMutator::Mutate(std::string someBytes)
    {
        const size_t rounds = 1 + Pick(3);
        for (size_t round = 0; round < rounds && !someBytes.empty(); ++round)
        {
            const size_t at = Pick(someBytes.size());
            switch (Pick(6))
            {
            case 0: someBytes[at] = static_cast<char>(someBytes[at] ^ (1 << Pick(8))); break;
            case 1: someBytes[at] = static_cast<char>(Pick(256)); break;
            case 2:
            {
                const uint32_t values[] = {0u, 1u, 0xffffffffu, 0x7fffffffu, 0x80000000u,
                                           static_cast<uint32_t>(someBytes.size()), static_cast<uint32_t>(someBytes.size() + 1),
                                           static_cast<uint32_t>(Pick(64))};
                const uint32_t value = values[Pick(std::size(values))];
                if (at + 4 <= someBytes.size())
                    std::memcpy(&someBytes[at], &value, 4);
                break;
            }
            case 3: someBytes.resize(at); break;
            case 4:
            {
                const size_t length = 1 + Pick(std::min<size_t>(64, someBytes.size() - at));
                someBytes.insert(at, someBytes.substr(at, length));
                break;
            }
            default:
            {
                const size_t length = 1 + Pick(std::min<size_t>(64, someBytes.size() - at));
                someBytes.erase(at, length);
                break;
            }
            }
        }
        return someBytes;
    }
}
