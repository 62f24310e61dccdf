#pragma once
// A seeded mutator for fuzzing the FBX readers: bit flips, byte and word overwrites with
// boundary values, truncation, chunk duplication and deletion.
#include <cstdint>
#include <random>
#include <string>

namespace KilnTest
{
    class FbxMutator
    {
    public:
        explicit FbxMutator(uint32_t aSeed) : myRandom(aSeed) {}

        // One to three mutations of someBytes.
        std::string Mutate(std::string someBytes);
        size_t Pick(size_t aCount) { return aCount == 0 ? 0 : std::uniform_int_distribution<size_t>(0, aCount - 1)(myRandom); }

    private:
        std::mt19937 myRandom;
    };
}
