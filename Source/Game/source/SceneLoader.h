#pragma once
// Turns one scene folder into CustomSceneObject records, a few objects per call, while it
// shows a loading screen (a background picture and a running moth). Each object gets the
// properties of its object definition merged in, converted by type; model properties
// become ready model instances. Levels call LoadSome(5) every frame; menus and animation
// controllers call LoadAll once.
#include "Animated2DSprite.h"
#include "CustomSceneObject.h"

#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/scene/ObjectDefinition.h"
#include "forge/scene/Scene.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Kiln
{
    class ObjectDefinitionManager;
    class SceneObject;
}

class SceneLoader
{
public:
    static constexpr int32_t STATE_IDLE = 0;
    static constexpr int32_t STATE_REQUESTED = 1;
    static constexpr int32_t STATE_LOADING = 2;
    static constexpr int32_t STATE_DONE = 3;
    // What beginning a load (reading the scene and every definition) counts against a budget.
    static constexpr int32_t BEGIN_LOAD_COST = 100;
    // The loading screen's pictures, which every load asks for first.
    static constexpr const char* LOADING_SCREEN_TEXTURES[] = {"sprites/UI/Menu BG/S_UI_Loading_BG.dds",
                                                              "sprites/player character/S_mothboi.dds"};

    explicit SceneLoader(const char* aScenePath);
    ~SceneLoader();
    SceneLoader(const SceneLoader&) = delete;
    SceneLoader& operator=(const SceneLoader&) = delete;

    // The next records in queue order, within aBudget units (begin 100, each object 1).
    // The first call only requests the load; the next one begins it.
    std::vector<CustomSceneObject> LoadSome(int32_t aBudget);
    // BeginLoad, then LoadSome(10000), then ReportLeftOut: menus and animation
    // controllers read no models.
    std::vector<CustomSceneObject> LoadAll();
    // One line for each model file left out of the records handed out since the last call
    // (once per file). A caller calls it once it has used those records without refusing
    // one: a refusal for a left-out model already names it, in the one line that ends the game.
    void ReportLeftOut();
    bool IsDone() const { return myState == STATE_DONE; }

    // Prepares the loading screen, reads the scene and the object definitions and queues
    // every object.
    void BeginLoad();
    void UpdateLoadingScreen(float aDeltaTime);
    void RenderLoadingScreen();

    // What keeps the scene's folder from being read, as "\"<folder>\" does not exist" (or "is
    // not a folder", "cannot be read: ..."); empty when it reads. Such a scene loads empty;
    // the caller decides whether the game can go on without it.
    std::string FindFolderProblem() const;

    int32_t GetState() const { return myState; }
    const std::string& GetScenePath() const { return myScenePath; }
    const Kiln::Sprite2DInstanceData& GetBackgroundInstance() const { return myBackgroundInstance; }
    const Animated2DSprite& GetMoth() const { return myMoth; }

private:
    std::filesystem::path SceneFolder() const;
    CustomSceneObject Convert(const Kiln::SceneObject& anObject);

    Kiln::Scene myScene;
    std::unique_ptr<Kiln::ObjectDefinitionManager> myDefinitions;
    Kiln::Sprite2DInstanceData myBackgroundInstance;
    Kiln::SpriteSharedData myBackgroundSharedData;
    Animated2DSprite myMoth;
    std::deque<std::shared_ptr<Kiln::SceneObject>> myQueue;
    std::string myScenePath;
    int32_t myState = STATE_IDLE;
    // Reused by every conversion.
    std::vector<Kiln::PropertyDefinition> myMergedProperties;
    // Model files left out, each said once; the lines not yet said.
    std::set<std::string> myReportedModels;
    std::vector<std::string> myLeftOutLines;
};
