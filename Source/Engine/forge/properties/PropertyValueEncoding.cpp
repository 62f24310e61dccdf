#include "forge/properties/PropertyValueEncoding.h"

#include "forge/properties/JsonReading.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>

// The JSON forms of the value kinds. Every reader builds a complete value: scalars
// overwrite the storage, pooled kinds take a fresh object (count 1, defaults) first.
namespace Kiln::impl
{
    namespace
    {
        nlohmann::json TextOf(StringId anId)
        {
            return nlohmann::json(anId.GetString());
        }

        // Replaces the wrapper's value with a fresh default object it alone holds.
        template <typename T>
        T& ResetToNew(CopyOnWriteWrapper<T>& aValue)
        {
            aValue = CopyOnWriteWrapper<T>::MakeNew();
            return aValue.GetMutable();
        }

        // Up to aCount strings of an array (or of whatever the value holds; a non-array
        // raises the library's operator[] error); entries past aCount are ignored.
        void ReadTextureList(const nlohmann::json& aList, StringId* someTextures, std::size_t aCount)
        {
            const std::size_t count = std::min(aList.size(), aCount);
            for (std::size_t i = 0; i < count; ++i)
            {
                someTextures[i] = ReadJsonStringId(aList[i]);
            }
        }

        nlohmann::json WriteFloats(const float* someValues, std::size_t aCount)
        {
            nlohmann::json array = nlohmann::json::array();
            for (std::size_t i = 0; i < aCount; ++i)
            {
                array.push_back(someValues[i]);
            }
            return array;
        }
    }

    void ValueFromJson(CopyOnWriteWrapper<SceneModel>& aValue, const nlohmann::json& aJson)
    {
        SceneModel& model = ResetToNew(aValue);
        model.myPath = InternJsonText(aJson.value("path", std::string()));
        const auto textures = aJson.find("textures");
        if (textures == aJson.end())
        {
            return;
        }
        const std::size_t meshCount = std::min<std::size_t>(textures->size(), SceneModel::MESH_SLOT_COUNT);
        for (std::size_t mesh = 0; mesh < meshCount; ++mesh)
        {
            ReadTextureList((*textures)[mesh], model.myTextures[mesh], SceneModel::TEXTURE_SLOT_COUNT);
        }
    }

    void ValueFromJson(CopyOnWriteWrapper<SceneSprite>& aValue, const nlohmann::json& aJson)
    {
        SceneSprite& sprite = ResetToNew(aValue);
        if (!aJson.is_object())
        {
            return;
        }
        if (const auto texturePath = aJson.find("texturePath"); texturePath != aJson.end())
        {
            sprite.myTextures[0] = ReadJsonStringId(*texturePath);
        }
        if (const auto textures = aJson.find("textures"); textures != aJson.end())
        {
            ReadTextureList(*textures, sprite.myTextures, SceneSprite::TEXTURE_SLOT_COUNT);
        }
        if (const auto pivot = aJson.find("pivot"); pivot != aJson.end())
        {
            float values[2];
            ReadJsonFloats(*pivot, values, 2);
            sprite.myPivot = {values[0], values[1]};
        }
        if (const auto size = aJson.find("size"); size != aJson.end())
        {
            float values[2];
            ReadJsonFloats(*size, values, 2);
            sprite.mySize = {values[0], values[1]};
        }
    }

    void ValueFromJson(CopyOnWriteWrapper<SceneReference>& aValue, const nlohmann::json& aJson)
    {
        SceneReference& reference = ResetToNew(aValue);
        reference.myScenePath = InternJsonText(aJson.value("scene_path", std::string()));
    }

    void ValueFromJson(CopyOnWriteWrapper<AnimationClipReference>& aValue, const nlohmann::json& aJson)
    {
        AnimationClipReference& reference = ResetToNew(aValue);
        reference.myClipPath = InternJsonText(aJson.value("clip_path", std::string()));
    }

    void ValueFromJson(PoseAndMotion& aValue, const nlohmann::json&)
    {
        aValue = PoseAndMotion{};
    }

    void ValueFromJson(bool& aValue, const nlohmann::json& aJson)
    {
        aValue = ReadJsonBool(aJson);
    }

    void ValueFromJson(std::int32_t& aValue, const nlohmann::json& aJson)
    {
        aValue = ReadJsonInt(aJson);
    }

    void ValueFromJson(float& aValue, const nlohmann::json& aJson)
    {
        aValue = ReadJsonFloat(aJson);
    }

    void ValueFromJson(Vector2<float>& aValue, const nlohmann::json& aJson)
    {
        float values[2];
        ReadJsonFloats(aJson, values, 2);
        aValue = {values[0], values[1]};
    }

    void ValueFromJson(Vector3<float>& aValue, const nlohmann::json& aJson)
    {
        float values[3];
        ReadJsonFloats(aJson, values, 3);
        aValue = {values[0], values[1], values[2]};
    }

    void ValueFromJson(Vector4<float>& aValue, const nlohmann::json& aJson)
    {
        float values[4];
        ReadJsonFloats(aJson, values, 4);
        aValue = {values[0], values[1], values[2], values[3]};
    }

    void ValueFromJson(Color& aValue, const nlohmann::json& aJson)
    {
        float values[4];
        ReadJsonFloats(aJson, values, 4);
        aValue = {values[0], values[1], values[2], values[3]};
    }

    void ValueFromJson(StringId& aValue, const nlohmann::json& aJson)
    {
        aValue = ReadJsonStringId(aJson);
    }

    void ValueToJson(const CopyOnWriteWrapper<SceneModel>& aValue, nlohmann::json& aJson)
    {
        const SceneModel& model = aValue.Get();
        aJson["path"] = TextOf(model.myPath);
        nlohmann::json meshes = nlohmann::json::array();
        for (const auto& meshTextures : model.myTextures)
        {
            nlohmann::json slots = nlohmann::json::array();
            for (const StringId texture : meshTextures)
            {
                slots.push_back(TextOf(texture));
            }
            meshes.push_back(std::move(slots));
        }
        aJson["textures"] = std::move(meshes);
    }

    void ValueToJson(const CopyOnWriteWrapper<SceneSprite>& aValue, nlohmann::json& aJson)
    {
        const SceneSprite& sprite = aValue.Get();
        nlohmann::json textures = nlohmann::json::array();
        for (const StringId texture : sprite.myTextures)
        {
            textures.push_back(TextOf(texture));
        }
        aJson["textures"] = std::move(textures);
        const float pivot[2] = {sprite.myPivot.x, sprite.myPivot.y};
        const float size[2] = {sprite.mySize.x, sprite.mySize.y};
        aJson["pivot"] = WriteFloats(pivot, 2);
        aJson["size"] = WriteFloats(size, 2);
    }

    void ValueToJson(const CopyOnWriteWrapper<SceneReference>& aValue, nlohmann::json& aJson)
    {
        aJson["scene_path"] = TextOf(aValue.Get().myScenePath);
    }

    void ValueToJson(const CopyOnWriteWrapper<AnimationClipReference>& aValue, nlohmann::json& aJson)
    {
        aJson["clip_path"] = TextOf(aValue.Get().myClipPath);
    }

    void ValueToJson(const PoseAndMotion&, nlohmann::json& aJson)
    {
        aJson = nullptr;
    }

    void ValueToJson(const bool& aValue, nlohmann::json& aJson)
    {
        aJson = aValue;
    }

    void ValueToJson(const std::int32_t& aValue, nlohmann::json& aJson)
    {
        aJson = aValue;
    }

    void ValueToJson(const float& aValue, nlohmann::json& aJson)
    {
        aJson = aValue;
    }

    void ValueToJson(const Vector2<float>& aValue, nlohmann::json& aJson)
    {
        const float values[2] = {aValue.x, aValue.y};
        aJson = WriteFloats(values, 2);
    }

    void ValueToJson(const Vector3<float>& aValue, nlohmann::json& aJson)
    {
        const float values[3] = {aValue.x, aValue.y, aValue.z};
        aJson = WriteFloats(values, 3);
    }

    void ValueToJson(const Vector4<float>& aValue, nlohmann::json& aJson)
    {
        const float values[4] = {aValue.x, aValue.y, aValue.z, aValue.w};
        aJson = WriteFloats(values, 4);
    }

    void ValueToJson(const Color& aValue, nlohmann::json& aJson)
    {
        const float values[4] = {aValue.r, aValue.g, aValue.b, aValue.a};
        aJson = WriteFloats(values, 4);
    }

    void ValueToJson(const StringId& aValue, nlohmann::json& aJson)
    {
        aJson = TextOf(aValue);
    }
}
