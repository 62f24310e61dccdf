#include "forge/scene/ObjectDefinitionManager.h"

#include "forge/scene/GameAssetsRoot.h"

#include "Platform/runtime/Paths.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace Kiln
{
    namespace fs = std::filesystem;

    namespace
    {
        // The canonical form of the game assets path; an empty one means the working folder.
        fs::path CanonicalAssetsRoot()
        {
            const fs::path root = impl::GetGameAssetsPath();
            return fs::weakly_canonical(root.empty() ? fs::current_path() : root);
        }
    }

    void ObjectDefinitionManager::LoadDefinitions(const char* aFolder)
    {
        const fs::path folder = Plat::Runtime::ResolveCase(std::string_view(aFolder));
        const fs::path root = CanonicalAssetsRoot();

        std::error_code error;
        fs::recursive_directory_iterator entry(folder, error);
        if (error)
        {
            throw fs::filesystem_error("recursive_directory_iterator::recursive_directory_iterator", folder, error);
        }
        for (; entry != fs::recursive_directory_iterator(); entry.increment(error))
        {
            std::error_code statusError;
            const fs::file_status status = entry->status(statusError);
            if (statusError && status.type() != fs::file_type::not_found)
            {
                throw fs::filesystem_error("directory_entry::status", entry->path(), statusError);
            }
            if (!fs::is_regular_file(status) || entry->path().extension() != ".kob")
            {
                continue;
            }
            const std::string relative = fs::weakly_canonical(entry->path()).lexically_relative(root).string();

            auto definition = std::make_unique<ObjectDefinition>();
            LoadObjectDefinition(*definition, relative.c_str());
            const StringId name = definition->myName;
            if (myDefinitions.contains(name))
            {
                std::printf("Multiple kob files exist with same name. That is not allowed: %s\n", name.GetString());
                continue;
            }
            myDefinitions.emplace(name, std::move(definition));
        }
        // A failed step ends the iteration with the error set.
        if (error)
        {
            throw fs::filesystem_error("recursive_directory_iterator::operator++", folder, error);
        }
    }

    ObjectDefinition* ObjectDefinitionManager::GetObjectDefinition(StringId aName)
    {
        const auto found = myDefinitions.find(aName);
        return found != myDefinitions.end() ? found->second.get() : nullptr;
    }

    const ObjectDefinition* ObjectDefinitionManager::GetObjectDefinition(StringId aName) const
    {
        const auto found = myDefinitions.find(aName);
        return found != myDefinitions.end() ? found->second.get() : nullptr;
    }

    void MergeObjectDefinitionProperties(const SceneObject& anObject, const ObjectDefinitionManager& aManager,
                                         std::vector<PropertyDefinition>& anOut)
    {
        const ObjectDefinition* definition = aManager.GetObjectDefinition(anObject.myObjectDefinition);
        if (definition == nullptr)
        {
            return;
        }
        anOut.reserve(anOut.size() + definition->myProperties.size());
        for (const PropertyDefinition& property : definition->myProperties)
        {
            anOut.push_back(property);
            if (!property.IsPerInstance())
            {
                continue;
            }
            // Only the object's first property of that name is looked at.
            const auto own = std::find_if(anObject.myProperties.begin(), anObject.myProperties.end(),
                                          [&](const SceneObjectProperty& aProperty) { return aProperty.myName == property.myName; });
            if (own != anObject.myProperties.end() && own->myType == property.myType)
            {
                anOut.back().myValue = own->myValue;
            }
        }
    }
}
