#include "forge/scene/SceneSerialize.h"

#include "forge/properties/JsonReading.h"
#include "forge/scene/GameAssetsRoot.h"
#include "forge/scene/GuidRegistry.h"

#include "Platform/runtime/Assert.h"
#include "Platform/runtime/Paths.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace Kiln
{
    namespace fs = std::filesystem;

    namespace
    {
        Vector3<float> ReadVector3(const nlohmann::json& aJson)
        {
            float values[3];
            impl::ReadJsonFloats(aJson, values, 3);
            return {values[0], values[1], values[2]};
        }

        Matrix4x4<float> ReadMatrix(const nlohmann::json& aJson)
        {
            std::array<float, 16> values;
            impl::ReadJsonFloats(aJson, values.data(), values.size());
            return Matrix4x4<float>(values);
        }

        void ReadProperty(const nlohmann::json& anElement, SceneObject& aRecord)
        {
            if (!anElement.is_object())
            {
                // The library's own type_error 306: the element is at fault, not one key.
                (void)anElement.value("name", 0);
            }
            const StringId name = impl::WithContext(impl::KeyContext("name"), [&] {
                return impl::ReadJsonStringId(impl::RequiredMember(anElement, "name"));
            });
            const StringId typeName = impl::WithContext(impl::KeyContext("type"), [&] {
                return impl::ReadJsonStringId(impl::RequiredMember(anElement, "type"));
            });
            const PropertyTypeBase* type = PropertyTypeBase::GetPropertyType(typeName);
            if (type == nullptr)
            {
                // Every stored property must have a type; one we cannot read is left out.
                std::fprintf(stderr, "Scene object \"%s\": property \"%s\" has the unknown type \"%s\" and is skipped\n",
                             aRecord.myName.c_str(), name.GetString(), typeName.GetString());
                return;
            }
            const auto value = anElement.find("value");
            const nlohmann::json& valueJson = value != anElement.end() ? *value : nlohmann::json();
            Property property = impl::WithContext(impl::KeyContext("value"), [&] { return Property::CreateFromJson(type, valueJson); });
            aRecord.myProperties.push_back(SceneObjectProperty{name, type, std::move(property)});
        }

        void ReadProperties(const nlohmann::json& aList, SceneObject& aRecord)
        {
            std::size_t index = 0;
            for (const nlohmann::json& element : aList)
            {
                const std::string context = impl::PropertyContext(element, index++);
                impl::WithContext(context, [&] { ReadProperty(element, aRecord); });
            }
        }

        std::shared_ptr<SceneObject> ReadObjectFile(const fs::path& aFile)
        {
            auto record = std::make_shared<SceneObject>();
            record->myFile = aFile.string();
            try
            {
                std::ifstream obj_in(aFile, std::ios::binary);
                KILN_ASSERT(obj_in);
                // A stream that did not open reads as empty input: the parser reports it.
                const nlohmann::json document = impl::ParseJson(obj_in);
                ReadSceneObject(document, *record);
            }
            catch (...)
            {
                std::throw_with_nested(std::runtime_error("Could not read scene object file \"" + aFile.string() + "\""));
            }
            return record;
        }
    }

    void ReadSceneObject(const nlohmann::json& aDocument, SceneObject& aRecord)
    {
        if (!aDocument.is_object())
        {
            // The library's own type_error 306: the whole document is at fault, not one key.
            (void)aDocument.value("name", std::string());
        }
        aRecord.myName = impl::WithContext(impl::KeyContext("name"), [&] { return aDocument.value("name", std::string("unknown")); });
        aRecord.SetPath(nullptr, impl::WithContext(impl::KeyContext("path"), [&] {
                            return impl::InternJsonText(aDocument.value("path", std::string()));
                        }));

        // Each present key is read in this order, so the first faulty one decides the error.
        const auto readKey = [&aDocument](const char* aKey, const auto& aRead) {
            if (const auto found = aDocument.find(aKey); found != aDocument.end())
            {
                impl::WithContext(impl::KeyContext(aKey), [&] { aRead(*found); });
            }
        };
        readKey("transform", [&](const nlohmann::json& aValue) { aRecord.myTransform = SceneTransform::FromMatrix(ReadMatrix(aValue)); });
        readKey("translation", [&](const nlohmann::json& aValue) { aRecord.myTransform.myTranslation = ReadVector3(aValue); });
        readKey("rotation", [&](const nlohmann::json& aValue) { aRecord.myTransform.myRotation = ReadVector3(aValue); });
        readKey("scale", [&](const nlohmann::json& aValue) { aRecord.myTransform.myScale = ReadVector3(aValue); });
        readKey("object-definition", [&](const nlohmann::json& aValue) { aRecord.myObjectDefinition = impl::ReadJsonStringId(aValue); });
        readKey("properties", [&](const nlohmann::json& aValue) { ReadProperties(aValue, aRecord); });
    }

    bool LoadScene(const char* aScenePath, Scene& anOut)
    {
        const fs::path fullPath = impl::GetGameAssetsPath() / Plat::Runtime::ToPortableSeparators(aScenePath);
        anOut.myName = aScenePath;
        anOut.myFileName = fullPath.stem().string();
        anOut.myObjects.clear();
        anOut.myPathCounts.clear();

        fs::path folder = fullPath;
        folder += ".leveldata";
        folder = Plat::Runtime::ResolveCase(folder);

        std::error_code error;
        const fs::file_status status = fs::status(folder, error);
        if (error && status.type() != fs::file_type::not_found)
        {
            throw fs::filesystem_error("exists", folder, error);
        }
        if (!fs::exists(status))
        {
            return true;
        }

        fs::directory_iterator entry(folder, error);
        if (error)
        {
            throw fs::filesystem_error("directory_iterator::directory_iterator", folder, error);
        }
        for (; entry != fs::directory_iterator(); entry.increment(error))
        {
            const fs::path& file = entry->path();
            // Only extension-less files are objects; sub-folders are not objects either.
            std::error_code typeError;
            if (file.filename().has_extension() || entry->is_directory(typeError))
            {
                continue;
            }
            const std::shared_ptr<SceneObject> object = ReadObjectFile(file);
            const std::uint32_t id = GuidRegistry::GetIndex(file.filename().string().c_str());
            ++anOut.myPathCounts[object->GetPath()];
            // The last file read under an id wins.
            anOut.myObjects[id] = object;
            ++anOut.myPathCounts[StringId()];
        }
        // A failed step ends the iteration with the error set.
        if (error)
        {
            throw fs::filesystem_error("directory_iterator::operator++", folder, error);
        }
        return true;
    }
}
