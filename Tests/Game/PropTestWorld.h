#pragma once
// A small level for the tests of the level props (walls, pots, checkpoints, doors, buttons,
// prompts, tutorial cards and upgrade characters): a started engine whose game assets are
// the test's temp folder, the player with stand-ins of its controller scenes, a floor, the
// props registered with a collision manager, and a log of every message posted. A frame
// runs the world's order: player, doors, upgrades, particles, collision pass.
#include "BreakablePot.h"
#include "BreakableWall.h"
#include "CheckPoints.h"
#include "CollisionBox.h"
#include "CollisionManager.h"
#include "CustomSceneObject.h"
#include "Door.h"
#include "DoorButton.h"
#include "GameContentFixture.h"
#include "InputEvent.h"
#include "Message.h"
#include "ParticleRegistry.h"
#include "Player.h"
#include "PlayerTestContent.h"
#include "PostMaster.h"
#include "Subscriber.h"
#include "Upgrade.h"

#include "Engine/drawers/RenderTestHelpers.h"

#include "forge/drawers/ModelDrawer.h"
#include "forge/graphics/Camera.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/graphics/RenderTarget.h"
#include "forge/model/ModelFactory.h"
#include "forge/shaders/ModelShader.h"
#include "forge/stringRegistry/StringRegistry.h"
#include "forge/texture/TextureManager.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace PropTest
{
    using Vec2 = Kiln::Vector2<float>;
    using Vec3 = Kiln::Vector3<float>;

    // Every message posted while it lives, in order.
    class MessageLog : public Subscriber
    {
    public:
        struct Entry
        {
            MessageType type;
            Vec3 position;
        };

        MessageLog()
        {
            for (int32_t type = 0; type < MESSAGE_TYPE_COUNT; ++type)
                PostMaster::GetInstance().Subscribe(static_cast<MessageType>(type), this);
        }
        ~MessageLog() override
        {
            for (int32_t type = 0; type < MESSAGE_TYPE_COUNT; ++type)
                PostMaster::GetInstance().Unsubscribe(static_cast<MessageType>(type), this);
        }
        void Receive(const Message& aMessage) override { myEntries.push_back({aMessage.type, aMessage.position}); }

        size_t Count(MessageType aType) const
        {
            size_t n = 0;
            for (const Entry& e : myEntries)
                n += e.type == aType ? 1 : 0;
            return n;
        }
        // The messages of the given types only, in order.
        std::vector<MessageType> Only(std::initializer_list<MessageType> someTypes) const
        {
            std::vector<MessageType> picked;
            for (const Entry& e : myEntries)
                for (MessageType t : someTypes)
                    if (e.type == t)
                        picked.push_back(t);
            return picked;
        }
        void Clear() { myEntries.clear(); }

        std::vector<Entry> myEntries;
    };

    class PropWorld : public GameTest::EngineContentTest
    {
    protected:
        static constexpr float FRAME = 1.0f / 60.0f;

        void SetUp() override
        {
            EngineContentTest::SetUp();
            myControllers.Install(Player::CONTROLLER_PATH, PlayerTest::PlayerController(nullptr));
            for (const char* effect : {"animations\\controllers\\A_Dash_VFX.ksc", "animations\\controllers\\A_Damage_Dash_VFX.ksc",
                                       "animations\\controllers\\A_Land_VFX.ksc"})
                myControllers.Install(effect, PlayerTest::EffectController());
        }

        void TearDown() override
        {
            // Everything that holds models, textures or shaders goes before the engine.
            myUpgrades.clear();
            myButtons.clear();
            myDoors.clear();
            myCheckPoints.clear();
            myPots.clear();
            myWalls.clear();
            myBoxes.clear();
            myPlayer.reset();
            EngineContentTest::TearDown();
        }

        // A placement's transform, as the scene loader gives the model instances of an object.
        static Kiln::Matrix4x4<float> Placement(Vec3 aPosition, Vec3 aScale = {1.0f, 1.0f, 1.0f}, Vec3 aRotation = {})
        {
            return CustomSceneObject::ComputeTransform(aRotation, aScale, aPosition);
        }
        // The built-in 100-unit cube, centred on the origin, placed by aTransform.
        static Kiln::ModelInstance Cube(const Kiln::Matrix4x4<float>& aTransform)
        {
            Kiln::ModelInstance instance = Kiln::ModelFactory::GetInstance().GetModelInstance("Cube");
            instance.SetTransform(aTransform);
            return instance;
        }

        Player& MakePlayer(Vec3 aPosition = {0.0f, 50.0f, 0.0f})
        {
            myPlayer = std::make_unique<Player>();
            myPlayer->Init(PlayerTest::DefaultTuning(aPosition));
            myManager.AddCollider(&myPlayer->GetCollider());
            return *myPlayer;
        }

        // A floor whose top is at y 0, from x -10000 to 10000.
        CollisionBox& AddFloor()
        {
            myBoxes.push_back(std::make_unique<CollisionBox>());
            CollisionBox& box = *myBoxes.back();
            box.Init({0.0f, -50.0f}, {20000.0f, 100.0f});
            box.SetCollisionLayer(CollisionLayer::Solid);
            myManager.AddCollider(&box.GetCollider());
            return box;
        }

        // A wall of cubes: aScale times 100 units, standing on (x, y).
        BreakableWall& AddWall(Vec2 aFoot, Vec3 aScale = {1.0f, 4.0f, 1.0f}, Kiln::Vector4<float> aColour = {0.345f, 0.353f, 0.455f, 1.0f})
        {
            myWalls.push_back(std::make_unique<BreakableWall>());
            BreakableWall& wall = *myWalls.back();
            wall.SetPosition(aFoot.x, aFoot.y);
            const Kiln::Matrix4x4<float> placement = Placement({aFoot.x, aFoot.y, 0.0f}, aScale);
            wall.Init(Cube(placement), Cube(placement), WallParticles(), aColour);
            myManager.AddCollider(&wall.GetCollider());
            return wall;
        }
        static Kiln::StringId WallParticles()
        {
            static const char* path = "sprites/particles/S_WallDebris.dds";
            return Kiln::StringRegistry::RegisterOrGetStringLiteral(path, std::strlen(path));
        }

        BreakablePot& AddPot(Vec3 aFoot)
        {
            myPots.push_back(std::make_unique<BreakablePot>());
            BreakablePot& pot = *myPots.back();
            pot.SetPosition(aFoot);
            pot.Init(Cube(Placement(aFoot)), Cube(Placement(aFoot, {1.0f, 0.3f, 1.0f})));
            myManager.AddCollider(&pot.GetCollider());
            return pot;
        }

        CheckPoints& AddCheckPoint(Vec3 aFoot)
        {
            myCheckPoints.push_back(std::make_unique<CheckPoints>());
            CheckPoints& checkPoint = *myCheckPoints.back();
            checkPoint.SetPosition(aFoot);
            checkPoint.Init(Cube(Placement(aFoot)), Cube(Placement(aFoot, {1.0f, 2.0f, 1.0f})));
            myManager.AddCollider(&checkPoint.GetCollider());
            return checkPoint;
        }

        // A door of cubes, aScale times 100 units, standing on aFoot.
        Door& AddDoor(Vec3 aFoot, int32_t anIndex, float anOpenTimer = 0.0f, float anOpenSpeed = 0.0f,
                      Vec3 aScale = {1.0f, 3.0f, 1.0f}, Vec3 aRotation = {})
        {
            myDoors.push_back(std::make_unique<Door>());
            Door& door = *myDoors.back();
            door.SetPosition(aFoot);
            const Kiln::Matrix4x4<float> placement = Placement(aFoot, aScale, aRotation);
            door.Init(Cube(placement), Cube(placement), anIndex, anOpenTimer, anOpenSpeed);
            myManager.AddCollider(&door.GetCollider());
            return door;
        }

        // A button, linked (as the world links them) to every door of its index made so far.
        DoorButton& AddButton(Vec3 aCentre, int32_t anIndex)
        {
            myButtons.push_back(std::make_unique<DoorButton>());
            DoorButton& button = *myButtons.back();
            button.SetPosition(aCentre);
            button.Init(Cube(Placement(aCentre, {1.0f, 0.2f, 1.0f})), Cube(Placement(aCentre, {1.0f, 0.05f, 1.0f})), anIndex);
            myManager.AddCollider(&button.GetCollider());
            LinkButtons();
            return button;
        }
        void LinkButtons()
        {
            for (const auto& button : myButtons)
                for (const auto& door : myDoors)
                    if (door->GetIndex() == button->GetIndex())
                        button->AddDoor(door.get());
        }

        Upgrade& AddUpgrade(const UpgradeConfiguration& aConfiguration)
        {
            myUpgrades.push_back(std::make_unique<Upgrade>());
            Upgrade& upgrade = *myUpgrades.back();
            upgrade.Init(aConfiguration);
            myManager.AddCollider(&upgrade.GetCollider());
            return upgrade;
        }

        void Press(uint32_t anAction, bool aPressed = true) { myPlayer->HandleInput({anAction, aPressed}); }
        void Release(uint32_t anAction) { Press(anAction, false); }

        // One frame in the world's order.
        void Step(float aDeltaTime = FRAME)
        {
            if (myPlayer)
                myPlayer->Update(aDeltaTime);
            for (const auto& door : myDoors)
                door->Update(aDeltaTime);
            ParticleRegistry::GetInstance().Update(aDeltaTime);
            myManager.CollisionPass(aDeltaTime);
            for (const auto& upgrade : myUpgrades)
                upgrade->Update(aDeltaTime);
        }
        void Run(float aSeconds, float aDeltaTime = FRAME)
        {
            const int frames = static_cast<int>(aSeconds / aDeltaTime + 0.5f);
            for (int i = 0; i < frames; ++i)
                Step(aDeltaTime);
        }

        static void Post(MessageType aType, Vec3 aPosition = {})
        {
            Message message;
            message.type = aType;
            message.position = aPosition;
            PostMaster::GetInstance().SendMessage(message);
        }

        // The particles filed under a texture path.
        static size_t ParticlesOf(Kiln::StringId aTexturePath)
        {
            const auto& groups = ParticleRegistry::GetInstance().GetGroups();
            const auto found = groups.find(aTexturePath);
            return found == groups.end() ? 0 : found->second.size();
        }
        static size_t ParticlesOf(const char* aTexturePath)
        {
            return ParticlesOf(Kiln::StringRegistry::RegisterOrGetStringLiteral(aTexturePath, std::strlen(aTexturePath)));
        }

        // One frame drawn with an orthographic camera over x and y +-(800, 450) around
        // aCentre (5 units a pixel on the 320 x 180 buffer), depth on, Lambert shading white.
        SpriteTest::Image DrawWorld(Vec2 aCentre, const std::function<void()>& aDraw)
        {
            EXPECT_TRUE((*myEngine)->BeginFrame());
            Kiln::GraphicsEngine& graphics = *(*myEngine)->GetGraphicsEngine();
            Kiln::ModelDrawer& drawer = *graphics.GetModelDrawer();
            drawer.GetShader(Kiln::ModelDrawer::LAMBERT)->SetTextureAtRegister((*myEngine)->GetTextureManager()->GetWhiteSquare(), 6);
            drawer.SetLambertParameters({1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f});
            Kiln::DX11::BackBuffer->SetAsActiveTarget(Kiln::DX11::MainDepthBuffer);
            Kiln::Camera camera;
            camera.SetOrthographicProjection(-800.0f, 800.0f, -450.0f, 450.0f, -1000.0f, 1000.0f);
            camera.SetPosition({aCentre.x, aCentre.y, 0.0f});
            graphics.GetGraphicsStateStack()->SetCamera(camera);
            aDraw();
            SpriteTest::Image image = SpriteTest::ReadBackBuffer();
            (*myEngine)->EndFrame();
            myDrawCentre = aCentre;
            return image;
        }
        // The pixel of a world point in the last DrawWorld image.
        SpriteTest::Rgba WorldPixel(const SpriteTest::Image& anImage, Vec2 aPoint) const
        {
            const float column = (aPoint.x - myDrawCentre.x + 800.0f) / 5.0f;
            const float row = (450.0f - (aPoint.y - myDrawCentre.y)) / 5.0f;
            return anImage.At(static_cast<uint32_t>(column), static_cast<uint32_t>(row));
        }
        // Whether something was drawn over the world point: it differs from the top-left
        // corner, which the tests leave clear.
        bool IsDrawnAt(const SpriteTest::Image& anImage, Vec2 aPoint) const
        {
            const SpriteTest::Rgba p = WorldPixel(anImage, aPoint);
            const SpriteTest::Rgba clear = anImage.At(0, 0);
            return p.r != clear.r || p.g != clear.g || p.b != clear.b;
        }

        PlayerTest::ControllerOverride myControllers;
        MessageLog myLog;
        CollisionManager myManager;
        std::vector<std::unique_ptr<CollisionBox>> myBoxes;
        std::vector<std::unique_ptr<BreakableWall>> myWalls;
        std::vector<std::unique_ptr<BreakablePot>> myPots;
        std::vector<std::unique_ptr<CheckPoints>> myCheckPoints;
        std::vector<std::unique_ptr<Door>> myDoors;
        std::vector<std::unique_ptr<DoorButton>> myButtons;
        std::vector<std::unique_ptr<Upgrade>> myUpgrades;
        std::unique_ptr<Player> myPlayer;
        Vec2 myDrawCentre;
    };
}
