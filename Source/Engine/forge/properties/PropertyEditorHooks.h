#pragma once
// What the property editor rows ask of the tools around them. Both hooks are null by
// default: the game draws no editor, and an editor sets them when it starts.
#include "forge/stringRegistry/StringId.h"

namespace Kiln
{
    // Writes the path currently selected in the editor's asset browser. The rows show
    // their "Set From AssetBrowser" buttons only while this is set.
    using AssetBrowserHook = void (*)(StringId& aSelectedPath);
    extern AssetBrowserHook gAssetBrowserHook;

    // What a model row's texture tree shows of a loaded model.
    struct EditorModelView
    {
        static constexpr int MAX_MESH_NAMES = 4;

        int myMeshCount = 0;
        // Names of the first meshes (up to four); each stays valid while the model is cached.
        const char* myMeshNames[MAX_MESH_NAMES] = {};
    };

    // Fetches the model at a path, loading it if needed, as the model factory's GetModel
    // does; false when there is no model. The model factory sets this when it is created;
    // until then a model row shows no texture tree.
    using EditorModelLookup = bool (*)(StringId aPath, EditorModelView& aView);
    extern EditorModelLookup gEditorModelLookup;
}
