#pragma once
// A type-erased property value: 16 bytes of storage and the type that lives in them.
// A null type holds nothing. Readers compare GetType() with a built-in type's instance
// and then read the storage as that type's value.
#include "forge/properties/PropertyType.h"

#include "Platform/runtime/Assert.h"

#include <nlohmann/json_fwd.hpp>

namespace Kiln
{
    class Property
    {
    public:
        Property() = default;
        // The type's default value (a null type gives an empty property).
        explicit Property(const PropertyTypeBase* aType);

        // Builds the value from JSON on zeroed storage. A null type gives an empty property.
        // If the type's FromJson throws, the partly built value is destroyed and the
        // exception propagates.
        static Property CreateFromJson(const PropertyTypeBase* aType, const nlohmann::json& aValue);

        Property(const Property& anOther);
        // Moving copies: the source keeps its type and value.
        Property(Property&& anOther);
        Property& operator=(const Property& anOther);
        Property& operator=(Property&& anOther);
        ~Property();

        const PropertyTypeBase* GetType() const { return myType; }
        void* GetData() { return myStorage; }
        const void* GetData() const { return myStorage; }

        // The value as the built-in type T; asserts that the property holds that type.
        template <typename T>
        T& GetValue()
        {
            KILN_ASSERT(myType == &PropertyType<T>::GetInstance() && "property read as a type it does not hold");
            return *std::launder(reinterpret_cast<T*>(myStorage));
        }
        template <typename T>
        const T& GetValue() const
        {
            KILN_ASSERT(myType == &PropertyType<T>::GetInstance() && "property read as a type it does not hold");
            return *std::launder(reinterpret_cast<const T*>(myStorage));
        }

    private:
        void Assign(const Property& anOther, bool aMove);

        alignas(PROPERTY_STORAGE_ALIGNMENT) unsigned char myStorage[PROPERTY_STORAGE_SIZE] = {};
        const PropertyTypeBase* myType = nullptr;
    };
}
