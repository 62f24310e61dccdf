#include "Upgrade.h"

#include "MatrixFromEulerDegrees.h"
#include "Message.h"
#include "Player.h"
#include "PostMaster.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/shaders/SpriteShader.h"

Upgrade::Upgrade() = default;

Upgrade::~Upgrade() = default;

void Upgrade::Init(const UpgradeConfiguration& aConfiguration)
{
    myAnimationController.Init(CONTROLLER_PATH);
    myShader = std::make_unique<Kiln::SpriteShader>();
    myIsShaderLoaded = myShader->Init("shaders/instanced_sprite_shader_vs", "shaders/AlphaSpriteShaderPS");
    myAnimationController.SetState("Fall");
    myFallSheet = myAnimationController.GetCurrentSheet();
    myAnimationController.SetState("Idle");
    myIdleSheet = myAnimationController.GetCurrentSheet();

    const Kiln::Vector3<float>& scale = aConfiguration.myScale;
    Kiln::Matrix4x4<float> transform = Kiln::Matrix4x4<float>::CreateScale({150.0f * scale.x, 150.0f * scale.y, 150.0f * scale.z});
    transform = MatrixFromEulerDegrees(aConfiguration.myRotation) * transform;

    // The quad spans x 0..1 and y -1..0: shift it so that the pivot lands on the position.
    const Kiln::Vector2<float>& pivot = aConfiguration.myPivot;
    myPivot = {pivot.x, -pivot.y};
    myPosition = aConfiguration.myPosition;
    transform.SetPosition(myPosition - (transform.GetRow(0) * pivot.x - transform.GetRow(1) * pivot.y));
    mySpriteInstance.myTransform = transform;

    myCircle.Init({myPosition.x, myPosition.y}, RADIUS);
    myCircle.SetCollisionLayer(CollisionLayer::Trigger);
    myCircle.SetCollisionMask(CollisionLayer::Player);
    myCircle.SetPlayerCollisionCallback([this](Player& aPlayer, const Kiln::Vector2<float>&, float) { OnInteract(aPlayer); });

    myUpgradeType = aConfiguration.myType;
}

void Upgrade::Update(float aDeltaTime)
{
    myAnimationController.Update(aDeltaTime);
}

void Upgrade::OnInteract(Player& aPlayer)
{
    if (!aPlayer.IsInteractPressed())
        return;

    Message message;
    if (myInteractions < 2)
    {
        message.type = MessageType::NpcTalk;
        PostMaster::GetInstance().SendMessage(message);
        ++myInteractions;
        return;
    }

    switch (myUpgradeType)
    {
    case TYPE_DOUBLE_JUMP: aPlayer.SetMaxJumps(2); break;
    case TYPE_DASH: aPlayer.SetDashUnlocked(true); break;
    case TYPE_DASH_ATTACK: aPlayer.SetDashAttackUnlocked(true); break;
    default: break;
    }
    myIsGranted = true;
    // No further contacts: the ability is granted once.
    myCircle.SetRadius(0.0f);
    myAnimationController.SetNextState("Fall");
    message.type = MessageType::UpgradeGranted;
    message.position = myPosition;
    PostMaster::GetInstance().SendMessage(message);
}

void Upgrade::Render(Kiln::SpriteDrawer& aSpriteDrawer)
{
    myAnimationController.ApplyToSpriteInstance(mySpriteInstance);
    Kiln::SpriteSharedData shared = myAnimationController.GetCurrentTexture();
    const int32_t sheet = myAnimationController.GetCurrentSheet();
    // Without its pixel shader the character keeps the sheet's own shader rather than vanish.
    if (myIsShaderLoaded && (sheet == myIdleSheet || sheet == myFallSheet))
        shared.myCustomShader = myShader.get();
    Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(shared);
    batch.Draw(mySpriteInstance);
}
