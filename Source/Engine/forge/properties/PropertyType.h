#pragma once
// The built-in property types: one class template instance per value kind, each with a
// single static instance (see GetInstance). Values are built in place in a property's
// 16-byte storage; moving a value is copying it.
#include "forge/properties/PropertyTypeBase.h"
#include "forge/properties/PropertyValueEncoding.h"

#include <new>

namespace Kiln
{
    inline constexpr std::size_t PROPERTY_STORAGE_SIZE = 16;
    inline constexpr std::size_t PROPERTY_STORAGE_ALIGNMENT = 16;

    template <typename T>
    class PropertyType final : public PropertyTypeBase
    {
        static_assert(sizeof(T) <= PROPERTY_STORAGE_SIZE && alignof(T) <= PROPERTY_STORAGE_ALIGNMENT,
                      "a property value must fit the property's storage");

    public:
        explicit PropertyType(const char* aDisplayName) : PropertyTypeBase(aDisplayName) {}

        // The one registered instance of this type (defined for the thirteen built-ins).
        static const PropertyType& GetInstance();

        void Construct(void* aDestination) const override { ::new (aDestination) T(); }
        void CopyConstruct(const void* aSource, void* aDestination) const override
        {
            ::new (aDestination) T(*static_cast<const T*>(aSource));
        }
        void MoveConstruct(const void* aSource, void* aDestination) const override
        {
            CopyConstruct(aSource, aDestination);
        }
        void Destruct(void* aValue) const override { static_cast<T*>(aValue)->~T(); }

        void FromJson(void* aValue, const nlohmann::json& aJson) const override
        {
            impl::ValueFromJson(*static_cast<T*>(aValue), aJson);
        }
        void ToJson(const void* aValue, nlohmann::json& aJson) const override
        {
            impl::ValueToJson(*static_cast<const T*>(aValue), aJson);
        }
        bool DrawEditor(void* aValue, const char* aLabel, const char* aDescription) const override
        {
            return impl::DrawValueEditor(*static_cast<T*>(aValue), aLabel, aDescription);
        }
    };

    // The thirteen built-ins, in registration order ("Model" is index 0, "StringId" index 12).
    template <> const PropertyType<CopyOnWriteWrapper<SceneModel>>& PropertyType<CopyOnWriteWrapper<SceneModel>>::GetInstance();
    template <> const PropertyType<CopyOnWriteWrapper<SceneSprite>>& PropertyType<CopyOnWriteWrapper<SceneSprite>>::GetInstance();
    template <> const PropertyType<CopyOnWriteWrapper<SceneReference>>& PropertyType<CopyOnWriteWrapper<SceneReference>>::GetInstance();
    template <> const PropertyType<CopyOnWriteWrapper<AnimationClipReference>>& PropertyType<CopyOnWriteWrapper<AnimationClipReference>>::GetInstance();
    template <> const PropertyType<PoseAndMotion>& PropertyType<PoseAndMotion>::GetInstance();
    template <> const PropertyType<bool>& PropertyType<bool>::GetInstance();
    template <> const PropertyType<std::int32_t>& PropertyType<std::int32_t>::GetInstance();
    template <> const PropertyType<float>& PropertyType<float>::GetInstance();
    template <> const PropertyType<Vector2<float>>& PropertyType<Vector2<float>>::GetInstance();
    template <> const PropertyType<Vector3<float>>& PropertyType<Vector3<float>>::GetInstance();
    template <> const PropertyType<Vector4<float>>& PropertyType<Vector4<float>>::GetInstance();
    template <> const PropertyType<Color>& PropertyType<Color>::GetInstance();
    template <> const PropertyType<StringId>& PropertyType<StringId>::GetInstance();
}
