#pragma once
// The outward forms of each property value kind: JSON in and out, and the editor row.
// PropertyType<T> forwards its FromJson, ToJson and DrawEditor operations to these
// overloads, one set per value kind.
#include "forge/math/Color.h"
#include "forge/math/Vector.h"
#include "forge/properties/AnimationClipReference.h"
#include "forge/properties/CopyOnWriteWrapper.h"
#include "forge/properties/PoseAndMotion.h"
#include "forge/properties/SceneModel.h"
#include "forge/properties/SceneReference.h"
#include "forge/properties/SceneSprite.h"
#include "forge/stringRegistry/StringId.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>

namespace Kiln::impl
{
    void ValueFromJson(CopyOnWriteWrapper<SceneModel>& aValue, const nlohmann::json& aJson);
    void ValueFromJson(CopyOnWriteWrapper<SceneSprite>& aValue, const nlohmann::json& aJson);
    void ValueFromJson(CopyOnWriteWrapper<SceneReference>& aValue, const nlohmann::json& aJson);
    void ValueFromJson(CopyOnWriteWrapper<AnimationClipReference>& aValue, const nlohmann::json& aJson);
    void ValueFromJson(PoseAndMotion& aValue, const nlohmann::json& aJson);
    void ValueFromJson(bool& aValue, const nlohmann::json& aJson);
    void ValueFromJson(std::int32_t& aValue, const nlohmann::json& aJson);
    void ValueFromJson(float& aValue, const nlohmann::json& aJson);
    void ValueFromJson(Vector2<float>& aValue, const nlohmann::json& aJson);
    void ValueFromJson(Vector3<float>& aValue, const nlohmann::json& aJson);
    void ValueFromJson(Vector4<float>& aValue, const nlohmann::json& aJson);
    void ValueFromJson(Color& aValue, const nlohmann::json& aJson);
    void ValueFromJson(StringId& aValue, const nlohmann::json& aJson);

    void ValueToJson(const CopyOnWriteWrapper<SceneModel>& aValue, nlohmann::json& aJson);
    void ValueToJson(const CopyOnWriteWrapper<SceneSprite>& aValue, nlohmann::json& aJson);
    void ValueToJson(const CopyOnWriteWrapper<SceneReference>& aValue, nlohmann::json& aJson);
    void ValueToJson(const CopyOnWriteWrapper<AnimationClipReference>& aValue, nlohmann::json& aJson);
    void ValueToJson(const PoseAndMotion& aValue, nlohmann::json& aJson);
    void ValueToJson(const bool& aValue, nlohmann::json& aJson);
    void ValueToJson(const std::int32_t& aValue, nlohmann::json& aJson);
    void ValueToJson(const float& aValue, nlohmann::json& aJson);
    void ValueToJson(const Vector2<float>& aValue, nlohmann::json& aJson);
    void ValueToJson(const Vector3<float>& aValue, nlohmann::json& aJson);
    void ValueToJson(const Vector4<float>& aValue, nlohmann::json& aJson);
    void ValueToJson(const Color& aValue, nlohmann::json& aJson);
    void ValueToJson(const StringId& aValue, nlohmann::json& aJson);

    bool DrawValueEditor(CopyOnWriteWrapper<SceneModel>& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(CopyOnWriteWrapper<SceneSprite>& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(CopyOnWriteWrapper<SceneReference>& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(CopyOnWriteWrapper<AnimationClipReference>& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(PoseAndMotion& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(bool& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(std::int32_t& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(float& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(Vector2<float>& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(Vector3<float>& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(Vector4<float>& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(Color& aValue, const char* aLabel, const char* aDescription);
    bool DrawValueEditor(StringId& aValue, const char* aLabel, const char* aDescription);
}
