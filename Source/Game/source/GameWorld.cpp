#include "GameWorld.h"

#include "AnimatedWorldSprite.h"
#include "BreakablePot.h"
#include "BreakableWall.h"
#include "CheckPoints.h"
#include "CollisionBox.h"
#include "ContentError.h"
#include "CustomCamera.h"
#include "CustomSceneObject.h"
#include "Door.h"
#include "DoorButton.h"
#include "EngineAccess.h"
#include "Enemy.h"
#include "InteractObject.h"
#include "LevelTransition.h"
#include "Message.h"
#include "ParallaxBackground.h"
#include "ParticleEmitter.h"
#include "ParticleEmitterSettings.h"
#include "ParticleRegistry.h"
#include "Player.h"
#include "PostMaster.h"
#include "SceneLoader.h"
#include "Sound.h"
#include "TutorialText.h"
#include "Upgrade.h"
#include "WorldSprite.h"

#include "forge/drawers/ModelDrawer.h"
#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
    // The level-wide drift of motes around the player.
    constexpr const char* MOTE_TEXTURE = "sprites/particles/S_Darktangle.dds";

    // The model's bounding sphere in model space: the sphere around the box of all its
    // meshes' bounds. False for an instance without a model or meshes.
    bool GetModelSphere(const std::shared_ptr<Kiln::Model>& aModel, Kiln::Vector3<float>& aCenter, float& aRadius)
    {
        if (aModel == nullptr || aModel->GetMeshes().empty())
            return false;
        const std::vector<Kiln::MeshData>& meshes = aModel->GetMeshes();
        if (meshes.size() == 1)
        {
            aCenter = meshes[0].myBounds.myCenter;
            aRadius = meshes[0].myBounds.myRadius;
            return true;
        }
        Kiln::Vector3<float> low = meshes[0].myBounds.myCenter - meshes[0].myBounds.myHalfExtents;
        Kiln::Vector3<float> high = meshes[0].myBounds.myCenter + meshes[0].myBounds.myHalfExtents;
        for (const Kiln::MeshData& mesh : meshes)
        {
            const Kiln::Vector3<float> meshLow = mesh.myBounds.myCenter - mesh.myBounds.myHalfExtents;
            const Kiln::Vector3<float> meshHigh = mesh.myBounds.myCenter + mesh.myBounds.myHalfExtents;
            low = {std::min(low.x, meshLow.x), std::min(low.y, meshLow.y), std::min(low.z, meshLow.z)};
            high = {std::max(high.x, meshHigh.x), std::max(high.y, meshHigh.y), std::max(high.z, meshHigh.z)};
        }
        aCenter = (low + high) * 0.5f;
        aRadius = ((high - low) * 0.5f).Length();
        return true;
    }

    // Whether a model's bounding sphere, placed by aTransform, meets the fixed 90-degree
    // view pyramid that looks along +z from aCameraPosition. The pyramid does not turn with
    // the camera: the level camera never rotates.
    bool IsInView(const std::shared_ptr<Kiln::Model>& aModel, const Kiln::Matrix4x4<float>& aTransform,
                  const Kiln::Vector3<float>& aCameraPosition)
    {
        Kiln::Vector3<float> center;
        float radius = 0.0f;
        if (!GetModelSphere(aModel, center, radius))
            return false;
        float largestScaleSqr = 0.0f;
        for (size_t row = 0; row < 3; ++row)
            largestScaleSqr = std::max(largestScaleSqr, aTransform.GetRow(row).LengthSqr());
        const float scaledRadius = radius * std::sqrt(largestScaleSqr);
        const Kiln::Vector3<float> toCenter = aTransform.TransformPoint(center) - aCameraPosition;

        constexpr float side = 0.7071f;
        const Kiln::Vector3<float> planes[4] = {{-side, 0.0f, side}, {side, 0.0f, side}, {0.0f, -side, side}, {0.0f, side, side}};
        for (const Kiln::Vector3<float>& normal : planes)
        {
            if (toCenter.Dot(normal) < -scaledRadius)
                return false;
        }
        return true;
    }
}


GameWorld::GameWorld() = default;

GameWorld::~GameWorld()
{
    PostMaster::Send(MessageType::StopMusic);
    // Particles that seek the player read its position: they go before it does.
    ParticleRegistry::GetInstance().Clear();
    myPlayer.reset();
    myLevelTransition.reset();
    myParallaxBackground.reset();
    myChasingHands.reset();
    myWorldSprites.clear();
    myCollisionBoxes.clear();
    myParticleEmitters.clear();
    myEnemies.clear();
    myDoors.clear();
    myDoorButtons.clear();
    myBreakableWalls.clear();
    myBreakablePots.clear();
    myCheckPoints.clear();
    myUpgrades.clear();
    myAnimatedWorldSprites.clear();
    myInteractObjects.clear();
    myTutorialTexts.clear();
    mySceneLoader.reset();
    myWorldEmitter.reset();
    myLightShader.reset();
    myModelInstances.clear();
    myAnimatedModels.clear();
    myCamera.reset();
}

void GameWorld::Init(const char* aLevelPath, State& aState)
{
    float width = 0.0f;
    float height = 0.0f;
    if (const Kiln::Engine* engine = Kiln::Engine::GetInstance())
    {
        width = static_cast<float>(engine->GetRenderSize().x);
        height = static_cast<float>(engine->GetRenderSize().y);
    }

    myCamera = std::make_unique<CustomCamera>();
    if (width > 0.0f && height > 0.0f)
        myCamera->SetPerspectiveProjection(90.0f, {width, height}, 0.1f, 50000.0f);

    myShakeDuration = -1.0f;
    myShakeTimer = 0.0f;
    myShakeAmplitude = 3.0f;
    myState = &aState;
    myShakeFunction = [this](float aDuration, float anAmplitude) {
        myShakeDuration = aDuration;
        myShakeAmplitude = anAmplitude;
    };

    Message music;
    music.type = MessageType::LevelMusic;
    music.text = aLevelPath;
    PostMaster::GetInstance().SendMessage(music);
    myLevelPath = aLevelPath != nullptr ? aLevelPath : "";
    myIsOutroLevel = std::strcmp(myLevelPath, OUTRO_LEVEL) == 0;

    myLightShader = std::make_unique<Kiln::SpriteShader>();
    myLightShader->Init("shaders/instanced_sprite_shader_vs", LIGHT_PIXEL_SHADER);
    myLightShader->SetTextureAtRegister(GetColourTexture(SCREEN_TEXTURE), 6);

    mySceneLoader = std::make_unique<SceneLoader>(myLevelPath);

    ParticleEmitterSettings settings;
    settings.myTexturePath = Kiln::StringRegistry::RegisterOrGetStringLiteral(MOTE_TEXTURE, std::strlen(MOTE_TEXTURE));
    settings.mySize = {15.0f, 15.0f};
    settings.mySpawnAmount = 12;
    settings.mySpawnFrequency = 0.2f;
    settings.myLifetimeInterval = {25.0f, 30.0f};
    settings.mySpeedInterval = {30.0f, 45.0f};
    settings.myAngleInterval = {225.0f, 315.0f};
    settings.myAccelerationInterval = {-10.0f, 0.0f};
    settings.myAccelerationChangeInterval = {0.1f, 0.5f};
    settings.myColorStart = {1.0f, 1.0f, 1.0f, 1.0f};
    settings.myColorEnd = {1.0f, 1.0f, 1.0f, 1.0f};
    settings.myXOffsetInterval = {-5.0f * width, 5.0f * width};
    settings.myYOffsetInterval = {0.0f, height};
    settings.myScaleEnd = 0.0f;
    settings.myIsAlphaBlend = true;
    myWorldEmitter = std::make_unique<ParticleEmitter>(settings);
}

void GameWorld::Update(float aDeltaTime)
{
    const float dt = std::min(aDeltaTime, MAX_TIME_STEP);
    if (!myIsLevelLoaded)
    {
        LoadLevel();
        mySceneLoader->UpdateLoadingScreen(dt);
        return;
    }

    if (myLevelTransition)
        myLevelTransition->Update(dt);

    for (AnimatedModelRecord& record : myAnimatedModels)
    {
        record.GetPlayer().Update(dt);
        record.GetInstance().SetPose(record.GetPlayer());
    }

    if (myPlayer)
    {
        if (myChasingHands)
        {
            for (const std::unique_ptr<DoorButton>& button : myDoorButtons)
            {
                if (button->GetIndex() == 10 && button->IsPressed())
                    myChasingHands->AllowFinish();
            }
        }

        myPlayer->Update(dt);
        const Kiln::Vector3<float> playerPosition = myPlayer->GetPosition();
        UpdateEnemiesAndMusic(playerPosition, dt);

        for (const std::unique_ptr<InteractObject>& prompt : myInteractObjects)
            prompt->UpdateProximity(playerPosition);
        for (const std::unique_ptr<TutorialText>& card : myTutorialTexts)
            card->UpdateProximity(playerPosition);
        float height = 0.0f;
        if (const Kiln::Engine* engine = Kiln::Engine::GetInstance())
            height = static_cast<float>(engine->GetRenderSize().y);
        myWorldEmitter->SetPosition({playerPosition.x, playerPosition.y + height, playerPosition.z});
    }

    myWorldEmitter->Update(dt);

    for (const std::unique_ptr<Door>& door : myDoors)
        door->Update(dt);
    for (const std::unique_ptr<ParticleEmitter>& emitter : myParticleEmitters)
        emitter->Update(dt);
    ParticleRegistry::GetInstance().Update(dt);

    // The chase follows the player: a level without one keeps its chase scene idle.
    if (myChasingHands && myPlayer)
        myChasingHands->Update(dt, *myPlayer, myShakeFunction);

    UpdateShake(dt);

    myCollisionManager.CollisionPass(dt);

    if (myPlayer)
    {
        myCamera->SetTarget(myPlayer->GetPosition() + myShakeOffset);
        myCamera->Update(dt);
    }

    for (const std::unique_ptr<AnimatedWorldSprite>& decoration : myAnimatedWorldSprites)
        decoration->Update(dt);
    for (const std::unique_ptr<Upgrade>& upgrade : myUpgrades)
        upgrade->Update(dt);
}

void GameWorld::UpdateEnemiesAndMusic(const Kiln::Vector3<float>& aPlayerPosition, float aDeltaTime)
{
    const float radius = myActivationRadius;
    const float none = radius * radius;
    float nearestPassive = none;
    float nearestHands = none;
    float nearestOther = none;
    for (const std::unique_ptr<Enemy>& enemy : myEnemies)
    {
        if (std::abs(enemy->GetPosition().x - aPlayerPosition.x) >= radius)
            continue;
        enemy->Update(aDeltaTime);
        if (enemy->IsDead())
            continue;
        const float distanceSqr = (enemy->GetPosition() - aPlayerPosition).LengthSqr();
        switch (enemy->GetEnemyType())
        {
        case Enemy::TYPE_PASSIVE: nearestPassive = std::min(nearestPassive, distanceSqr); break;
        case Enemy::TYPE_HANDS: nearestHands = std::min(nearestHands, distanceSqr); break;
        default: nearestOther = std::min(nearestOther, distanceSqr); break;
        }
    }

    Sound& sound = Sound::GetInstance();
    if (myIsOutroLevel)
        sound.UpdateBossVolume(aPlayerPosition.x);
    else
        // Kinds other than walkers and hands have no loop of their own.
        sound.UpdateEnemyVolumes(none, nearestPassive, nearestHands);
}

void GameWorld::UpdateShake(float aDeltaTime)
{
    if (myShakeDuration <= -1.0f)
        return;
    float time = 0.0f;
    if (const Kiln::Engine* engine = Kiln::Engine::GetInstance())
        time = engine->GetTotalTime();
    myShakeOffset.x = std::cos(time * 50.0f) * myShakeAmplitude;
    myShakeOffset.y = std::cos(time * 70.0f) * myShakeAmplitude;
    myShakeTimer += aDeltaTime;
    if (myShakeDuration > 0.01f && myShakeTimer >= myShakeDuration)
    {
        myShakeTimer = 0.0f;
        myShakeDuration = -1.0f;
    }
}

void GameWorld::Render()
{
    if (!myIsLevelLoaded)
    {
        mySceneLoader->RenderLoadingScreen();
        return;
    }
    Kiln::GraphicsEngine* graphics = GetGraphicsEngine();
    if (graphics == nullptr || graphics->GetSpriteDrawer() == nullptr || Kiln::DX11::BackBuffer == nullptr)
        return;
    Kiln::SpriteDrawer& sprites = *graphics->GetSpriteDrawer();
    Kiln::GraphicsStateStack& states = *graphics->GetGraphicsStateStack();

    Kiln::DX11::BackBuffer->SetAsActiveTarget(nullptr);
    if (myParallaxBackground)
        myParallaxBackground->Render(sprites, myCamera->GetTransform().GetPosition());

    Kiln::DX11::BackBuffer->SetAsActiveTarget(Kiln::DX11::MainDepthBuffer);
    if (myChasingHands)
        myChasingHands->Render(*myCamera);

    const Kiln::Camera savedCamera = states.GetCamera();
    states.SetCamera(*myCamera);

    RenderModels();

    for (const std::unique_ptr<Door>& door : myDoors)
        door->Render();
    for (const std::unique_ptr<DoorButton>& button : myDoorButtons)
        button->Render();
    for (const std::unique_ptr<BreakableWall>& wall : myBreakableWalls)
        wall->Render();
    for (const std::unique_ptr<BreakablePot>& pot : myBreakablePots)
        pot->Render();
    for (const std::unique_ptr<CheckPoints>& checkpoint : myCheckPoints)
        checkpoint->Render();
    for (const std::unique_ptr<Upgrade>& upgrade : myUpgrades)
        upgrade->Render(sprites);
    if (myChasingHands)
        myChasingHands->RenderHands();
    for (const std::unique_ptr<WorldSprite>& sprite : myWorldSprites)
        sprite->Render(sprites);

    if (myPlayer)
    {
        myPlayer->Render(sprites);
        const float playerX = myPlayer->GetPosition().x;
        for (const std::unique_ptr<Enemy>& enemy : myEnemies)
        {
            if (std::abs(enemy->GetPosition().x - playerX) < myActivationRadius)
                enemy->Render(sprites);
        }
        for (const std::unique_ptr<AnimatedWorldSprite>& decoration : myAnimatedWorldSprites)
        {
            if (std::abs(decoration->GetPosition().x - playerX) < myActivationRadius)
                decoration->Render(sprites);
        }
    }

    ParticleRegistry::GetInstance().Render(sprites);

    states.SetCamera(savedCamera);
    Kiln::DX11::BackBuffer->SetAsActiveTarget(nullptr);

    // Without a player there is nothing to light: the level shows as it is.
    if (myPlayer)
        RenderLightPass();

    for (const std::unique_ptr<InteractObject>& prompt : myInteractObjects)
        prompt->Render(sprites);
    for (const std::unique_ptr<TutorialText>& card : myTutorialTexts)
        card->Render(sprites);
}

void GameWorld::RenderModels()
{
    Kiln::GraphicsEngine* graphics = GetGraphicsEngine();
    Kiln::ModelDrawer* drawer = graphics != nullptr ? graphics->GetModelDrawer() : nullptr;
    if (drawer == nullptr)
        return;
    const Kiln::Vector3<float> cameraPosition = myCamera->GetTransform().GetPosition();
    for (const Kiln::ModelInstance& instance : myModelInstances)
    {
        if (IsInView(instance.GetModel(), instance.GetTransform(), cameraPosition))
            drawer->DrawLambert(instance);
    }
    for (const AnimatedModelRecord& record : myAnimatedModels)
    {
        const Kiln::AnimatedModelInstance& instance = record.GetInstance();
        if (IsInView(instance.GetModel(), instance.GetTransform(), cameraPosition))
            drawer->DrawAnimated(instance);
    }
}

void GameWorld::RenderLightPass()
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    Kiln::GraphicsEngine* graphics = GetGraphicsEngine();
    if (engine == nullptr || graphics == nullptr)
        return;
    const float width = static_cast<float>(engine->GetRenderSize().x);
    const float height = static_cast<float>(engine->GetRenderSize().y);

    const Kiln::Matrix4x4<float> view = Kiln::Matrix4x4<float>::GetFastInverse(myCamera->GetTransform());
    Kiln::Vector4<float> clip = Kiln::Vector4<float>(myPlayer->GetPosition(), 1.0f) * view;
    clip = clip * myCamera->GetProjection();
    // A player exactly in the camera's plane would divide by zero.
    float w = clip.w;
    if (std::abs(w) < 1e-6f)
        w = w < 0.0f ? -1e-6f : 1e-6f;
    const float x = clip.x / w * 0.5f + 0.5f;
    const float y = clip.y / w * 0.5f + 0.5f;
    myLightShader->SetDataBufferVector4({x, y, 0.0f, 1.0f}, 0);

    Kiln::SpriteSharedData shared;
    shared.myCustomShader = myLightShader.get();
    Kiln::Sprite2DInstanceData instance;
    instance.myPosition = {0.0f, 0.0f};
    instance.myPivot = {0.0f, 1.0f};
    instance.mySize = {width, height};
    instance.mySizeMultiplier = {1.0f, 1.0f};
    instance.myTextureRect = {0.0f, 0.0f, 1.0f, 1.0f};
    instance.myColor = {1.0f, 1.0f, 1.0f, 1.0f};
    instance.myCustomData = {0.0f, 0.0f, 1.0f, 1.0f};
    instance.myRotation = 0.0f;
    instance.myIsHidden = false;
    Kiln::SpriteBatchScope batch = graphics->GetSpriteDrawer()->BeginBatch(shared);
    batch.Draw(instance);
}

void GameWorld::LoadLevel()
{
    std::vector<CustomSceneObject> batch = mySceneLoader->LoadSome(LOAD_BATCH_SIZE);
    for (CustomSceneObject& object : batch)
        CreateObject(object);
    mySceneLoader->ReportLeftOut();
    LinkDoorButtons();
    if (mySceneLoader->IsDone())
    {
        // An empty level has no hero: nothing to play, and no way on to the next level.
        if (const std::string problem = mySceneLoader->FindFolderProblem(); !problem.empty())
            throw ContentError("level folder " + problem + "; the level cannot be played");
        myIsLevelLoaded = true;
        PostMaster::Send(MessageType::SaveState);
    }
}
