// Particles: emitter timing and lifetime, what a burst spawns, motion, size and colour over
// a life, removal, seeking, random numbers, and the registry's drawing (one batch per
// texture group, blend of the group's first particle, pixels).
#include "GameContentFixture.h"
#include "GameWorldFixture.h"

#include "ParticleEmitter.h"
#include "ParticleRegistry.h"
#include "RandomFloat.h"
#include "SeekingParticle.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/stringRegistry/StringRegistry.h"

#include "Engine/drawers/RenderTestHelpers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>

using GameTest::Sheet;

namespace
{
    constexpr float PI = 3.14159265f;

    ParticleRegistry& Registry()
    {
        return ParticleRegistry::GetInstance();
    }

    Kiln::StringId Id(const char* aText)
    {
        return Kiln::StringRegistry::RegisterOrGetString(aText);
    }

    // A plain emitter whose intervals all have one value, so its particles are predictable.
    ParticleEmitterSettings Exact(const char* aTexture = "sprites/p.dds")
    {
        ParticleEmitterSettings settings;
        settings.myTexturePath = Id(aTexture);
        return settings;
    }

    std::vector<Particle*> ParticlesOf(const char* aTexture)
    {
        std::vector<Particle*> particles;
        const auto found = Registry().GetGroups().find(Id(aTexture));
        if (found != Registry().GetGroups().end())
            for (const std::unique_ptr<Particle>& particle : found->second)
                particles.push_back(particle.get());
        return particles;
    }

    // A particle with the given life and colours, flying nowhere.
    Particle* MakeParticle(const char* aTexture, float aLifetime, Kiln::Vector3<float> aPosition = {},
                           Kiln::Color aColor = {1, 1, 1, 1}, bool anAlpha = true, float aSize = 10.0f)
    {
        return new Particle(aPosition, Id(aTexture), aLifetime, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, {aSize, aSize}, aColor, aColor, anAlpha,
                            AnimationController(), false, 0.0f, false);
    }

    // MT19937's tempering of a state word, and its inverse (each shift undone by repeating it).
    uint32_t Temper(uint32_t y)
    {
        y ^= y >> 11;
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        return y ^ (y >> 18);
    }

    uint32_t Untemper(uint32_t z)
    {
        z ^= z >> 18;
        z ^= (z << 15) & 0xefc60000u;
        uint32_t y = z;
        for (int i = 0; i < 5; ++i)
            y = z ^ ((y << 7) & 0x9d2c5680u);
        uint32_t x = y;
        for (int i = 0; i < 3; ++i)
            x = y ^ (x >> 11);
        return x;
    }

    // Whether output i + 624 of an MT19937 stream can follow from outputs i + 1 and i + 397
    // when only the top 24 bits of each are known: the recurrence, tried for the hidden bits.
    bool FollowsInOneStream(const std::vector<uint32_t>& someWords, size_t i)
    {
        for (uint32_t hidden = 0; hidden < 512; ++hidden)
        {
            const uint32_t y = ((hidden & 256u) << 23) | (Untemper(someWords[i + 1] | (hidden & 255u)) & 0x7fffffffu);
            const uint32_t next = Temper((y >> 1) ^ ((y & 1u) != 0 ? 0x9908b0dfu : 0u));
            if (((next ^ someWords[i + 397]) & 0xffffff00u) == someWords[i + 624])
                return true;
        }
        return false;
    }

    class Particles : public GameTest::ContentTest
    {
    };

    using ParticleLevel = WorldTest::WorldTest;

    class ParticleDrawing : public GameTest::EngineContentTest
    {
    protected:
        void SetUp() override
        {
            GameTest::EngineContentTest::SetUp();
            WriteTexture("sprites/white.dds", 8, 8, [](uint32_t, uint32_t) { return 0xffffffffu; });
            WriteTexture("sprites/other.dds", 8, 8, [](uint32_t, uint32_t) { return 0xffffffffu; });
        }

        // Draws the registry on a background of sRGB grey 0.5 and reads the frame back.
        SpriteTest::Image DrawFrame()
        {
            (*myEngine)->SetClearColor(Kiln::Color(0.5f, 0.5f, 0.5f, 1.0f));
            EXPECT_TRUE((*myEngine)->BeginFrame());
            Registry().Render(*(*myEngine)->GetGraphicsEngine()->GetSpriteDrawer());
            SpriteTest::Image image = SpriteTest::ReadBackBuffer();
            (*myEngine)->EndFrame();
            return image;
        }
    };
}

TEST_F(Particles, ANewEmitterBurstsAtOnceAndCountsItsPeriodFromThere)
{
    ParticleEmitterSettings settings = Exact();
    settings.mySpawnFrequency = 0.5f;
    settings.mySpawnAmount = 2;
    ParticleEmitter emitter(settings);
    EXPECT_FLOAT_EQ(emitter.GetSpawnTimer(), 0.5f);

    emitter.Update(1.2f); // 0.5 + 1.2 = 1.7: three bursts, 0.2 left
    EXPECT_EQ(Registry().GetParticleCount(), 6u);
    EXPECT_NEAR(emitter.GetSpawnTimer(), 0.2f, 1e-5f);
    emitter.Update(0.2f);
    EXPECT_EQ(Registry().GetParticleCount(), 6u);
    emitter.Update(0.1f);
    EXPECT_EQ(Registry().GetParticleCount(), 8u);

    ParticleEmitter other(settings);
    other.Update(0.0f);
    EXPECT_EQ(Registry().GetParticleCount(), 10u) << "any new emitter bursts in its first update";

    // On demand: one burst whatever the timer; no burst below one particle.
    other.Emit();
    EXPECT_EQ(Registry().GetParticleCount(), 12u);
    other.GetSettings().mySpawnAmount = 0;
    other.Emit();
    other.GetSettings().mySpawnAmount = -3;
    other.Emit();
    EXPECT_EQ(Registry().GetParticleCount(), 12u);
}

TEST_F(Particles, AnEmitterLifetimeEndsTimedSpawningForGood)
{
    ParticleEmitterSettings settings = Exact();
    settings.myEmitterLifetime = 3.0f;
    settings.mySpawnFrequency = 0.5f;
    ParticleEmitter emitter(settings);
    emitter.Update(1.0f); // bursts at 0.5 + 1.0: three
    emitter.Update(1.0f);
    EXPECT_EQ(Registry().GetParticleCount(), 5u);
    emitter.Update(1.0f); // 3 s reached: silent
    emitter.Update(5.0f);
    EXPECT_EQ(Registry().GetParticleCount(), 5u);
    emitter.Emit();
    EXPECT_EQ(Registry().GetParticleCount(), 6u) << "a burst on demand ignores the lifetime";
}

TEST_F(Particles, ASpawnPeriodOfZeroOrLessBurstsOncePerUpdateAndLongLivedBirthsStopAtTheCap)
{
    for (float period : {0.0f, -1.0f, std::nanf("")})
    {
        Registry().Clear();
        ParticleEmitterSettings settings = Exact();
        settings.mySpawnFrequency = period;
        settings.mySpawnAmount = 3;
        ParticleEmitter emitter(settings);
        emitter.Update(0.016f);
        emitter.Update(0.5f);
        EXPECT_EQ(Registry().GetParticleCount(), 6u) << period;
    }

    // A period too small to count a timer down ends the update as well.
    Registry().Clear();
    ParticleEmitterSettings tiny = Exact();
    tiny.mySpawnFrequency = 1e-12f;
    ParticleEmitter emitter(tiny);
    emitter.Update(1.0f);
    EXPECT_GE(Registry().GetParticleCount(), 1u);
    EXPECT_LE(Registry().GetParticleCount(), 2u);

    // A period far below the step: one update spawns no more than the largest burst and drops the backlog.
    Registry().Clear();
    tiny.mySpawnFrequency = 1e-3f;
    tiny.mySpawnAmount = 100;
    tiny.myLifetimeInterval = {1e9f, 1e9f};
    ParticleEmitter dense(tiny);
    dense.Update(1.0f);
    EXPECT_EQ(Registry().GetParticleCount(), 1000u);
    dense.Update(2e-3f); // two or three bursts
    EXPECT_TRUE(Registry().GetParticleCount() == 1200u || Registry().GetParticleCount() == 1300u) << Registry().GetParticleCount();

    // Such long-lived births stop at the registry's cap; the frame goes on, and room that a
    // death makes takes one more.
    Registry().Register(MakeParticle("sprites/short.dds", 0.5f));
    for (int frame = 0; frame < 120; ++frame)
        dense.Update(1.0f);
    EXPECT_EQ(Registry().GetParticleCount(), 100000u);
    Registry().Update(1.0f);
    EXPECT_TRUE(ParticlesOf("sprites/short.dds").empty());
    dense.Emit();
    EXPECT_EQ(ParticlesOf("sprites/p.dds").size(), 100000u);
}

TEST_F(ParticleLevel, ALevelsEmitterAsksForNoMoreThanTheLargestBurst)
{
    for (int amount : {1000, 1001, 100000, -1})
    {
        WriteObject("levels\\Level1.ksc", 0, "Motes", "KOB_ParticleEmitter", {GameTest::ObjectProperty("spawnAmount", "Int", amount)});
        const std::string text = MessageOf([&] { LoadWorld("levels\\Level1.ksc"); });
        const bool refused = text.find("object \"Motes\" (KOB_ParticleEmitter, defined in") != std::string::npos &&
                             text.ends_with("KOB_ParticleEmitter.kob\"): key \"spawnAmount\" is " + std::to_string(amount) +
                                            "; an emitter spawns 0 to 1000 particles a burst");
        EXPECT_EQ(refused, amount != 1000) << text;
    }
}

TEST_F(Particles, ABurstPlacesParticlesByRotatedOffsetsAndTheBaseOffset)
{
    ParticleEmitterSettings settings = Exact();
    settings.myPosition = {100.0f, 200.0f, 5.0f};
    settings.myRotation = PI / 2.0f;
    settings.myXOffsetInterval = {10.0f, 10.0f};
    settings.myYOffsetInterval = {4.0f, 4.0f};
    settings.myBaseOffset = {1.0f, 2.0f};
    settings.mySize = {20.0f, 30.0f};
    settings.myStartScaleInterval = {2.0f, 2.0f};
    ParticleEmitter emitter(settings);
    emitter.Emit();
    const std::vector<Particle*> particles = ParticlesOf("sprites/p.dds");
    ASSERT_EQ(particles.size(), 1u);
    // x offset along the turned x axis (up), y offset along the turned y axis (left).
    EXPECT_NEAR(particles[0]->GetPosition().x, 100.0f - 4.0f + 1.0f, 1e-4f);
    EXPECT_NEAR(particles[0]->GetPosition().y, 200.0f + 10.0f + 2.0f, 1e-4f);
    EXPECT_FLOAT_EQ(particles[0]->GetPosition().z, 6.0f);
    EXPECT_EQ(particles[0]->GetStartSize(), Kiln::Vector2<float>(40.0f, 60.0f));
    EXPECT_EQ(particles[0]->GetCurrentSize(), Kiln::Vector2<float>(40.0f, 60.0f));

    // Offset intervals given high to low are stored back in order.
    emitter.GetSettings().myXOffsetInterval = {10.0f, -10.0f};
    emitter.GetSettings().myYOffsetInterval = {3.0f, 1.0f};
    emitter.Emit();
    EXPECT_EQ(emitter.GetSettings().myXOffsetInterval, Kiln::Vector2<float>(-10.0f, 10.0f));
    EXPECT_EQ(emitter.GetSettings().myYOffsetInterval, Kiln::Vector2<float>(1.0f, 3.0f));
}

TEST_F(Particles, SpeedDampingAndTheEmittersRotationMoveAParticle)
{
    ParticleEmitterSettings settings = Exact();
    settings.myAngleInterval = {90.0f, 90.0f};
    ParticleEmitter up(settings);
    up.Emit();
    Particle* particle = ParticlesOf("sprites/p.dds").at(0);
    const Kiln::Vector3<float> start = particle->GetPosition();
    Registry().Update(0.5f);
    EXPECT_NEAR(particle->GetPosition().y - start.y, 50.0f, 0.05f) << "100 units per second along the angle";
    EXPECT_NEAR(particle->GetPosition().x - start.x, 0.0f, 0.05f);
    EXPECT_FLOAT_EQ(particle->GetPosition().z, start.z);
    Registry().Clear();

    // Angle 0 from a rotation of pi: along -x (with the 3.1415 and 0.017452778 constants).
    ParticleEmitterSettings turned = Exact();
    turned.myRotation = PI;
    ParticleEmitter back(turned);
    back.Emit();
    particle = ParticlesOf("sprites/p.dds").at(0);
    EXPECT_NEAR(particle->GetDirection().x, -1.0f, 1e-5f);
    EXPECT_NEAR(particle->GetDirection().y, std::sin(PI * 180.0f / 3.1415f * 0.017452778f), 1e-6f);
    Registry().Clear();

    ParticleEmitterSettings damped = Exact();
    damped.myDampingInterval = {1.0f, 1.0f};
    damped.myLifetimeInterval = {5.0f, 5.0f};
    ParticleEmitter slowing(damped);
    slowing.Emit();
    particle = ParticlesOf("sprites/p.dds").at(0);
    for (int step = 0; step < 1000; ++step)
        Registry().Update(0.001f);
    EXPECT_NEAR(particle->GetSpeed(), 100.0f * std::exp(-1.0f), 0.05f);
    Registry().Clear();

    // Acceleration takes speed away and changes by its own rate.
    ParticleEmitterSettings braking = Exact();
    braking.myAccelerationInterval = {10.0f, 10.0f};
    braking.myAccelerationChangeInterval = {4.0f, 4.0f};
    ParticleEmitter brakes(braking);
    brakes.Emit();
    particle = ParticlesOf("sprites/p.dds").at(0);
    Registry().Update(0.5f);
    EXPECT_FLOAT_EQ(particle->GetSpeed(), 95.0f);
    EXPECT_FLOAT_EQ(particle->GetAcceleration(), 12.0f);
}

TEST_F(Particles, SizeAndColourFollowTheAgeOverTheLifetime)
{
    ParticleEmitterSettings settings = Exact();
    settings.myLifetimeInterval = {2.0f, 2.0f};
    settings.myScaleEnd = 0.0f;
    settings.myColorStart = {1.0f, 0.0f, 0.0f, 1.0f};
    settings.myColorEnd = {0.0f, 0.0f, 1.0f, 0.0f};
    ParticleEmitter shrinking(settings);
    shrinking.Emit();
    settings.mySizeDynamic = true;
    settings.myTexturePath = Id("sprites/q.dds");
    ParticleEmitter pulsing(settings);
    pulsing.Emit();

    Particle* linear = ParticlesOf("sprites/p.dds").at(0);
    Particle* sine = ParticlesOf("sprites/q.dds").at(0);
    Registry().Update(0.0f);
    EXPECT_EQ(linear->GetCurrentSize(), Kiln::Vector2<float>(20.0f, 20.0f));
    EXPECT_EQ(sine->GetCurrentSize(), Kiln::Vector2<float>(0.0f, 0.0f)) << "the sine curve starts at 0";
    // The fade runs from the start colour to the end colour, not the other way.
    const Kiln::Color born = linear->GetCurrentColor();
    EXPECT_EQ((std::array<float, 4>{born.r, born.g, born.b, born.a}), (std::array<float, 4>{1.0f, 0.0f, 0.0f, 1.0f}));

    Registry().Update(1.0f); // half life
    EXPECT_NEAR(linear->GetCurrentSize().x, 10.0f, 1e-4f);
    EXPECT_NEAR(sine->GetCurrentSize().x, 20.0f, 1e-4f) << "and is full at half life";
    const Kiln::Color half = linear->GetCurrentColor();
    EXPECT_FLOAT_EQ(half.r, 0.5f);
    EXPECT_FLOAT_EQ(half.b, 0.5f);
    EXPECT_FLOAT_EQ(half.a, 0.5f);

    Registry().Update(0.5f);
    EXPECT_NEAR(sine->GetCurrentSize().x, 20.0f * std::sin(0.75f * 3.1415927f), 1e-3f);
}

TEST_F(Particles, AParticleLivesUntilTheUpdateThatBringsItsAgeToItsLifetime)
{
    Particle* first = MakeParticle("sprites/p.dds", 2.0f);
    Particle* second = MakeParticle("sprites/p.dds", 5.0f);
    Registry().Register(first);
    Registry().Register(second);
    Registry().Update(1.5f);
    EXPECT_TRUE(first->IsAlive());
    EXPECT_EQ(Registry().GetParticleCount(), 2u);
    Registry().Update(0.5f);
    EXPECT_EQ(ParticlesOf("sprites/p.dds"), std::vector<Particle*>{second});
    EXPECT_FLOAT_EQ(second->GetAge(), 2.0f) << "the one after it was updated in the same frame";

    // The dead close up; the living keep their order; the emptied group stays.
    Registry().Clear();
    std::vector<Particle*> made;
    for (float life : {1.0f, 3.0f, 1.0f, 3.0f, 0.5f, 3.0f})
    {
        made.push_back(MakeParticle("sprites/p.dds", life));
        Registry().Register(made.back());
    }
    Registry().Register(MakeParticle("sprites/q.dds", 0.5f));
    Registry().Update(1.0f);
    EXPECT_EQ(ParticlesOf("sprites/p.dds"), (std::vector<Particle*>{made[1], made[3], made[5]}));
    EXPECT_EQ(Registry().GetGroups().count(Id("sprites/q.dds")), 1u);
    EXPECT_TRUE(ParticlesOf("sprites/q.dds").empty());

    // A lifetime of 0 goes at its first update.
    Registry().Register(MakeParticle("sprites/q.dds", 0.0f));
    Registry().Update(0.0f);
    EXPECT_TRUE(ParticlesOf("sprites/q.dds").empty());
}

TEST_F(Particles, ASeekingParticleArrivesWhereItsTargetIsWhenItsLifeEnds)
{
    Kiln::Vector3<float> target{0.0f, 0.0f, 0.0f};
    ParticleEmitterSettings settings = Exact();
    settings.myPosition = {100.0f, 50.0f, 0.0f};
    settings.myLifetimeInterval = {2.0f, 2.0f};
    settings.mySeekTarget = &target;
    ParticleEmitter emitter(settings);
    emitter.Emit();
    Particle* particle = ParticlesOf("sprites/p.dds").at(0);
    ASSERT_NE(dynamic_cast<SeekingParticle*>(particle), nullptr);
    const Kiln::Vector3<float> start = particle->GetPosition();
    EXPECT_EQ(start, Kiln::Vector3<float>(100.0f, 50.0f, 1.0f));

    Registry().Update(1.0f);
    EXPECT_NEAR(particle->GetPosition().x, 50.0f, 1e-4f);
    EXPECT_NEAR(particle->GetPosition().z, 0.5f, 1e-5f);
    target = {300.0f, -50.0f, 1.0f}; // the target moves
    Registry().Update(0.999f);
    EXPECT_NEAR(particle->GetPosition().x, 100.0f + 200.0f * 1.999f / 2.0f, 1e-3f);
    EXPECT_NEAR(particle->GetPosition().y, 50.0f - 100.0f * 1.999f / 2.0f, 1e-3f);
    EXPECT_EQ(particle->GetCurrentSize(), Kiln::Vector2<float>(20.0f, 20.0f)) << "no size curve";
}

TEST_F(Particles, AnimatedParticlesCopyTheEmittersControllerAndPlayItThemselves)
{
    WriteControllerDefinitions();
    const std::string path = MakeController("animations\\controllers\\T_Vfx.ksc", {{"Idle", 0, 10.0f, 0, 3, false, false, 0}}, {},
                                            {Sheet{0, 2, 2, "sprites/vfx.dds"}});
    ParticleEmitterSettings settings = Exact();
    settings.myHasAnimation = true;
    settings.myControllerPath = path;
    ParticleEmitter emitter(settings);
    EXPECT_EQ(emitter.GetController().GetCurrentAnimationName(), "Idle");
    emitter.Emit();
    Particle* particle = ParticlesOf("sprites/p.dds").at(0);
    ASSERT_TRUE(particle->HasAnimation());
    EXPECT_EQ(particle->GetController().GetCurrentAnimationName(), "Idle");
    for (int update = 0; update < 4; ++update)
        Registry().Update(0.05f);
    EXPECT_EQ(particle->GetController().GetCurrentFrame(), 1);
    EXPECT_EQ(emitter.GetController().GetCurrentFrame(), 0) << "the emitter's own controller stands still";

    // An emitter without an animation hands out empty controllers.
    ParticleEmitter plain(Exact("sprites/q.dds"));
    plain.Emit();
    EXPECT_TRUE(ParticlesOf("sprites/q.dds").at(0)->GetController().GetAnimations().empty());
}

TEST(RandomFloat, StaysWithinItsIntervalAndEachThreadHasItsOwnEngine)
{
    float smallest = 10.0f;
    float largest = -10.0f;
    for (int draw = 0; draw < 20000; ++draw)
    {
        const float value = RandomFloat(-2.0f, 3.0f);
        ASSERT_GE(value, -2.0f);
        ASSERT_LT(value, 3.0f);
        smallest = std::min(smallest, value);
        largest = std::max(largest, value);
    }
    EXPECT_LT(smallest, -1.99f);
    EXPECT_GT(largest, 2.99f);
    EXPECT_EQ(RandomFloat(4.5f, 4.5f), 4.5f);
    EXPECT_LE(RandomFloat(5.0f, 1.0f), 5.0f) << "a reversed interval stays between its ends";

    // A thread's draws are the top 24 bits of one unbroken MT19937 stream, so another
    // thread drawing in between takes nothing out of it.
    std::vector<uint32_t> words;
    const auto draw = [&words](int aCount) {
        for (int i = 0; i < aCount; ++i)
            words.push_back(static_cast<uint32_t>(RandomFloat(0.0f, 1.0f) * 16777216.0f) << 8);
    };
    draw(400);
    std::vector<float> other;
    std::thread thread([&other] {
        for (int i = 0; i < 50; ++i)
            other.push_back(RandomFloat(0.0f, 1.0f));
    });
    thread.join();
    draw(400);
    EXPECT_TRUE(std::all_of(other.begin(), other.end(), [](float aValue) { return aValue >= 0.0f && aValue < 1.0f; }));
    for (size_t i = 0; i + 624 < words.size(); ++i)
        ASSERT_TRUE(FollowsInOneStream(words, i)) << "draw " << i + 624;
}

TEST_F(ParticleDrawing, EachTextureGroupIsOneBatchWithTheBlendOfItsFirstParticle)
{
    // Group "white": an additive particle first, then an alpha one; group "other": alpha.
    const Kiln::Color halfRed{1.0f, 0.0f, 0.0f, 0.5f};
    Registry().Register(MakeParticle("sprites/white.dds", 5.0f, {60.0f, 90.0f, 0.0f}, halfRed, false, 20.0f));
    Registry().Register(MakeParticle("sprites/white.dds", 5.0f, {120.0f, 90.0f, 0.0f}, halfRed, true, 20.0f));
    Registry().Register(MakeParticle("sprites/other.dds", 5.0f, {180.0f, 90.0f, 0.0f}, halfRed, true, 20.0f));
    Registry().Register(MakeParticle("sprites/gone.dds", 0.5f, {240.0f, 90.0f, 0.0f}, halfRed, true, 20.0f));
    Registry().Update(1.0f); // empties the "gone" group

    SpriteTest::Image image;
    {
        SpriteTest::ScopedTrace trace;
        image = DrawFrame();
        EXPECT_EQ(SpriteTest::CallsNamed("DrawInstanced").size(), 2u) << "one draw per non-empty group";
    }

    // Background sRGB 0.5 is 0.214 linear. Additive: g stays 0.214 (sRGB 128); alpha
    // blending halves it to 0.107 (sRGB 92).
    const SpriteTest::Rgba additive = image.AtSpritePoint(60.0f, 90.0f);
    const SpriteTest::Rgba alphaInAdditiveGroup = image.AtSpritePoint(120.0f, 90.0f);
    const SpriteTest::Rgba alpha = image.AtSpritePoint(180.0f, 90.0f);
    EXPECT_NEAR(additive.g, 128, 4);
    EXPECT_NEAR(alphaInAdditiveGroup.g, 128, 4) << "the group's first particle sets the blend";
    EXPECT_NEAR(alpha.g, 92, 4);
    EXPECT_GT(additive.r, alpha.r);
    EXPECT_NEAR(image.AtSpritePoint(240.0f, 90.0f).g, 128, 4) << "the dead particle is not drawn";
    EXPECT_NEAR(image.AtSpritePoint(240.0f, 90.0f).r, 128, 4);
    // Outside the 20 x 20 quads, the background.
    EXPECT_NEAR(image.AtSpritePoint(60.0f, 115.0f).r, 128, 4);
}

TEST_F(ParticleDrawing, AnimatedParticlesShowTheirCellAndAreMirroredWhenFlyingLeft)
{
    // One 2 x 1 sheet of 64 x 32: cell 0 is red on its left half and blue on its right.
    WriteTexture("sprites/vfx.dds", 64, 32, [](uint32_t x, uint32_t) { return x < 16 ? 0xff0000ffu : x < 32 ? 0xffff0000u : 0xff00ff00u; });
    WriteControllerDefinitions();
    const std::string path = MakeController("animations\\controllers\\T_Fly.ksc", {{"Idle", 0, 10.0f, 0, 1, true, false, 0}}, {},
                                            {Sheet{0, 2, 1, "sprites/vfx.dds"}});
    ParticleEmitterSettings settings;
    settings.myTexturePath = Id("sprites/vfx.dds");
    settings.mySize = {40.0f, 40.0f};
    settings.mySpeedInterval = {0.0f, 0.0f};
    settings.myHasAnimation = true;
    settings.myControllerPath = path;
    settings.myPosition = {80.0f, 90.0f, 0.0f};
    ParticleEmitter right(settings);
    right.Emit();
    settings.myPosition = {200.0f, 90.0f, 0.0f};
    settings.myRotation = PI; // flies left
    ParticleEmitter left(settings);
    left.Emit();

    const SpriteTest::Image image = DrawFrame();
    // Aspect (1, columns / rows = 2): the quads are 40 x 80.
    const SpriteTest::Rgba rightLeftSide = image.AtSpritePoint(70.0f, 90.0f);
    const SpriteTest::Rgba rightRightSide = image.AtSpritePoint(90.0f, 90.0f);
    EXPECT_GT(rightLeftSide.r, 200);
    EXPECT_GT(rightRightSide.b, 200);
    EXPECT_LT(rightRightSide.g, 30) << "cell 0 only, not the green cell 1";
    EXPECT_GT(image.AtSpritePoint(80.0f, 125.0f).r + image.AtSpritePoint(80.0f, 125.0f).b, 200) << "80 tall";
    const SpriteTest::Rgba leftLeftSide = image.AtSpritePoint(190.0f, 90.0f);
    const SpriteTest::Rgba leftRightSide = image.AtSpritePoint(210.0f, 90.0f);
    EXPECT_GT(leftLeftSide.b, 200) << "mirrored";
    EXPECT_GT(leftRightSide.r, 200) << "mirrored";
}
