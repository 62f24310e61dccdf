#pragma once
// Scene folders and object definitions as the engine reads them, plus the JSON form of each
// property type's value. A scene path is written as the game names it ("levels\\Level1.ksc");
// its objects land in <game assets>/levels/Level1.ksc.leveldata/, one GUID-named file each.
#include <nlohmann/json.hpp>

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ContentKit
{
    // A GUID ("xxxxxxxx-xxxx-5xxx-yxxx-xxxxxxxxxxxx", lower case) derived from aName alone,
    // so regenerating content writes the same file names.
    std::string StableGuid(std::string_view aName);

    // The "value" JSON of each property type.
    namespace Value
    {
        nlohmann::json Float(double aValue);
        nlohmann::json Int(int aValue);
        nlohmann::json Bool(bool aValue);
        nlohmann::json Float2(double x, double y);
        nlohmann::json Float3(double x, double y, double z);
        nlohmann::json Float4(double x, double y, double z, double w);
        nlohmann::json Color(double r, double g, double b, double a = 1.0);
        nlohmann::json StringId(std::string_view aText);
        // Texture slots colour, normal, material, effects ("" = none).
        nlohmann::json Sprite(std::string_view aColor, double aWidth = 100.0, double aHeight = 100.0, double aPivotX = 0.5,
                              double aPivotY = 0.5, std::string_view aNormal = {}, std::string_view aMaterial = {},
                              std::string_view anEffects = {});
        // A model; anAlbedo (optional) overrides the colour texture of every mesh.
        nlohmann::json Model(std::string_view aPath, std::string_view anAlbedo = {});
    }

    // The type names the engine registers.
    namespace Type
    {
        inline constexpr const char* Float = "Float";
        inline constexpr const char* Int = "Int";
        inline constexpr const char* Bool = "Bool";
        inline constexpr const char* Float2 = "Float2";
        inline constexpr const char* Float3 = "Float3";
        inline constexpr const char* Float4 = "Float4";
        inline constexpr const char* Color = "Color";
        inline constexpr const char* StringId = "StringId";
        inline constexpr const char* Sprite = "Sprite";
        inline constexpr const char* Model = "Model";
    }

    struct Property
    {
        std::string name;
        std::string type;
        nlohmann::json value;
    };

    inline Property FloatProperty(std::string aName, double aValue) { return {std::move(aName), Type::Float, Value::Float(aValue)}; }
    inline Property IntProperty(std::string aName, int aValue) { return {std::move(aName), Type::Int, Value::Int(aValue)}; }
    inline Property BoolProperty(std::string aName, bool aValue) { return {std::move(aName), Type::Bool, Value::Bool(aValue)}; }
    inline Property Float2Property(std::string aName, double x, double y) { return {std::move(aName), Type::Float2, Value::Float2(x, y)}; }
    inline Property Float3Property(std::string aName, double x, double y, double z)
    {
        return {std::move(aName), Type::Float3, Value::Float3(x, y, z)};
    }
    inline Property ColorProperty(std::string aName, double r, double g, double b, double a = 1.0)
    {
        return {std::move(aName), Type::Color, Value::Color(r, g, b, a)};
    }
    inline Property StringIdProperty(std::string aName, std::string_view aText)
    {
        return {std::move(aName), Type::StringId, Value::StringId(aText)};
    }
    inline Property SpriteProperty(std::string aName, nlohmann::json aSpriteValue) { return {std::move(aName), Type::Sprite, std::move(aSpriteValue)}; }
    inline Property ModelProperty(std::string aName, nlohmann::json aModelValue) { return {std::move(aName), Type::Model, std::move(aModelValue)}; }

    struct SceneObjectDesc
    {
        std::string name = "unknown";
        std::string definition;
        std::array<double, 3> translation{0.0, 0.0, 0.0};
        std::array<double, 3> rotation{0.0, 0.0, 0.0};   // Euler degrees
        std::array<double, 3> scale{1.0, 1.0, 1.0};
        std::vector<Property> properties;
    };

    nlohmann::json ToJson(const SceneObjectDesc& anObject);

    // One scene folder. Each object's GUID comes from the scene path, its name and how many
    // objects of that name came before it.
    class SceneFolder
    {
    public:
        explicit SceneFolder(std::string aScenePath);

        SceneObjectDesc& Add(SceneObjectDesc anObject);
        const std::vector<SceneObjectDesc>& Objects() const { return myObjects; }
        const std::string& ScenePath() const { return myScenePath; }
        std::string GuidOf(size_t anIndex) const;

        // Writes every object into the scene's folder under aGameRoot and removes the folder's
        // other object files (left by an earlier version); false with aError on failure.
        bool Write(const std::filesystem::path& aGameRoot, std::string* anError = nullptr) const;

        // <root>/<path with '/' separators>.leveldata
        static std::filesystem::path FolderOf(const std::filesystem::path& aGameRoot, std::string_view aScenePath);

    private:
        std::string myScenePath;
        std::vector<SceneObjectDesc> myObjects;
    };

    struct PropertyDefinitionDesc
    {
        std::string name;
        std::string type;
        nlohmann::json value;
        bool isPerInstance = false;
        bool isDynamic = false;
        std::string group;
        std::string description;
    };

    struct ObjectDefinitionDesc
    {
        std::string name;     // the file stem: <name>.kob
        std::string parent;   // "parent-object-definition"
        std::vector<PropertyDefinitionDesc> properties;
    };

    nlohmann::json ToJson(const ObjectDefinitionDesc& aDefinition);
    // Writes <aFolder>/<name>.kob.
    bool WriteObjectDefinition(const std::filesystem::path& aFolder, const ObjectDefinitionDesc& aDefinition,
                               std::string* anError = nullptr);

    // Every texture path a property value names (sprite slots, model overrides), in order.
    std::vector<std::string> TexturePathsOf(const Property& aProperty);
}
