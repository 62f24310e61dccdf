#pragma once
// Geometry conversions over a whole scene.
#include "Platform/fbx/Object.h"

namespace Plat::Fbx
{
    class Scene;

    class GeometryConverter
    {
    public:
        explicit GeometryConverter(Manager* aManager) : myManager(aManager) {}

        // Replaces every mesh's polygons by triangles: the legacy method fans each
        // polygon from its first corner, the other clips ears so concave polygons
        // stay inside their outline. Keeping the original polygons beside the
        // triangles (aReplace false) is not offered and returns false.
        bool Triangulate(Scene* aScene, bool aReplace, bool aUseLegacy = false);

        Manager* GetManager() const { return myManager; }

    private:
        Manager* myManager;
    };
}
