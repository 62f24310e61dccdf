#include "ContentKit/SceneFiles.h"

#include "ContentKit/ImageFiles.h"
#include "ContentKit/Random.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace ContentKit
{
    namespace fs = std::filesystem;

    std::string StableGuid(std::string_view aName)
    {
        // Two independent FNV-1a passes, each mixed, give the 128 bits.
        uint64_t h1 = 0xCBF29CE484222325ull, h2 = 0x84222325CBF29CE4ull;
        for (const char c : aName)
        {
            h1 = (h1 ^ uint8_t(c)) * 0x100000001B3ull;
            h2 = (h2 ^ uint8_t(c)) * 0x100000001B3ull;
            h2 ^= h2 >> 29;
        }
        uint8_t bytes[16];
        const uint64_t a = Mix64(h1 ^ aName.size()), b = Mix64(h2 + 0x51ED27ull);
        for (int i = 0; i < 8; ++i)
        {
            bytes[i] = uint8_t(a >> (56 - 8 * i));
            bytes[8 + i] = uint8_t(b >> (56 - 8 * i));
        }
        bytes[6] = uint8_t((bytes[6] & 0x0F) | 0x50);   // version 5: name-based
        bytes[8] = uint8_t((bytes[8] & 0x3F) | 0x80);   // RFC 4122 variant
        static const char digits[] = "0123456789abcdef";
        std::string text;
        for (int i = 0; i < 16; ++i)
        {
            if (i == 4 || i == 6 || i == 8 || i == 10)
                text += '-';
            text += digits[bytes[i] >> 4];
            text += digits[bytes[i] & 0xF];
        }
        return text;
    }

    namespace Value
    {
        nlohmann::json Float(double aValue) { return aValue; }
        nlohmann::json Int(int aValue) { return aValue; }
        nlohmann::json Bool(bool aValue) { return aValue; }
        nlohmann::json Float2(double x, double y) { return nlohmann::json::array({x, y}); }
        nlohmann::json Float3(double x, double y, double z) { return nlohmann::json::array({x, y, z}); }
        nlohmann::json Float4(double x, double y, double z, double w) { return nlohmann::json::array({x, y, z, w}); }
        nlohmann::json Color(double r, double g, double b, double a) { return nlohmann::json::array({r, g, b, a}); }
        nlohmann::json StringId(std::string_view aText) { return std::string(aText); }

        nlohmann::json Sprite(std::string_view aColor, double aWidth, double aHeight, double aPivotX, double aPivotY,
                              std::string_view aNormal, std::string_view aMaterial, std::string_view anEffects)
        {
            return {{"textures", {std::string(aColor), std::string(aNormal), std::string(aMaterial), std::string(anEffects)}},
                    {"size", {aWidth, aHeight}},
                    {"pivot", {aPivotX, aPivotY}}};
        }

        nlohmann::json Model(std::string_view aPath, std::string_view anAlbedo)
        {
            nlohmann::json model = {{"path", std::string(aPath)}};
            nlohmann::json meshes = nlohmann::json::array();
            if (!anAlbedo.empty())
            {
                // Overrides are read from the first string of mesh entries 0..3 (albedo,
                // normal, material, fx); only the albedo one is filled.
                meshes.push_back(nlohmann::json::array({std::string(anAlbedo)}));
            }
            model["textures"] = meshes;
            return model;
        }
    }

    nlohmann::json ToJson(const SceneObjectDesc& anObject)
    {
        nlohmann::json properties = nlohmann::json::array();
        for (const Property& property : anObject.properties)
            properties.push_back({{"name", property.name}, {"type", property.type}, {"value", property.value}});
        return {{"name", anObject.name},
                {"object-definition", anObject.definition},
                {"translation", anObject.translation},
                {"rotation", anObject.rotation},
                {"scale", anObject.scale},
                {"properties", properties}};
    }

    SceneFolder::SceneFolder(std::string aScenePath)
        : myScenePath(std::move(aScenePath))
    {
    }

    SceneObjectDesc& SceneFolder::Add(SceneObjectDesc anObject)
    {
        myObjects.push_back(std::move(anObject));
        return myObjects.back();
    }

    std::string SceneFolder::GuidOf(size_t anIndex) const
    {
        size_t before = 0;
        for (size_t i = 0; i < anIndex && i < myObjects.size(); ++i)
            before += myObjects[i].name == myObjects[anIndex].name;
        return StableGuid(myScenePath + "|" + myObjects[anIndex].name + "|" + std::to_string(before));
    }

    fs::path SceneFolder::FolderOf(const fs::path& aGameRoot, std::string_view aScenePath)
    {
        std::string portable(aScenePath);
        std::replace(portable.begin(), portable.end(), '\\', '/');
        return aGameRoot / (portable + ".leveldata");
    }

    bool SceneFolder::Write(const fs::path& aGameRoot, std::string* anError) const
    {
        const auto fail = [&](const std::string& aMessage) {
            if (anError)
                *anError = aMessage;
            return false;
        };
        const fs::path folder = FolderOf(aGameRoot, myScenePath);
        std::error_code error;
        fs::create_directories(folder, error);
        if (error)
            return fail("cannot create " + folder.string() + ": " + error.message());

        std::map<std::string, size_t> written;
        for (size_t i = 0; i < myObjects.size(); ++i)
        {
            const std::string guid = GuidOf(i);
            if (!written.emplace(guid, i).second)
                return fail("two objects of " + myScenePath + " share the GUID " + guid);
            if (!WriteFileIfChanged(folder / guid, ToJson(myObjects[i]).dump(2) + "\n"))
                return fail("cannot write " + (folder / guid).string());
        }
        // Objects of an earlier run that this one no longer has would otherwise linger.
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        {
            const fs::path& file = entry.path();
            if (entry.is_regular_file() && !file.filename().has_extension() && !written.count(file.filename().string()))
                fs::remove(file, error);
        }
        return true;
    }

    nlohmann::json ToJson(const ObjectDefinitionDesc& aDefinition)
    {
        nlohmann::json properties = nlohmann::json::array();
        for (const PropertyDefinitionDesc& property : aDefinition.properties)
        {
            nlohmann::json element = {{"name", property.name},
                                      {"type", property.type},
                                      {"value", property.value},
                                      {"is-dynamic", property.isDynamic},
                                      {"is-per-instance", property.isPerInstance}};
            if (!property.group.empty())
                element["group"] = property.group;
            if (!property.description.empty())
                element["description"] = property.description;
            properties.push_back(std::move(element));
        }
        return {{"parent-object-definition", aDefinition.parent}, {"properties", properties}};
    }

    bool WriteObjectDefinition(const fs::path& aFolder, const ObjectDefinitionDesc& aDefinition, std::string* anError)
    {
        const fs::path file = aFolder / (aDefinition.name + ".kob");
        if (aDefinition.name.empty() || !WriteFileIfChanged(file, ToJson(aDefinition).dump(2) + "\n"))
        {
            if (anError)
                *anError = "cannot write " + file.string();
            return false;
        }
        return true;
    }

    std::vector<std::string> TexturePathsOf(const Property& aProperty)
    {
        std::vector<std::string> paths;
        const auto addStrings = [&](const nlohmann::json& aList) {
            if (!aList.is_array())
                return;
            for (const auto& entry : aList)
                if (entry.is_string() && !entry.get<std::string>().empty())
                    paths.push_back(entry.get<std::string>());
        };
        if (aProperty.type == Type::Sprite && aProperty.value.is_object())
        {
            if (const auto it = aProperty.value.find("texturePath"); it != aProperty.value.end() && it->is_string())
                paths.push_back(it->get<std::string>());
            if (const auto it = aProperty.value.find("textures"); it != aProperty.value.end())
                addStrings(*it);
        }
        else if (aProperty.type == Type::Model && aProperty.value.is_object())
        {
            if (const auto it = aProperty.value.find("textures"); it != aProperty.value.end() && it->is_array())
                for (const auto& mesh : *it)
                    addStrings(mesh);
        }
        return paths;
    }
}
