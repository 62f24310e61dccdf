#pragma once
// A property type: one immutable object per type with the operations that build, copy and
// destroy its values in a property's 16-byte storage and convert them to and from JSON and
// editor rows. Every instance registers itself before main; the first lookup by name
// finalises the registry, after which registering aborts.
#include "forge/stringRegistry/StringId.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <vector>

namespace Kiln
{
    inline constexpr std::uint32_t PROPERTY_TYPE_REGISTRY_CAPACITY = 512;

    class PropertyTypeBase
    {
    public:
        explicit PropertyTypeBase(const char* aDisplayName);
        PropertyTypeBase(const PropertyTypeBase&) = delete;
        PropertyTypeBase& operator=(const PropertyTypeBase&) = delete;

        virtual void Construct(void* aDestination) const = 0;
        virtual void CopyConstruct(const void* aSource, void* aDestination) const = 0;
        virtual void MoveConstruct(const void* aSource, void* aDestination) const = 0;
        virtual void Destruct(void* aValue) const = 0;
        // Assigns the value from JSON; raises the JSON library's errors on a wrong shape.
        virtual void FromJson(void* aValue, const nlohmann::json& aJson) const = 0;
        virtual void ToJson(const void* aValue, nlohmann::json& aJson) const = 0;
        // One row of a two-column property table; true when the value changed.
        virtual bool DrawEditor(void* aValue, const char* aLabel, const char* aDescription) const = 0;

        // The registered type with this interned name, or null. The first call finalises the registry.
        static const PropertyTypeBase* GetPropertyType(StringId aName);
        // Every registered name, sorted by strcmp (finalises the registry too).
        static const std::vector<StringId>& GetSortedTypeNames();

        // Registration order: the index of each registered type.
        static std::uint32_t GetRegisteredTypeCount();
        static const PropertyTypeBase* GetRegisteredType(std::uint32_t anIndex);
        static bool IsRegistryFinalised();

        // 0xFFFFFFFF until registration completes.
        std::uint32_t GetIndex() const { return myIndex; }
        const char* GetDisplayName() const { return myDisplayName; }
        // Null until the registry is finalised, then the interned display name.
        StringId GetName() const { return myName; }

    protected:
        // Type objects live until the process ends and are never deleted through the base.
        ~PropertyTypeBase() = default;

    private:
        static void FinaliseRegistry();

        std::uint32_t myIndex;
        const char* myDisplayName;
        StringId myName;
    };
}
