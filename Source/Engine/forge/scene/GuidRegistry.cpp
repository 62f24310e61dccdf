#include "forge/scene/GuidRegistry.h"

#include "forge/scene/Xxh64.h"

#include "Platform/runtime/Assert.h"

#include <unordered_map>
#include <vector>

namespace Kiln
{
    namespace
    {
        struct UuidHash
        {
            std::size_t operator()(const Plat::Guid::Uuid& aUuid) const noexcept
            {
                return static_cast<std::size_t>(impl::Xxh64(&aUuid, sizeof(aUuid), 0));
            }
        };

        struct Registry
        {
            std::unordered_map<Plat::Guid::Uuid, std::uint32_t, UuidHash> myIndices;
            std::vector<Plat::Guid::Uuid> myGuids;

            Registry() : myIndices(8)
            {
                myIndices.max_load_factor(1.0f);
                const Plat::Guid::Uuid nil;
                myIndices.emplace(nil, 0u);
                myGuids.push_back(nil);
            }
        };

        Registry& GetRegistry()
        {
            static Registry registry;
            return registry;
        }

        // Built before main, like every other process-wide table the loaders use.
        [[maybe_unused]] const Registry& theRegistryAtStartUp = GetRegistry();
    }

    std::uint32_t GuidRegistry::GetIndex(const char* aText)
    {
        if (aText == nullptr)
        {
            return 0;
        }
        Plat::Guid::Uuid uuid;
        if (!Plat::Guid::UuidFromString(aText, uuid))
        {
            return 0;
        }
        Registry& registry = GetRegistry();
        const auto found = registry.myIndices.find(uuid);
        if (found != registry.myIndices.end())
        {
            return found->second;
        }
        const auto index = static_cast<std::uint32_t>(registry.myGuids.size());
        registry.myGuids.push_back(uuid);
        registry.myIndices.emplace(uuid, index);
        return index;
    }

    std::uint32_t GuidRegistry::GetCount()
    {
        return static_cast<std::uint32_t>(GetRegistry().myGuids.size());
    }

    const Plat::Guid::Uuid& GuidRegistry::GetGuid(std::uint32_t anIndex)
    {
        const Registry& registry = GetRegistry();
        KILN_ASSERT(anIndex < registry.myGuids.size() && "GUID index out of range");
        return anIndex < registry.myGuids.size() ? registry.myGuids[anIndex] : registry.myGuids[0];
    }
}
