#include "ChasingHands.h"

#include "CustomSceneObject.h"
#include "Message.h"
#include "ParticleEmitter.h"
#include "Player.h"
#include "PostMaster.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/Camera.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
    constexpr MessageType kSubscriptions[] = {MessageType::SaveState, MessageType::RestoreState};
    constexpr const char* MOTE_TEXTURE = "sprites/particles/S_Darktangle.dds";
    constexpr float HAND_SCALE = 2.0f;
    constexpr float DARKNESS_RATE = 0.04f;     // intensity per second
    constexpr float RISEN_INTENSITY = 0.1f;
    constexpr float START_DISTANCE = 2000.0f;  // how far behind the player the hands rise
    constexpr float CATCH_UP_DISTANCE = 800.0f;
    constexpr float LEAD_LIMIT = 2000.0f;
    constexpr float CATCH_UP_FACTOR = 1.5f;
    // The darkness motes' own speed range; they drift with the hands until the fade.
    constexpr float MOTE_SPEED_LOW = 20.0f;
    constexpr float MOTE_SPEED_HIGH = 30.0f;

    // Hands stacked 256 apart over the area's height, at least three. A height below 0 (or
    // not a number) counts as 0, and one above the tallest is held to it.
    int32_t HandCount(float aHeight)
    {
        const float height = aHeight > 0.0f ? std::fmin(aHeight, ChasingHands::MAX_HEIGHT) : 0.0f;
        return static_cast<int32_t>(height) / static_cast<int32_t>(ChasingHands::HAND_SPACING) + 2;
    }

    std::string Number(float aValue)
    {
        char text[32];
        std::snprintf(text, sizeof(text), "%g", static_cast<double>(aValue));
        return text;
    }

    void Post(MessageType aType)
    {
        Message message;
        message.type = aType;
        PostMaster::GetInstance().SendMessage(message);
    }
}

ChasingHands::ChasingHands(Kiln::Vector3<float> aPosition, Kiln::Vector3<float> aSize, float aSpeed)
    : myPosition(aPosition), mySpeed(aSpeed), mySize(aSize)
{
    myEndX = myPosition.x + mySize.x / 2.0f;
    // Until the chase starts the hands wait at the area's left edge; the kill box ignores
    // contacts then.
    myHandsX = myPosition.x - mySize.x / 2.0f;

    const int32_t count = HandCount(mySize.y);
    const int32_t half = count / 2;
    for (int32_t k = -half; k <= half; ++k)
    {
        EnemyConfig config;
        config.myPosition = {myPosition.x, myPosition.y - static_cast<float>(k) * HAND_SPACING, myPosition.z};
        config.myScale = {HAND_SCALE, HAND_SCALE, HAND_SCALE};
        config.myRotation = {0.0f, 0.0f, 0.0f};
        config.myBoxSize = {HAND_SPACING, HAND_SPACING};
        config.myWithParticles = false;

        auto hand = std::make_unique<StationaryEnemy>();
        hand->Init(config);
        hand->myAnimationController.Init(CONTROLLER_PATH);
        hand->mySharedData = hand->myAnimationController.GetCurrentTexture();
        Kiln::Matrix4x4<float>& transform = hand->mySpriteInstance.myTransform;
        const float scale[3] = {config.myScale.x, config.myScale.y, config.myScale.z};
        for (std::size_t row = 0; row < 3; ++row)
        {
            for (std::size_t column = 0; column < 4; ++column)
                transform(row, column) *= scale[row];
        }
        hand->myAnimationController.SetState("Idle");
        myHands.push_back(std::move(hand));
    }

    ParticleEmitterSettings darkness;
    darkness.myTexturePath = Kiln::StringRegistry::RegisterOrGetStringLiteral(MOTE_TEXTURE, std::strlen(MOTE_TEXTURE));
    darkness.myPosition = myPosition;
    darkness.mySpawnAmount = count * 5;
    darkness.mySpawnFrequency = 0.2f;
    darkness.myLifetimeInterval = {4.0f, 5.0f};
    darkness.mySpeedInterval = {MOTE_SPEED_LOW + mySpeed, MOTE_SPEED_HIGH + mySpeed};
    darkness.myAngleInterval = {-45.0f, 45.0f};
    darkness.myAccelerationInterval = {-10.0f, 0.0f};
    darkness.mySize = {50.0f, 50.0f};
    darkness.myYOffsetInterval = {-mySize.y / 2.0f, mySize.y / 2.0f};
    darkness.myScaleEnd = 0.0f;
    darkness.myIsAlphaBlend = true;
    myEmitter = std::make_unique<ParticleEmitter>(darkness);

    myStartBox.Init({myPosition.x, myPosition.y}, {mySize.x, mySize.y});
    myStartBox.SetCollisionLayer(CollisionLayer::Trigger);
    myStartBox.SetCollisionMask(CollisionLayer::Player);
    myStartBox.SetPlayerCollisionCallback([this](Player& aPlayer, const Kiln::Vector2<float>&, float) { OnStartContact(aPlayer); });

    myKillBox.Init({myHandsX, myPosition.y}, {KILL_BOX_WIDTH, mySize.y});
    myKillBox.SetCollisionLayer(CollisionLayer::Trigger);
    myKillBox.SetCollisionMask(CollisionLayer::Player);
    myKillBox.SetPlayerCollisionCallback([this](Player& aPlayer, const Kiln::Vector2<float>& aPush, float aDeltaTime) {
        OnKillContact(aPlayer, aPush, aDeltaTime);
    });

    myOverlay.myPivot = {1.0f, 0.5f};
    myOverlay.mySize = {6000.0f, mySize.y};
    myOverlay.myColor = {0.0f, 0.0f, 0.0f, 1.0f};

    mySavedHandsX = myHandsX;
    mySavedStartBoxSize = myStartBox.GetSize();

    for (MessageType type : kSubscriptions)
        PostMaster::GetInstance().Subscribe(type, this);
}

std::unique_ptr<ChasingHands> ChasingHands::Create(const CustomSceneObject& anObject)
{
    const float speed = anObject.Get<float>("speed");
    if (!(speed > 0.0f) || !std::isfinite(speed))
        throw ContentError(anObject.Describe("key \"speed\" is " + Number(speed) + "; a chase needs a finite speed above 0"));
    const Kiln::Vector3<float> size = anObject.myScale * 1000.0f;
    if (!(size.x <= MAX_WIDTH))
        throw ContentError(anObject.Describe("the chase area is " + Number(size.x) + " units wide (its scale's x x 1000); at most " +
                                             std::to_string(static_cast<int>(MAX_WIDTH))));
    if (!(size.y <= MAX_HEIGHT))
        throw ContentError(anObject.Describe("the chase area is " + Number(size.y) + " units tall (its scale's y x 1000); at most " +
                                             std::to_string(static_cast<int>(MAX_HEIGHT))));
    return std::make_unique<ChasingHands>(anObject.myPosition, size, speed);
}

ChasingHands::~ChasingHands()
{
    for (MessageType type : kSubscriptions)
        PostMaster::GetInstance().Unsubscribe(type, this);
}

void ChasingHands::OnStartContact(Player& aPlayer)
{
    // Fires once: a restored state before the chase gives the box its size back.
    myStartBox.SetSize(0.0f, 0.0f);
    myHandsX = aPlayer.GetPosition().x - START_DISTANCE;
    myState = STATE_RISING;
    Post(MessageType::ChaseMusic);
    aPlayer.Freeze();
}

void ChasingHands::OnKillContact(Player& aPlayer, const Kiln::Vector2<float>& aPush, float aDeltaTime)
{
    if (myState == STATE_IDLE || myState == STATE_RISING || myHands.empty())
        return;
    aPlayer.OnCollisionWithEnemy(*myHands.front(), aPush, aDeltaTime);
}

void ChasingHands::UpdateHands(float aDeltaTime)
{
    for (const std::unique_ptr<StationaryEnemy>& hand : myHands)
        hand->Update(aDeltaTime);
}

void ChasingHands::SetMoteDrift(bool aWithTheHands)
{
    const float drift = aWithTheHands ? mySpeed : 0.0f;
    myEmitter->GetSettings().mySpeedInterval = {MOTE_SPEED_LOW + drift, MOTE_SPEED_HIGH + drift};
}

void ChasingHands::Update(float aDeltaTime, Player& aPlayer, ShakeFunction aShake)
{
    const auto shake = [&aShake](float aDuration, float anAmplitude) {
        if (aShake)
            aShake(aDuration, anAmplitude);
    };

    switch (myState)
    {
    case STATE_IDLE: return;
    case STATE_RISING:
        myIntensity += DARKNESS_RATE * aDeltaTime;
        if (myIntensity >= RISEN_INTENSITY)
        {
            myState = STATE_CHASING;
            shake(0.0f, 4.0f);
        }
        break;
    case STATE_CHASING:
        myHandsX += mySpeed * CATCH_UP_FACTOR * aDeltaTime;
        if (myHandsX > aPlayer.GetPosition().x - CATCH_UP_DISTANCE)
        {
            myState = STATE_FOLLOWING;
            Post(MessageType::SaveState);
            shake(0.0f, 2.0f);
            aPlayer.Unfreeze();
        }
        UpdateHands(aDeltaTime);
        break;
    case STATE_FOLLOWING:
        // The hands never run more than a screen ahead of a player who turned back.
        if (aPlayer.GetPosition().x + LEAD_LIMIT > myHandsX)
            myHandsX += mySpeed * aDeltaTime;
        if (myHandsX > myEndX && myIsFinishAllowed)
        {
            myState = STATE_FADING;
            shake(-1.0f, 5.0f);
            SetMoteDrift(false);
        }
        UpdateHands(aDeltaTime);
        break;
    case STATE_FADING:
        myIntensity -= DARKNESS_RATE * aDeltaTime;
        if (myIntensity <= 0.0f)
            myState = STATE_DONE;
        break;
    default: break;
    }

    myEmitter->UpdateAt(aDeltaTime, {myHandsX, myPosition.y, myPosition.z});
    myOverlay.myPosition = {myHandsX, myPosition.y};
    myKillBox.SetPosition({myHandsX, myPosition.y});
    for (const std::unique_ptr<StationaryEnemy>& hand : myHands)
    {
        hand->Update(aDeltaTime);
        hand->SetPosition(myHandsX, hand->GetPosition().y, 0.0f);
    }
}

void ChasingHands::Render(const Kiln::Camera& aCamera)
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine == nullptr)
        return;
    Kiln::SpriteDrawer& drawer = *engine->GetGraphicsEngine()->GetSpriteDrawer();
    const Kiln::Vector2<uint32_t> renderSize = engine->GetRenderSize();
    const float width = static_cast<float>(renderSize.x);
    const float height = static_cast<float>(renderSize.y);

    if (myIntensity > 0.0f)
    {
        Kiln::Sprite2DInstanceData edge;
        edge.mySize = {width, height * myIntensity};
        edge.myTextureRect = {0.0f, 0.0f, 1.0f, 1.0f};
        edge.myColor = {0.0f, 0.0f, 0.0f, 1.0f};
        Kiln::SpriteBatchScope batch = drawer.BeginBatch(myOverlaySharedData);
        edge.myPosition = {0.0f, 0.0f};
        edge.myPivot = {0.0f, 1.0f};
        batch.Draw(edge);
        edge.myPosition = {0.0f, height};
        edge.myPivot = {0.0f, 0.0f};
        batch.Draw(edge);
    }

    if (myState == STATE_IDLE)
        return;

    const Kiln::Vector4<float> world{myHandsX, myPosition.y, 0.0f, 1.0f};
    const Kiln::Vector4<float> view = world * Kiln::Matrix4x4<float>::GetInverse(aCamera.GetTransform());
    const Kiln::Vector4<float> clip = view * aCamera.GetProjection();
    // Behind the camera there is nothing to place.
    if (!(clip.w > 0.0f))
        return;
    const float x = clip.x / clip.w;
    const float y = clip.y / clip.w;
    Kiln::Sprite2DInstanceData overlay = myOverlay;
    overlay.myPosition = {(x * 0.5f + 0.5f) * width, (y * 0.5f + 0.5f) * height};
    Kiln::SpriteBatchScope batch = drawer.BeginBatch(myOverlaySharedData);
    batch.Draw(overlay);
}

void ChasingHands::RenderHands()
{
    if (myState == STATE_IDLE || myState == STATE_RISING)
        return;
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine == nullptr)
        return;
    Kiln::SpriteDrawer& drawer = *engine->GetGraphicsEngine()->GetSpriteDrawer();
    for (const std::unique_ptr<StationaryEnemy>& hand : myHands)
        hand->Render(drawer);
}

void ChasingHands::Receive(const Message& aMessage)
{
    switch (aMessage.type)
    {
    case MessageType::SaveState:
        mySavedHandsX = myHandsX;
        mySavedState = myState;
        mySavedIntensity = myIntensity;
        mySavedStartBoxSize = myStartBox.GetSize();
        break;
    case MessageType::RestoreState:
        myHandsX = mySavedHandsX;
        myState = mySavedState;
        myIntensity = mySavedIntensity;
        myStartBox.SetSize(mySavedStartBoxSize);
        // A fade undone by a death is faded again later: the drift is set, never added.
        SetMoteDrift(myState != STATE_FADING && myState != STATE_DONE);
        break;
    default: break;
    }
}
