#pragma once
// Turns a parsed document into a scene: objects, connections, hierarchy, animation
// bindings and takes. Every index and length the scene's users rely on is checked here.
#include "Platform/fbx/Document.h"

namespace Plat::Fbx
{
    class Scene;

    // Deepest node hierarchy accepted.
    constexpr int MaxNodeDepth = 1024;

    // Throws FormatError describing the first inconsistency.
    void BuildScene(const Document& aDocument, Scene& aScene);
    // The same, moving large arrays out of aDocument where they already have the form the
    // scene stores, instead of copying them.
    void BuildSceneTakingArrays(Document& aDocument, Scene& aScene);
}
