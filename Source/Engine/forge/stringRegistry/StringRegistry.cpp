#include "forge/stringRegistry/StringRegistry.h"

#include "Platform/runtime/Assert.h"

#include <cstring>
#include <vector>

namespace Kiln
{
    namespace
    {
        // Chained hash set of interned texts. Entries live in one array and chain by index,
        // so interning a name costs no allocation of its own (the arrays grow geometrically).
        class StringIndex
        {
        public:
            StringIndex() : myHeads(INITIAL_BUCKETS, END) {}

            const char* Find(std::string_view aText, std::uint64_t aHash) const
            {
                for (std::uint32_t i = myHeads[aHash & (myHeads.size() - 1)]; i != END; i = myEntries[i].myNext)
                {
                    const Entry& entry = myEntries[i];
                    if (entry.myHash == aHash && entry.myLength == aText.size() &&
                        std::memcmp(entry.myText, aText.data(), aText.size()) == 0)
                    {
                        return entry.myText;
                    }
                }
                return nullptr;
            }

            void Insert(const char* aText, std::size_t aLength, std::uint64_t aHash)
            {
                // Maximum load factor 1.0: double the power-of-two bucket array before it is exceeded.
                if (myEntries.size() + 1 > myHeads.size())
                {
                    Rehash(myHeads.size() * 2);
                }
                const std::size_t bucket = aHash & (myHeads.size() - 1);
                myEntries.push_back(Entry{aHash, aText, static_cast<std::uint32_t>(aLength), myHeads[bucket]});
                myHeads[bucket] = static_cast<std::uint32_t>(myEntries.size() - 1);
            }

        private:
            static constexpr std::size_t INITIAL_BUCKETS = 1024;
            static constexpr std::uint32_t END = 0xFFFFFFFFu;

            struct Entry
            {
                std::uint64_t myHash;
                const char* myText;
                std::uint32_t myLength;
                std::uint32_t myNext;
            };

            void Rehash(std::size_t aBucketCount)
            {
                myHeads.assign(aBucketCount, END);
                for (std::uint32_t i = 0; i < myEntries.size(); ++i)
                {
                    const std::size_t bucket = myEntries[i].myHash & (aBucketCount - 1);
                    myEntries[i].myNext = myHeads[bucket];
                    myHeads[bucket] = i;
                }
            }

            std::vector<std::uint32_t> myHeads;
            std::vector<Entry> myEntries;
        };

        struct RegistryState
        {
            std::vector<char*> myPages;
            std::uint32_t myBytesLeft = 0; // 0 makes the first registration open the first page
            StringIndex myIndex;
        };

        // Never destroyed: ids must stay readable by code that runs during static destruction.
        RegistryState& GetState()
        {
            static RegistryState* state = new RegistryState();
            return *state;
        }
    }

    StringId StringRegistry::RegisterOrGetString(std::string_view aString)
    {
        if (!(aString.size() + 1 <= STRING_REGISTRY_SIZE_LIMIT))
        {
            KILN_ASSERT(aString.size() + 1 <= STRING_REGISTRY_SIZE_LIMIT);
            return StringId();
        }

        // The interned text ends at the first NUL; look it up as that text, so a view with
        // an embedded NUL finds the same id as the text before it.
        const std::size_t nul = aString.find('\0');
        if (nul != std::string_view::npos)
        {
            aString = aString.substr(0, nul);
        }
        if (aString.empty())
        {
            return StringId();
        }

        RegistryState& state = GetState();
        const std::uint64_t hash = Fnv1a64(aString);
        if (const char* found = state.myIndex.Find(aString, hash))
        {
            return StringId(found);
        }

        const std::uint32_t needed = static_cast<std::uint32_t>(aString.size() + 1);
        if (needed > state.myBytesLeft)
        {
            // The rest of the old page is abandoned.
            state.myPages.push_back(new char[STRING_REGISTRY_PAGE_SIZE]());
            state.myBytesLeft = STRING_REGISTRY_PAGE_SIZE;
        }
        char* destination = state.myPages.back() + (STRING_REGISTRY_PAGE_SIZE - state.myBytesLeft);
        state.myBytesLeft -= needed;
        // The page is zero-filled, so the byte after the copy already terminates it.
        std::memcpy(destination, aString.data(), aString.size());

        state.myIndex.Insert(destination, aString.size(), hash);
        return StringId(destination);
    }

    StringId StringRegistry::RegisterOrGetStringLiteral(const char* aString, std::size_t aSize)
    {
        if (aSize == 0 || aString == nullptr)
        {
            return StringId();
        }
        const std::string_view text(aString); // the literal's own terminated length
        if (text.empty())
        {
            return StringId();
        }

        RegistryState& state = GetState();
        const std::uint64_t hash = Fnv1a64(text);
        if (const char* found = state.myIndex.Find(text, hash))
        {
            return StringId(found);
        }
        state.myIndex.Insert(aString, text.size(), hash);
        return StringId(aString);
    }

    std::size_t StringRegistry::GetPageCount()
    {
        return GetState().myPages.size();
    }

    std::uint32_t StringRegistry::GetBytesLeftInPage()
    {
        return GetState().myBytesLeft;
    }
}
