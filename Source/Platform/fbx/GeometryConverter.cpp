#include "Platform/fbx/GeometryConverter.h"

#include "Platform/fbx/Scene.h"

namespace Plat::Fbx
{
    bool GeometryConverter::Triangulate(Scene* aScene, bool aReplace, bool aUseLegacy)
    {
        if (aScene == nullptr || !aReplace)
            return false;
        for (Mesh* mesh : aScene->myMeshes)
            if (!mesh->IsTriangleMesh())
                mesh->Triangulate(!aUseLegacy);
        return true;
    }
}
