#pragma once
// Reading a scene from its folder. A scene path such as "levels\Level1.ksc" names the folder
// "levels/Level1.ksc.leveldata" under the game assets path; each file in it without an
// extension is one object, a JSON document named by the object's GUID.
#include "forge/scene/Scene.h"

namespace Kiln
{
    // Empties anOut and reads the scene's folder into it; a missing folder gives an empty
    // scene. Returns true in every case that does not throw. Malformed files raise the JSON
    // library's exceptions, nested in one that names the file (std::throw_with_nested);
    // file-system failures raise std::filesystem::filesystem_error.
    bool LoadScene(const char* aScenePath, Scene& anOut);

    // Reads one object document into aRecord (which starts as a fresh SceneObject).
    // Properties whose type is not registered are left out and reported on stderr.
    void ReadSceneObject(const nlohmann::json& aDocument, SceneObject& aRecord);
}
