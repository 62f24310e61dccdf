#pragma once
// All object definitions under a folder tree, by name. The game's scene loader fills one
// manager per scene load and merges every object it converts.
#include "forge/scene/ObjectDefinition.h"
#include "forge/scene/SceneObject.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace Kiln
{
    class ObjectDefinitionManager
    {
    public:
        // Scans aFolder recursively (symbolic links to folders are not followed) and adds
        // every regular file whose extension is exactly ".kob". A name met a second time is
        // reported on stdout and the first definition stays. Errors of the scan raise
        // std::filesystem::filesystem_error; errors of a file as LoadObjectDefinition.
        void LoadDefinitions(const char* aFolder);

        ObjectDefinition* GetObjectDefinition(StringId aName);
        const ObjectDefinition* GetObjectDefinition(StringId aName) const;
        std::size_t GetDefinitionCount() const { return myDefinitions.size(); }

    private:
        // Keys compare as ids; std::hash<StringId> hashes their text with FNV-1a.
        std::unordered_map<StringId, std::unique_ptr<ObjectDefinition>> myDefinitions;
    };

    // Appends the effective properties of anObject to anOut (the caller empties it first):
    // its definition's properties in the definition's order; a per-instance property takes
    // the value of the object's first property of the same name when that has the same
    // type. An object without a known definition appends nothing.
    void MergeObjectDefinitionProperties(const SceneObject& anObject, const ObjectDefinitionManager& aManager,
                                         std::vector<PropertyDefinition>& anOut);
}
