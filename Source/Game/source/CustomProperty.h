#pragma once
// One converted property of a CustomSceneObject: a tagged union whose alternative follows
// the property's type. The index order is fixed; readers take an alternative by its type
// (CustomSceneObject::Get / Find).
#include "AnimatedModelRecord.h"

#include "forge/math/Color.h"
#include "forge/math/Vector.h"
#include "forge/model/ModelInstance.h"
#include "forge/properties/SceneSprite.h"
#include "forge/stringRegistry/StringId.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <variant>

using CustomProperty = std::variant<Kiln::ModelInstance,   // 0 "Model" (any key but "animodel")
                                    Kiln::StringId,        // 1 "StringId"
                                    AnimatedModelRecord,   // 2 "Model" under the key "animodel"
                                    Kiln::SceneSprite,     // 3 "Sprite"
                                    Kiln::Vector3<float>,  // 4 "Float3"
                                    std::monostate,        // 5 never produced
                                    bool,                  // 6 "Bool"
                                    float,                 // 7 "Float"
                                    std::int32_t,          // 8 "Int"
                                    Kiln::Vector2<float>,  // 9 "Float2"
                                    Kiln::Vector4<float>,  // 10 "Float4"
                                    Kiln::Color>;          // 11 "Color"

// The property-type name that produces the alternative at anIndex ("Model", "Int", ...).
const char* GetCustomPropertyTypeName(std::size_t anIndex);

// The index of alternative T.
template <typename T, std::size_t I = 0>
constexpr std::size_t CustomPropertyIndexOf()
{
    static_assert(I < std::variant_size_v<CustomProperty>, "not an alternative of CustomProperty");
    if constexpr (std::is_same_v<std::variant_alternative_t<I, CustomProperty>, T>)
        return I;
    else
        return CustomPropertyIndexOf<T, I + 1>();
}
