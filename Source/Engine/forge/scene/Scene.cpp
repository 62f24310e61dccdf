#include "forge/scene/Scene.h"

namespace Kiln
{
    Scene::Scene() = default;
    Scene::~Scene() = default;

    void Scene::UpdatePathIndex(StringId anOldPath, StringId aNewPath)
    {
        ++myPathCounts[aNewPath];
        const auto old = myPathCounts.find(anOldPath);
        if (old == myPathCounts.end())
        {
            return;
        }
        if (--old->second == 0)
        {
            myPathCounts.erase(old);
        }
    }
}
