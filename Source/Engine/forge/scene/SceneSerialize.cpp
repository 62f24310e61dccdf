#include "forge/scene/SceneSerialize.h"

#include "forge/properties/JsonReading.h"
#include "forge/scene/GameAssetsRoot.h"
#include "forge/scene/GuidRegistry.h"
#include "forge/stringRegistry/StringRegistry.h"

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

        void ReadProperties(const nlohmann::json& aList, SceneObject& aRecord)
        {
            for (const nlohmann::json& element : aList)
            {
                const StringId name = impl::ReadJsonStringId(impl::RequiredMember(element, "name"));
                const StringId typeName = impl::ReadJsonStringId(impl::RequiredMember(element, "type"));
                const PropertyTypeBase* type = PropertyTypeBase::GetPropertyType(typeName);
                if (type == nullptr)
                {
                    // Every stored property must have a type; one we cannot read is left out.
                    std::fprintf(stderr, "Scene object \"%s\": property \"%s\" has the unknown type \"%s\" and is skipped\n",
                                 aRecord.myName.c_str(), name.GetString(), typeName.GetString());
                    continue;
                }
                const auto value = element.find("value");
                const nlohmann::json& valueJson = value != element.end() ? *value : nlohmann::json();
                aRecord.myProperties.push_back(SceneObjectProperty{name, type, Property::CreateFromJson(type, valueJson)});
            }
        }

        std::shared_ptr<SceneObject> ReadObjectFile(const fs::path& aFile)
        {
            auto record = std::make_shared<SceneObject>();
            try
            {
                std::ifstream obj_in(aFile, std::ios::binary);
                KILN_ASSERT(obj_in);
                // A stream that did not open reads as empty input: the parser reports it.
                const nlohmann::json document = nlohmann::json::parse(obj_in);
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
        // value() raises the library's type_error 306 when the document is not an object.
        aRecord.myName = aDocument.value("name", std::string("unknown"));
        aRecord.SetPath(nullptr, StringRegistry::RegisterOrGetString(aDocument.value("path", std::string())));

        if (const auto transform = aDocument.find("transform"); transform != aDocument.end())
        {
            aRecord.myTransform = SceneTransform::FromMatrix(ReadMatrix(*transform));
        }
        if (const auto translation = aDocument.find("translation"); translation != aDocument.end())
        {
            aRecord.myTransform.myTranslation = ReadVector3(*translation);
        }
        if (const auto rotation = aDocument.find("rotation"); rotation != aDocument.end())
        {
            aRecord.myTransform.myRotation = ReadVector3(*rotation);
        }
        if (const auto scale = aDocument.find("scale"); scale != aDocument.end())
        {
            aRecord.myTransform.myScale = ReadVector3(*scale);
        }
        if (const auto definition = aDocument.find("object-definition"); definition != aDocument.end())
        {
            aRecord.myObjectDefinition = impl::ReadJsonStringId(*definition);
        }
        if (const auto properties = aDocument.find("properties"); properties != aDocument.end())
        {
            ReadProperties(*properties, aRecord);
        }
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
