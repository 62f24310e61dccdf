#include "forge/properties/PropertyTypeBase.h"

#include "forge/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace Kiln
{
    namespace impl
    {
        // Defined beside the built-in type objects: calling it links them into every program
        // that looks types up by name.
        void LinkBuiltInPropertyTypes();
    }

    namespace
    {
        // Constant-initialised, so it is ready before the first type object's constructor runs.
        PropertyTypeBase* theTypes[PROPERTY_TYPE_REGISTRY_CAPACITY] = {};
        std::uint32_t theTypeCount = 0;
        bool theIsFinalised = false;

        std::unordered_map<StringId, const PropertyTypeBase*>& NameMap()
        {
            static std::unordered_map<StringId, const PropertyTypeBase*> map;
            return map;
        }

        std::vector<StringId>& NameList()
        {
            static std::vector<StringId> names;
            return names;
        }
    }

    PropertyTypeBase::PropertyTypeBase(const char* aDisplayName)
        : myIndex(0xFFFFFFFFu), myDisplayName(aDisplayName), myName()
    {
        if (theIsFinalised)
        {
            std::fprintf(stderr, "Property type \"%s\" registered after the registry was finalised\n", aDisplayName);
            std::abort();
        }
        if (theTypeCount == PROPERTY_TYPE_REGISTRY_CAPACITY)
        {
            std::fprintf(stderr, "Property type \"%s\" does not fit: the registry holds %u types\n", aDisplayName,
                         PROPERTY_TYPE_REGISTRY_CAPACITY);
            std::abort();
        }
        myIndex = theTypeCount;
        theTypes[theTypeCount++] = this;
    }

    void PropertyTypeBase::FinaliseRegistry()
    {
        if (theIsFinalised)
        {
            return;
        }
        impl::LinkBuiltInPropertyTypes();
        theIsFinalised = true;

        std::vector<StringId>& names = NameList();
        names.reserve(theTypeCount);
        for (std::uint32_t i = 0; i < theTypeCount; ++i)
        {
            PropertyTypeBase* type = theTypes[i];
            type->myName = StringRegistry::RegisterOrGetString(type->myDisplayName);
            NameMap()[type->myName] = type;
            names.push_back(type->myName);
        }
        std::sort(names.begin(), names.end(), [](StringId aLeft, StringId aRight) {
            return std::strcmp(aLeft.GetString(), aRight.GetString()) < 0;
        });
    }

    const PropertyTypeBase* PropertyTypeBase::GetPropertyType(StringId aName)
    {
        FinaliseRegistry();
        const auto& map = NameMap();
        const auto found = map.find(aName);
        return found != map.end() ? found->second : nullptr;
    }

    const std::vector<StringId>& PropertyTypeBase::GetSortedTypeNames()
    {
        FinaliseRegistry();
        return NameList();
    }

    std::uint32_t PropertyTypeBase::GetRegisteredTypeCount()
    {
        return theTypeCount;
    }

    const PropertyTypeBase* PropertyTypeBase::GetRegisteredType(std::uint32_t anIndex)
    {
        return anIndex < theTypeCount ? theTypes[anIndex] : nullptr;
    }

    bool PropertyTypeBase::IsRegistryFinalised()
    {
        return theIsFinalised;
    }
}
