#include "forge/scene/SceneObject.h"

#include "forge/scene/Scene.h"

namespace Kiln
{
    void SceneObject::SetPath(Scene* aScene, StringId aPath)
    {
        if (aScene != nullptr)
        {
            aScene->UpdatePathIndex(myPath, aPath);
        }
        myPath = aPath;
    }
}
