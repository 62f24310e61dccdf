#pragma once
// One level in play. The world fills itself from the level's scene a few objects per frame
// while the loading screen shows, turning each scene object into game objects through a
// factory picked by its object-definition name. Then it runs the frame of play: the player,
// the enemies near it, music by distance, prompts, particles, the chase scene, the camera
// shake, the collision pass and the follow camera; and draws the background, the models
// inside the view, the level's objects, the player, the particles, a light pass centred on
// the player and the on-screen prompts.
#include "AnimatedModelRecord.h"
#include "ChasingHands.h"
#include "CollisionManager.h"
#include "Levels.h"
#include "State.h"

#include "forge/math/Vector.h"
#include "forge/model/ModelInstance.h"

#include <cstdint>
#include <memory>
#include <vector>

class AnimatedWorldSprite;
class BreakablePot;
class BreakableWall;
class CheckPoints;
class CollisionBox;
class CustomCamera;
class CustomSceneObject;
class Door;
class DoorButton;
class Enemy;
class InteractObject;
class LevelTransition;
class ParallaxBackground;
class ParticleEmitter;
class Player;
class SceneLoader;
class TutorialText;
class Upgrade;
class WorldSprite;

namespace Kiln
{
    class SpriteShader;
}

class GameWorld
{
public:
    // Longest step the simulation takes in one frame, seconds.
    static constexpr float MAX_TIME_STEP = 0.0333f;
    // Scene objects converted per loading frame.
    static constexpr int32_t LOAD_BATCH_SIZE = 5;
    static constexpr float ACTIVATION_RADIUS = 2000.0f;
    static constexpr const char* LIGHT_PIXEL_SHADER = "shaders/PostProcessLight_PS";
    static constexpr const char* SCREEN_TEXTURE = "textures/ScreenTexture/T_ScreenTexture.dds";
    static constexpr const char* OUTRO_LEVEL = Levels::Outro().myPath;

    // Which model set a level uses (the digit appended to the model keys). A level without
    // one of its own (the outro, or a path not in the list) takes the rule's fallback set.
    enum class ModelSetRule
    {
        // Doors, buttons, walls and checkpoints.
        FallBackToSet1,
        // Pots and floor tiles.
        FallBackToSet3,
    };
    static int32_t GetModelSet(ModelSetRule aRule, const char* aLevelPath);

    GameWorld();
    ~GameWorld();
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    // aLevelPath is the game manager's text, which outlives the world; aState is written
    // when the level's exit has been walked through.
    void Init(const char* aLevelPath, State& aState);
    // One frame of simulation (the step is capped at MAX_TIME_STEP).
    void Update(float aDeltaTime);
    // One frame of drawing into the sRGB back buffer.
    void Render();

    bool IsLevelLoaded() const { return myIsLevelLoaded; }
    // Null until the level's player object is loaded (and in a level without one).
    Player* GetPlayer() const { return myPlayer.get(); }
    CustomCamera* GetCamera() const { return myCamera.get(); }
    const CollisionManager& GetCollisionManager() const { return myCollisionManager; }
    Kiln::SpriteShader* GetLightShader() const { return myLightShader.get(); }

private:
    friend class GameWorldTestAccess;

    // The game objects of one scene object, picked by its definition name.
    void CreateObject(CustomSceneObject& anObject);

    void LoadLevel();
    void CreatePlayer(CustomSceneObject& anObject);
    void CreateCollisionBox(CustomSceneObject& anObject, const char* aLevelPath);
    void CreateStationaryEnemy(CustomSceneObject& anObject);
    void CreatePassiveEnemy(CustomSceneObject& anObject);
    void CreateDoor(CustomSceneObject& anObject, const char* aLevelPath);
    void CreateDoorButton(CustomSceneObject& anObject, const char* aLevelPath);
    void CreateBreakableWall(CustomSceneObject& anObject, const char* aLevelPath);
    void CreateBreakablePot(CustomSceneObject& anObject, const char* aLevelPath);
    void CreateCheckPoint(CustomSceneObject& anObject, const char* aLevelPath);
    void CreateUpgrade(CustomSceneObject& anObject);
    void CreateChaseScene(CustomSceneObject& anObject);
    void CreateParticleEmitter(CustomSceneObject& anObject);
    void CreateParallaxBackground(CustomSceneObject& anObject);
    void CreateLevelTransition(CustomSceneObject& anObject, State& aState);
    void CreateAnimatedObject(CustomSceneObject& anObject);
    void CreateInteractObject(CustomSceneObject& anObject);
    void CreateTutorialText(CustomSceneObject& anObject);
    void CreateSceneVisual(CustomSceneObject& anObject);
    // Every button holds every door of its index, once, whichever batch either came in.
    void LinkDoorButtons();

    void UpdateEnemiesAndMusic(const Kiln::Vector3<float>& aPlayerPosition, float aDeltaTime);
    void UpdateShake(float aDeltaTime);
    void RenderModels();
    void RenderLightPass();

    std::unique_ptr<Player> myPlayer;
    std::unique_ptr<LevelTransition> myLevelTransition;
    std::unique_ptr<ParallaxBackground> myParallaxBackground;
    std::unique_ptr<ChasingHands> myChasingHands;
    std::unique_ptr<CustomCamera> myCamera;
    std::vector<std::unique_ptr<WorldSprite>> myWorldSprites;
    std::vector<std::unique_ptr<CollisionBox>> myCollisionBoxes;
    std::vector<Kiln::ModelInstance> myModelInstances;
    std::vector<std::unique_ptr<ParticleEmitter>> myParticleEmitters;
    std::vector<std::unique_ptr<Enemy>> myEnemies;
    std::vector<std::unique_ptr<Door>> myDoors;
    std::vector<std::unique_ptr<DoorButton>> myDoorButtons;
    std::vector<std::unique_ptr<BreakableWall>> myBreakableWalls;
    std::vector<std::unique_ptr<BreakablePot>> myBreakablePots;
    std::vector<std::unique_ptr<CheckPoints>> myCheckPoints;
    std::vector<std::unique_ptr<Upgrade>> myUpgrades;
    std::vector<AnimatedModelRecord> myAnimatedModels;
    std::vector<std::unique_ptr<AnimatedWorldSprite>> myAnimatedWorldSprites;
    std::vector<std::unique_ptr<InteractObject>> myInteractObjects;
    std::vector<std::unique_ptr<TutorialText>> myTutorialTexts;
    CollisionManager myCollisionManager;
    Kiln::Vector3<float> myShakeOffset{0.0f, 0.0f, 0.0f};
    std::unique_ptr<SceneLoader> mySceneLoader;
    State* myState = nullptr;
    const char* myLevelPath = nullptr;
    std::unique_ptr<ParticleEmitter> myWorldEmitter;
    float myShakeTimer = 0.0f;
    float myShakeDuration = -1.0f;
    float myShakeAmplitude = 3.0f;
    float myActivationRadius = ACTIVATION_RADIUS;
    bool myIsLevelLoaded = false;
    bool myIsOutroLevel = false;
    std::unique_ptr<Kiln::SpriteShader> myLightShader;
    // What the chase scene calls to start or stop the camera shake; made once, so the
    // frame does not build it again.
    ChasingHands::ShakeFunction myShakeFunction;
};
