#pragma once
// One object of a scene: its placement, name, grouping path, the name of its object
// definition and its own typed property values in file order (a name may repeat).
// Scenes hold objects through shared pointers.
#include "forge/properties/Property.h"
#include "forge/scene/SceneTransform.h"
#include "forge/stringRegistry/StringId.h"

#include <string>
#include <vector>

namespace Kiln
{
    class Scene;

    struct SceneObjectProperty
    {
        StringId myName;
        const PropertyTypeBase* myType = nullptr;
        Property myValue;
    };

    class SceneObject
    {
    public:
        // With a scene, first moves one count of the scene's path index from the old path
        // to the new one; then stores the path. The loader passes no scene.
        void SetPath(Scene* aScene, StringId aPath);
        StringId GetPath() const { return myPath; }

        StringId myObjectDefinition;
        std::vector<SceneObjectProperty> myProperties;
        SceneTransform myTransform;
        std::string myName = "Scene Object";
        // The file the loader read the object from (empty for one built in code), so that
        // a reader that refuses the object can name the file to mend.
        std::string myFile;

    private:
        StringId myPath;
    };
}
