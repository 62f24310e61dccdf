#include "Circle.h"
#include "CollisionBox.h"
#include "CollisionCircle.h"
#include "CollisionLayer.h"
#include "CollisionManager.h"
#include "OBB2D.h"

#include "Platform/runtime/Assert.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

using Vec2 = Kiln::Vector2<float>;

namespace
{
    constexpr float kPi = std::numbers::pi_v<float>;

    OBB2D Box(Vec2 aCenter, Vec2 aSize, float aRotation = 0.0f)
    {
        OBB2D box;
        box.Init(nullptr, aCenter, aSize);
        box.SetRotation(aRotation);
        return box;
    }

    Circle Round(Vec2 aCenter, float aRadius)
    {
        Circle circle;
        circle.Init(nullptr, aCenter, aRadius);
        return circle;
    }

    void ExpectVec(const Vec2& anActual, const Vec2& anExpected, float aTolerance = 1e-3f)
    {
        EXPECT_NEAR(anActual.x, anExpected.x, aTolerance) << "x of (" << anActual.x << ", " << anActual.y << ")";
        EXPECT_NEAR(anActual.y, anExpected.y, aTolerance) << "y of (" << anActual.x << ", " << anActual.y << ")";
    }

    // A pair that must touch, and the push it gives.
    void ExpectTouch(bool aTouched, const Vec2& aPush, const Vec2& anExpected)
    {
        EXPECT_TRUE(aTouched);
        ExpectVec(aPush, anExpected);
    }

    // One contact as an owner was told it.
    struct Contact
    {
        const ColliderPossessor* receiver;
        const ColliderPossessor* other;
        std::string kind;
        Vec2 push;
    };

    // Logs every contact it is told about, whatever the other's kind.
    template <typename Base>
    class Logging : public Base
    {
    public:
        explicit Logging(std::vector<Contact>& aLog) : myLog(aLog) {}
        void OnCollisionWithBox(CollisionBox& anOther, const Vec2& aPush, float) override
        {
            myLog.push_back({this, &anOther, "box", aPush});
        }
        void OnCollisionWithCircle(CollisionCircle& anOther, const Vec2& aPush, float) override
        {
            myLog.push_back({this, &anOther, "circle", aPush});
        }

    private:
        std::vector<Contact>& myLog;
    };
    using LoggingBox = Logging<CollisionBox>;
    using LoggingCircle = Logging<CollisionCircle>;
}

TEST(OBB2D, UnrotatedOverlapPushesAlongTheShallowAxisAwayFromTheOther)
{
    const OBB2D first = Box({0, 0}, {100, 100});
    const OBB2D second = Box({90, 20}, {100, 100});
    Vec2 push;
    ExpectTouch(OBB2D::OBB2DvsOBB2D(first, second, push, false), push, {-10, 0});
    ExpectTouch(OBB2D::OBB2DvsOBB2D(first, second, push, true), push, {10, 0});
    ExpectTouch(OBB2D::OBB2DvsOBB2D(second, first, push, false), push, {10, 0});

    const OBB2D below = Box({10, -95}, {100, 100});
    ExpectTouch(OBB2D::OBB2DvsOBB2D(first, below, push, false), push, {0, 5});

    EXPECT_FALSE(OBB2D::OBB2DvsOBB2D(first, Box({100.5f, 0}, {100, 100}), push, false));
    EXPECT_FALSE(OBB2D::OBB2DvsOBB2D(first, Box({0, -101}, {100, 100}), push, false));
}

TEST(OBB2D, SharedEdgeTouchesWithZeroPushAndEqualOverlapsKeepTheFirstAxis)
{
    const OBB2D first = Box({0, 0}, {100, 100});
    Vec2 push{7, 7};
    ASSERT_TRUE(OBB2D::OBB2DvsOBB2D(first, Box({100, 30}, {100, 100}), push, false));
    EXPECT_FLOAT_EQ(push.Length(), 0.0f);

    // 10 units of overlap on both x and y: first's x axis wins.
    ExpectTouch(OBB2D::OBB2DvsOBB2D(first, Box({90, 90}, {100, 100}), push, false), push, {-10, 0});
    // A wide box resting 5 deep on top: pushed down along y.
    ExpectTouch(OBB2D::OBB2DvsOBB2D(first, Box({0, 95}, {300, 100}), push, false), push, {0, -5});
}

TEST(OBB2D, RotatedBoxesUseAllFourAxes)
{
    // A square turned 45 degrees reaches 70.71 along x.
    const OBB2D diamond = Box({0, 0}, {100, 100}, kPi / 4.0f);
    Vec2 push;
    ExpectTouch(OBB2D::OBB2DvsOBB2D(diamond, Box({110, 0}, {100, 100}), push, false), push, {-(50.0f * std::numbers::sqrt2_v<float> - 60.0f), 0});
    EXPECT_FALSE(OBB2D::OBB2DvsOBB2D(diamond, Box({125, 0}, {100, 100}), push, false))
        << "the unrotated bounds would overlap, the shapes do not";
    EXPECT_FALSE(OBB2D::OBB2DvsOBB2D(diamond, Box({115, 115}, {100, 100}), push, false));

    // Two boxes turned 30 degrees, offset along their own x: the push follows that axis.
    const float r = kPi / 6.0f;
    const Vec2 along{std::cos(r), std::sin(r)};
    ExpectTouch(OBB2D::OBB2DvsOBB2D(Box({0, 0}, {100, 40}, r), Box(along * 90.0f, {100, 40}, r), push, false), push, along * -10.0f);
}

TEST(OBB2D, BoxesWithoutAreaNeverTouch)
{
    const OBB2D big = Box({0, 0}, {1000, 1000});
    Vec2 push;
    EXPECT_FALSE(OBB2D::OBB2DvsOBB2D(big, Box({0, 0}, {0, 0}), push, false));
    EXPECT_FALSE(OBB2D::OBB2DvsOBB2D(Box({0, 0}, {50, 0}), big, push, false));
    EXPECT_FALSE(OBB2D::OBB2DvsOBB2D(big, Box({0, 0}, {-5, 10}), push, false));
    EXPECT_FALSE(OBB2D::OBB2DvsOBB2D(big, Box({0, 0}, {NAN, 10}), push, false));
    EXPECT_FALSE(OBB2D::OBB2DvsCircle(Round({0, 0}, 50), Box({0, 0}, {0, 0}), push, false));
    EXPECT_FALSE(OBB2D::OBB2DvsCircle(Round({0, 0}, 0), big, push, false)) << "radius 0 switches a circle off";
    EXPECT_FALSE(OBB2D::OBB2DvsCircle(Round({0, 0}, 0), Box({0, 0}, {100, 100}, 0.5f), push, false));
}

TEST(OBB2DvsCircle, PushIsTheCirclesSeparationOutsideAndInside)
{
    const OBB2D box = Box({0, 0}, {100, 100});
    Vec2 push;
    // Centre outside, 10 units deep.
    ExpectTouch(OBB2D::OBB2DvsCircle(Round({60, 0}, 20), box, push, false), push, {10, 0});
    ExpectTouch(OBB2D::OBB2DvsCircle(Round({60, 0}, 20), box, push, true), push, {-10, 0});
    // Near a corner: along the diagonal.
    ExpectTouch(OBB2D::OBB2DvsCircle(Round({56, 58}, 20), box, push, false), push, Vec2{6, 8} / 10.0f * 10.0f);
    // Centre inside: out through the nearest side, far enough to end up touching.
    ExpectTouch(OBB2D::OBB2DvsCircle(Round({40, 10}, 20), box, push, false), push, {30, 0});
    ExpectTouch(OBB2D::OBB2DvsCircle(Round({-5, -45}, 20), box, push, false), push, {0, -25});
}

TEST(OBB2DvsCircle, TouchingCountsOnlyAgainstARotatedBox)
{
    Vec2 push{1, 1};
    EXPECT_FALSE(OBB2D::OBB2DvsCircle(Round({75, 0}, 25), Box({0, 0}, {100, 100}), push, false));
    // The same square turned a quarter: the same area, but no fast reject.
    ASSERT_TRUE(OBB2D::OBB2DvsCircle(Round({75, 0}, 25), Box({0, 0}, {100, 100}, kPi / 2.0f), push, false));
    EXPECT_NEAR(push.Length(), 0.0f, 1e-4f);

    // A tall box turned a quarter is wide in local y: the push still comes out in world space.
    ExpectTouch(OBB2D::OBB2DvsCircle(Round({60, 0}, 20), Box({0, 0}, {200, 100}, kPi / 2.0f), push, false), push, {10, 0});
    EXPECT_FALSE(OBB2D::OBB2DvsCircle(Round({60, 90}, 5), Box({0, 0}, {200, 100}, kPi / 2.0f), push, false));
}

TEST(Circle, CircleAgainstCircle)
{
    const Circle a = Round({0, 0}, 10);
    Vec2 push;
    // Unflipped: the other circle's separation.
    ExpectTouch(a.Intersects(Round({15, 0}, 10), push, false), push, {5, 0});
    ExpectTouch(a.Intersects(Round({0, -20}, 10), push, true), push, {0, 0});
    EXPECT_FALSE(a.Intersects(Round({0, -20.01f}, 10), push, true));

    push = {3, 3};
    ASSERT_TRUE(a.Intersects(Round({0, 0}, 5), push, false)) << "coincident centres touch";
    ExpectVec(push, {0, 0});

    EXPECT_FALSE(a.Intersects(Round({0, 0}, 0), push, false)) << "a switched-off circle touches nothing";
    EXPECT_FALSE(Round({0, 0}, 0).Intersects(a, push, false));
}

TEST(Collider, DispatchThroughTheBaseGivesTheSameVectors)
{
    const OBB2D box = Box({0, 0}, {100, 100});
    const OBB2D neighbour = Box({90, 0}, {100, 100});
    const Circle circle = Round({60, 0}, 20);
    const Collider& boxBase = box;
    const Collider& neighbourBase = neighbour;
    const Collider& circleBase = circle;
    Vec2 push;

    // Box against box through the base: the receiver-side rules flip it back to first's view.
    ExpectTouch(boxBase.Intersects(neighbourBase, push, false), push, {10, 0});   // the first shape is handed the vector towards the other
    ExpectTouch(boxBase.Intersects(circleBase, push, false), push, {-10, 0});  // a box against a circle gets its own separation
    ExpectTouch(circleBase.Intersects(boxBase, push, false), push, {10, 0});
    ExpectTouch(circleBase.Intersects(Round({80, 0}, 30), push, false), push, {30, 0});
}

TEST(Collider, OwnersAndTheMissingOwnerAssertion)
{
    CollisionBox box;
    CollisionCircle circle;
    EXPECT_EQ(box.GetCollider().GetOwner(), &box);
    EXPECT_EQ(circle.GetCollider().GetOwner(), &circle);
    EXPECT_EQ(box.GetSize(), Vec2(0, 0));
    EXPECT_EQ(circle.GetRadius(), 0.0f);

    std::vector<std::string> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { reports.push_back(r.expression); });
    const OBB2D orphan = Box({0, 0}, {10, 10});
    EXPECT_EQ(orphan.GetOwner(), nullptr);
    Plat::Runtime::SetAssertionHandler({});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "mySharedOwner != nullptr && \"A Collider's owner was nullpointer\"");
}

TEST(CollisionManager, EachOwnerIsToldOnlyWhenItsMaskMatchesTheOthersLayer)
{
    const uint32_t layers[] = {CollisionLayer::Trigger, CollisionLayer::Solid, CollisionLayer::BreakableWall,
                               CollisionLayer::Enemy, CollisionLayer::Player};
    const uint32_t masks[] = {0u, 2u, 14u, 16u, 22u};
    int toldCount = 0;
    for (uint32_t layerA : layers)
        for (uint32_t maskA : masks)
            for (uint32_t layerB : layers)
                for (uint32_t maskB : masks)
                {
                    std::vector<Contact> log;
                    LoggingBox a(log), b(log);
                    a.Init({0, 0}, {100, 100});
                    b.Init({50, 0}, {100, 100});
                    a.SetCollisionLayer(layerA);
                    a.SetCollisionMask(maskA);
                    b.SetCollisionLayer(layerB);
                    b.SetCollisionMask(maskB);
                    CollisionManager manager;
                    manager.AddCollider(&a.GetCollider());
                    manager.AddCollider(&b.GetCollider());
                    manager.CollisionPass(0.016f);

                    const bool aTold = (maskA & layerB) != 0;
                    const bool bTold = (maskB & layerA) != 0;
                    const std::string what = "A " + std::to_string(layerA) + "/" + std::to_string(maskA) + ", B " +
                                             std::to_string(layerB) + "/" + std::to_string(maskB);
                    ASSERT_EQ(log.size(), (aTold ? 1u : 0u) + (bTold ? 1u : 0u)) << what;
                    size_t next = 0;
                    if (aTold)
                    {
                        EXPECT_EQ(log[next].receiver, &a) << what;
                        EXPECT_EQ(log[next].other, &b) << what;
                        ++next;
                    }
                    if (bTold)
                    {
                        EXPECT_EQ(log[next].receiver, &b) << what;
                        EXPECT_EQ(log[next].other, &a) << what;
                    }
                    toldCount += static_cast<int>(log.size());
                }
    EXPECT_GT(toldCount, 0);
}

TEST(CollisionManager, ReceiversGetTheVectorsOfTheirPairKind)
{
    for (bool reversed : {false, true})
    {
        std::vector<Contact> log;
        LoggingBox left(log), right(log);
        LoggingCircle circle(log);
        left.Init({0, 0}, {100, 100});
        right.Init({90, 0}, {100, 100});
        circle.Init({0, 60}, 20);
        for (ColliderPossessor* owner : std::initializer_list<ColliderPossessor*>{&left, &right, &circle})
        {
            owner->SetCollisionLayer(CollisionLayer::Trigger);
            owner->SetCollisionMask(CollisionLayer::Trigger);
        }
        CollisionManager manager;
        std::vector<Collider*> shapes{&left.GetCollider(), &right.GetCollider(), &circle.GetCollider()};
        if (reversed)
            shapes = {shapes[2], shapes[1], shapes[0]};
        for (Collider* shape : shapes)
            manager.AddCollider(shape);
        manager.CollisionPass(0.016f);

        const std::string order = reversed ? "reversed" : "forward";
        ASSERT_EQ(log.size(), 4u) << order << ": the right box is clear of the circle";
        for (const Contact& c : log)
        {
            if (c.receiver == &left && c.other == &right)
                ExpectVec(c.push, {10, 0});   // towards the other box
            else if (c.receiver == &right && c.other == &left)
                ExpectVec(c.push, {-10, 0});
            else if (c.receiver == &left && c.other == &circle)
            {
                EXPECT_EQ(c.kind, "circle");
                ExpectVec(c.push, {0, -10});   // its own separation
            }
            else if (c.receiver == &circle && c.other == &left)
            {
                EXPECT_EQ(c.kind, "box");
                ExpectVec(c.push, {0, 10});
            }
            else
                ADD_FAILURE() << order << ": unexpected contact " << c.kind;
        }
    }
}

TEST(CollisionManager, NullEntriesAreSkippedAndFilledByTheLastEntry)
{
    std::vector<Contact> log;
    LoggingBox a(log), b(log), c(log);
    for (LoggingBox* box : {&a, &b, &c})
    {
        box->Init({0, 0}, {10, 10});
        box->SetCollisionLayer(CollisionLayer::Trigger);
        box->SetCollisionMask(CollisionLayer::Trigger);
    }
    CollisionManager manager;
    manager.AddCollider(&a.GetCollider());
    manager.AddCollider(nullptr);
    manager.AddCollider(&b.GetCollider());
    manager.AddCollider(&c.GetCollider());
    manager.AddCollider(nullptr);
    manager.CollisionPass(0.016f);

    EXPECT_EQ(log.size(), 6u) << "three pairs, both sides told";
    EXPECT_EQ(manager.GetColliders(),
              (std::vector<Collider*>{&a.GetCollider(), &c.GetCollider(), &b.GetCollider()}));
    log.clear();
    manager.CollisionPass(0.016f);
    EXPECT_EQ(log.size(), 6u);
}

TEST(CollisionManager, ShrinkingAShapeToNothingSwitchesItsContactsOff)
{
    // A box that counts the circles it touches.
    struct CircleCounter : CollisionBox
    {
        int myCircleHits = 0;
        void OnCollisionWithCircle(CollisionCircle&, const Vec2&, float) override { ++myCircleHits; }
    };
    CollisionBox trigger;
    CircleCounter solid;
    trigger.Init({0, 0}, {200, 200});
    trigger.SetCollisionLayer(CollisionLayer::Trigger);
    trigger.SetCollisionMask(CollisionLayer::Solid);
    solid.Init({0, -50}, {1000, 100}, 0.2f);
    solid.SetCollisionLayer(CollisionLayer::Solid);
    int fired = 0;
    float seenDeltaTime = 0.0f;
    trigger.SetBoxCollisionCallback([&](CollisionBox& anOther, const Vec2&, float aDeltaTime) {
        EXPECT_EQ(&anOther, &solid);
        seenDeltaTime = aDeltaTime;
        ++fired;
        trigger.SetSize(0, 0);
    });
    CollisionCircle button;
    button.Init({0, 0}, 75);
    button.SetCollisionLayer(CollisionLayer::Trigger);
    button.SetCollisionMask(CollisionLayer::Solid);
    int boxHits = 0;
    solid.SetCollisionMask(CollisionLayer::Trigger);
    solid.SetBoxCollisionCallback([&](CollisionBox&, const Vec2&, float) { ++boxHits; });

    CollisionManager manager;
    manager.AddCollider(&trigger.GetCollider());
    manager.AddCollider(&solid.GetCollider());
    manager.AddCollider(&button.GetCollider());
    manager.CollisionPass(0.02f);
    EXPECT_EQ(fired, 1);
    EXPECT_FLOAT_EQ(seenDeltaTime, 0.02f);
    EXPECT_EQ(boxHits, 1) << "the solid heard the trigger box once";
    manager.CollisionPass(0.02f);
    EXPECT_EQ(fired, 1) << "a box of size 0 is out of every contact";

    EXPECT_EQ(solid.myCircleHits, 2) << "the circle touched the solid in both passes";
    button.SetRadius(0.0f);
    manager.CollisionPass(0.02f);
    EXPECT_EQ(solid.myCircleHits, 2) << "a circle of radius 0 is out of every contact";
}

namespace
{
    // A shape in a random scene: logs what it is told, and sometimes acts on the scene the
    // way the game's handlers do (pushes itself out, moves or resizes others, registers more).
    struct Scene;
    struct Tag
    {
        int id = 0;
        Scene* scene = nullptr;
    };

    struct Told
    {
        int receiver;
        int other;
        uint32_t pushX;
        uint32_t pushY;
        bool operator==(const Told&) const = default;
    };

    struct Scene
    {
        std::mt19937 random;
        std::vector<std::unique_ptr<ColliderPossessor>> owners;
        std::vector<Tag*> tags;
        std::vector<Collider*> initial;
        std::vector<Told> log;
        std::function<void(Collider*)> add;
        size_t nextSpare = 0;

        float Uniform(float aLow, float aHigh) { return std::uniform_real_distribution<float>(aLow, aHigh)(random); }
        int Pick(int aCount) { return std::uniform_int_distribution<int>(0, aCount - 1)(random); }
        void Heard(Tag& aReceiver, ColliderPossessor& anOther, const Vec2& aPush);
        Collider& ShapeOf(size_t anIndex);
    };

    template <typename Base>
    class Actor : public Base, public Tag
    {
    public:
        void OnCollisionWithBox(CollisionBox& anOther, const Vec2& aPush, float) override { scene->Heard(*this, anOther, aPush); }
        void OnCollisionWithCircle(CollisionCircle& anOther, const Vec2& aPush, float) override
        {
            scene->Heard(*this, anOther, aPush);
        }
    };

    Collider& Scene::ShapeOf(size_t anIndex)
    {
        if (auto* box = dynamic_cast<Actor<CollisionBox>*>(owners[anIndex].get()))
            return box->GetCollider();
        return dynamic_cast<Actor<CollisionCircle>*>(owners[anIndex].get())->GetCollider();
    }

    void Scene::Heard(Tag& aReceiver, ColliderPossessor& anOther, const Vec2& aPush)
    {
        log.push_back({aReceiver.id, dynamic_cast<Tag&>(anOther).id, std::bit_cast<uint32_t>(aPush.x), std::bit_cast<uint32_t>(aPush.y)});
        if (std::isnan(aPush.x) || std::isnan(aPush.y))
            return;   // a shape at NaN touches all; it must not spread
        Collider& own = ShapeOf(static_cast<size_t>(aReceiver.id));
        Collider& any = ShapeOf(static_cast<size_t>(Pick(static_cast<int>(owners.size()))));
        const int action = Pick(40);
        if (action < 6)
            own.SetPosition(own.GetCenter() - aPush);
        else if (action < 8)
        {
            // Walked along this frame's motion and back, as the player's sub-steps do.
            const Vec2 from = own.GetCenter();
            for (int step = 1; step <= 4; ++step)
                own.SetPosition(from + Vec2{Uniform(-60, 60), Uniform(-60, 60)});
            own.SetPosition(from + Vec2{Uniform(-30, 30), Uniform(-30, 30)});
        }
        else if (action < 10)
            any.SetPosition({Uniform(-100, 1100), Uniform(-100, 600)});
        else if (action < 12)
        {
            if (auto* box = dynamic_cast<OBB2D*>(&any))
                box->SetSize(Pick(3) == 0 ? 0.0f : Uniform(5, 400), Uniform(5, 400));
            else
                static_cast<Circle&>(any).SetRadius(Pick(3) == 0 ? 0.0f : Uniform(5, 150));
        }
        else if (action == 12)
            owners[static_cast<size_t>(Pick(static_cast<int>(owners.size())))]->SetCollisionMask(static_cast<uint32_t>(Pick(32)));
        else if (action == 13 && nextSpare < owners.size())
            add(Pick(4) == 0 ? nullptr : &ShapeOf(nextSpare++));
    }

    // The same scene each time for a seed; the last quarter of the shapes start unregistered.
    std::unique_ptr<Scene> MakeScene(unsigned aSeed, int aCount)
    {
        auto scene = std::make_unique<Scene>();
        scene->random.seed(aSeed);
        const float width = 100.0f + static_cast<float>(aCount) * scene->Uniform(0.5f, 60);
        for (int k = 0; k < aCount; ++k)
        {
            // Grid-aligned places and sizes, so that many shapes share an edge exactly.
            const Vec2 center{10.0f * static_cast<float>(scene->Pick(static_cast<int>(width / 10))), 10.0f * static_cast<float>(scene->Pick(60))};
            std::unique_ptr<ColliderPossessor> owner;
            Tag* tag = nullptr;
            if (scene->Pick(4) == 0)
            {
                auto circle = std::make_unique<Actor<CollisionCircle>>();
                circle->Init(center, scene->Pick(8) == 0 ? 0.0f : 10.0f * static_cast<float>(1 + scene->Pick(12)));
                tag = circle.get();
                owner = std::move(circle);
            }
            else
            {
                auto box = std::make_unique<Actor<CollisionBox>>();
                const float rotations[] = {0.0f, 0.0f, 0.0f, 5e-5f, 0.3f, kPi / 2.0f, kPi / 4.0f};
                box->Init(center, {10.0f * static_cast<float>(scene->Pick(40)), 10.0f * static_cast<float>(scene->Pick(30))},
                          rotations[scene->Pick(7)]);
                if (scene->Pick(100) == 0)
                    box->SetPosition({NAN, center.y});
                tag = box.get();
                owner = std::move(box);
            }
            owner->SetCollisionLayer(1u << scene->Pick(5));
            owner->SetCollisionMask(static_cast<uint32_t>(scene->Pick(32)));
            tag->id = k;
            tag->scene = scene.get();
            scene->tags.push_back(tag);
            scene->owners.push_back(std::move(owner));
        }
        scene->nextSpare = static_cast<size_t>(aCount) * 3 / 4;
        for (size_t k = 0; k < scene->nextSpare; ++k)
            scene->initial.push_back(k % 97 == 50 ? nullptr : &scene->ShapeOf(k));
        return scene;
    }

    // Every pair in registration order: the pass as it was before shapes were swept.
    void EveryPairPass(std::vector<Collider*>& someColliders, float aDeltaTime)
    {
        std::vector<size_t> holes;
        for (size_t i = 0; i < someColliders.size(); ++i)
        {
            Collider* a = someColliders[i];
            if (!a)
            {
                holes.push_back(i);
                continue;
            }
            if (i + 1 == someColliders.size())
                break;
            ColliderPossessor* ownerA = a->GetOwner();
            for (size_t j = i + 1; j < someColliders.size(); ++j)
            {
                Collider* b = someColliders[j];
                if (!b)
                    continue;
                ColliderPossessor* ownerB = b->GetOwner();
                const bool aListens = (ownerA->GetCollisionMask() & ownerB->GetCollisionLayer()) != 0;
                const bool bListens = (ownerB->GetCollisionMask() & ownerA->GetCollisionLayer()) != 0;
                Vec2 push;
                if ((!aListens && !bListens) || !a->Intersects(*b, push, false))
                    continue;
                if (aListens)
                    ownerB->OnCollision(*ownerA, -push, aDeltaTime);
                if (bListens)
                    ownerA->OnCollision(*ownerB, push, aDeltaTime);
            }
        }
        for (auto hole = holes.rbegin(); hole != holes.rend(); ++hole)
        {
            someColliders[*hole] = someColliders.back();
            someColliders.pop_back();
        }
    }
}

TEST(CollisionManager, TheSweptPassTellsWhatTestingEveryPairTells)
{
    size_t contacts = 0;
    for (unsigned seed = 1; seed <= 80; ++seed)
    {
        const int count = seed == 1 ? 600 : 2 + static_cast<int>(seed * 37 % 300);
        const std::unique_ptr<Scene> swept = MakeScene(seed, count);
        const std::unique_ptr<Scene> everyPair = MakeScene(seed, count);
        CollisionManager manager;
        for (Collider* shape : swept->initial)
            manager.AddCollider(shape);
        swept->add = [&](Collider* aShape) { manager.AddCollider(aShape); };
        std::vector<Collider*> reference = everyPair->initial;
        everyPair->add = [&](Collider* aShape) { reference.push_back(aShape); };

        for (int pass = 0; pass < 3; ++pass)
        {
            manager.CollisionPass(0.016f);
            EveryPairPass(reference, 0.016f);
            ASSERT_EQ(swept->log, everyPair->log) << "seed " << seed << ", pass " << pass;
            const auto ids = [](const std::vector<Collider*>& someShapes) {
                std::vector<int> result;
                for (const Collider* shape : someShapes)
                    result.push_back(shape ? dynamic_cast<const Tag*>(shape->GetOwner())->id : -1);
                return result;
            };
            ASSERT_EQ(ids(manager.GetColliders()), ids(reference)) << "seed " << seed << ", pass " << pass;
            contacts += swept->log.size();
            swept->log.clear();
            everyPair->log.clear();
        }
    }
    EXPECT_GT(contacts, 50000u);
}
