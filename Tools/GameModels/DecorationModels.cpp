// Scene decorations: static models for a "model" key and a skinned, looping one for an
// "animodel" key.
#include "GameModelSet.h"
#include "ModelParts.h"

#include "ContentKit/Random.h"

#include <algorithm>
#include <cmath>

namespace GameModels
{
    namespace
    {
        Affine At(const Vec3& aPosition) { return Affine::Translate(aPosition); }

        // One mushroom standing on its origin: a stem, a cap with pale gills underneath and
        // a few white spots on top.
        MeshBuilder Mushroom(float aHeight, float aCapRadius, uint32_t aSeed)
        {
            const float h = aHeight, r = aCapRadius, stem = r * 0.28f;
            const Cell stemCell = SharedCell(Shared::MushroomStem);
            MeshBuilder m;
            m.Append(LathePart({{stem * 1.35f, 0}, {stem, h * 0.3f}, {stem * 0.85f, h}}, 10, true, stemCell), {});
            m.Append(LathePart({{0, h - 2}, {r * 0.95f, h - 2}}, 16, true, stemCell, 0.85f), {});
            const std::vector<ProfilePoint> cap{{r * 0.95f, h - 2}, {r, h + 2},           {r * 0.85f, h + r * 0.35f},
                                                {r * 0.5f, h + r * 0.58f}, {0, h + r * 0.66f}};
            m.Append(LathePart(cap, 16, true, SharedCell(Shared::MushroomCap), 1.0f, 0.0f, false), {});
            ContentKit::Rng random(aSeed);
            for (int i = 0; i < 4; ++i)
            {
                const float azimuth = random.Range(0, 360);
                const float along = random.Range(0.3f, 0.8f);
                const float radius = r * 0.85f * along;
                // The cap's height at that radius, along its upper profile.
                const float y = radius < r * 0.5f ? h + r * (0.66f - 0.16f * radius / r)
                                                  : h + r * (0.58f - 0.23f * (radius / r - 0.5f) / 0.35f);
                const float spot = r * random.Range(0.1f, 0.16f);
                MeshBuilder dot = LathePart({{0, -1}, {spot, -1}, {spot * 0.8f, spot * 0.3f}, {0, spot * 0.45f}}, 8, true,
                                            SharedCell(Shared::White));
                // Radius and height as a point on the cap, tilted to follow its slope.
                const float tilt = 10.0f + 50.0f * along;
                m.Append(dot, Affine::RotateY(azimuth) * At({radius, y, 0}) * Affine::RotateZ(-tilt));
            }
            return m;
        }
    }

    GameModel MakeMushroomCluster()
    {
        GameModel model;
        model.name = "SM_MushroomCluster";
        MeshBuilder& m = model.mesh;
        m.Append(LathePart({{72, 0}, {58, 7}, {30, 12}, {0, 13}}, 14, true, SharedCell(Shared::Leaf)), {});
        struct Placement
        {
            Vec3 at;
            float height, cap, tilt;
        };
        const Placement mushrooms[] = {{{-10, 8, 4}, 70, 38, 4}, {{38, 6, -4}, 44, 26, -12},
                                       {{-50, 5, -8}, 26, 17, 14}, {{18, 6, -26}, 16, 11, -8}};
        uint32_t seed = 3;
        for (const Placement& p : mushrooms)
            m.Append(Mushroom(p.height, p.cap, seed++), At(p.at) * Affine::RotateZ(p.tilt));
        return model;
    }

    GameModel MakeTreeStump()
    {
        // A faceted stump of dark bark with a pale cut face, growth rings and roots.
        GameModel model;
        model.name = "SM_TreeStump";
        MeshBuilder& m = model.mesh;
        const Cell bark = LevelCell(1, Role::WoodDark);
        const Cell wood = LevelCell(1, Role::Wood);
        m.Append(LathePart({{50, 0}, {44, 8}, {37, 24}, {35, 60}, {37, 80}, {34, 82}}, 9, false, bark, 1.0f, 10.0f, false), {});
        m.Append(LathePart({{34, 82}, {0, 82}}, 9, false, wood, 1.15f, 10.0f), {});
        for (float ring : {26.0f, 15.0f})
            m.Append(LathePart({{ring, 82}, {ring - 1, 83.5f}, {ring - 3, 83.5f}, {ring - 4, 82}}, 9, false, wood, 0.7f, 10.0f,
                               false),
                     {});
        ContentKit::Rng random(11);
        for (int i = 0; i < 5; ++i)
        {
            const float azimuth = 72.0f * float(i) + random.Range(-15, 15);
            MeshBuilder root = LathePart({{10, 0}, {4, 36}, {0, 40}}, 5, false, bark, random.Range(0.8f, 1.0f));
            m.Append(root, Affine::RotateY(azimuth) * At({32, 12, 0}) * Affine::RotateZ(-100));
        }
        return model;
    }

    GameModel MakeCrystalCluster()
    {
        // Six-sided crystals in the third level set's accent colour on a rock.
        GameModel model;
        model.name = "SM_CrystalCluster";
        MeshBuilder& m = model.mesh;
        m.Append(LathePart({{60, 0}, {52, 16}, {30, 26}, {0, 28}}, 7, false, LevelCell(3, Role::StoneDark)), {});
        struct Crystal
        {
            float radius, length, tilt, azimuth;
            Vec3 at;
        };
        const Crystal crystals[] = {{12, 90, 0, 0, {0, 20, 0}},          {9, 62, 24, 20, {-18, 18, 4}},
                                    {8, 55, -28, -30, {20, 18, -6}},     {6, 36, 42, 160, {-30, 12, -10}},
                                    {7, 40, -45, 200, {32, 12, 8}},      {5, 26, 60, 90, {4, 14, -22}}};
        float shade = 1.0f;
        for (const Crystal& c : crystals)
        {
            MeshBuilder crystal = LathePart({{0, -6}, {c.radius, -6}, {c.radius, c.length}, {0, c.length + c.radius * 1.6f}}, 6,
                                            false, LevelCell(3, Role::Accent), shade, 30.0f);
            m.Append(crystal, At(c.at) * Affine::RotateY(c.azimuth) * Affine::RotateZ(c.tilt));
            shade = shade > 0.8f ? shade - 0.07f : 1.0f;
        }
        return model;
    }

    GameModel MakeHangingCocoon()
    {
        // A silk cocoon on a thread below a twig; the origin is where the twig hangs. The
        // joints run down the thread: the anchor keeps the twig still, the others sway.
        GameModel model;
        model.name = "SK_HangingCocoon";
        MeshBuilder& m = model.mesh;
        const Cell silk = SharedCell(Shared::Silk);
        m.Append(BoxPart({100, 9, 10}, 2, LevelCell(1, Role::WoodDark)), At({0, 4.5f, 0}));
        for (const auto& [x, angle] : {std::pair{-32.0f, 25.0f}, {26.0f, -35.0f}})
        {
            MeshBuilder leaf = LathePart({{0, 0}, {12, 13}, {0, 36}}, 4, false, SharedCell(Shared::Leaf));
            m.Append(leaf, At({x, 6, -2}) * Affine::RotateZ(angle + 180.0f) * Affine::Scale({1, 1, 0.35f}));
        }
        std::vector<ProfilePoint> thread;
        for (float y = -128; y <= 0.0f; y += 16.0f)
            thread.push_back({1.6f, y});
        thread.push_back({1.6f, 0});
        m.Append(LathePart(thread, 5, true, silk), {});
        m.Append(LathePart({{0, -290},
                            {10, -284},
                            {20, -268},
                            {27, -245},
                            {30, -215},
                            {29, -185},
                            {24, -158},
                            {15, -138},
                            {6, -126},
                            {0, -122}},
                           14, true, silk),
                 {});
        // Wrapping strands: thin rings tilted across the body.
        const std::vector<ProfilePoint> body{{0, -290}, {10, -284}, {20, -268}, {27, -245}, {30, -215},
                                            {29, -185}, {24, -158}, {15, -138}, {6, -126},  {0, -122}};
        float tilt = 12.0f;
        for (float y : {-262.0f, -232.0f, -200.0f, -168.0f})
        {
            const float r = ProfileRadiusAt(body, y);
            MeshBuilder strand = LathePart({{r - 0.5f, -2}, {r + 1.2f, -1}, {r + 1.2f, 1}, {r - 0.5f, 2}}, 14, true,
                                           SharedCell(Shared::SilkDark), 1.0f, 0.0f, false);
            m.Append(strand, At({0, y, 0}) * Affine::RotateX(tilt) * Affine::RotateZ(tilt * 0.5f));
            tilt = -tilt;
        }

        model.joints = {{"Cocoon_Anchor", -1, {0, 0, 0}},
                        {"Cocoon_Thread", 0, {0, -4, 0}},
                        {"Cocoon_Mid", 1, {0, -60, 0}},
                        {"Cocoon_Body", 2, {0, -60, 0}}};
        model.skin = [](const Vec3& p) {
            SkinWeights w;
            auto blend = [&](int aUpper, int aLower, float aTop, float aBottom) {
                const float t = std::clamp((aTop - p.y) / (aTop - aBottom), 0.0f, 1.0f);
                w.joints = {aUpper, aLower};
                w.weights = {1.0f - t, t};
            };
            if (p.y >= -4.0f)
                w = {{0, -1}, {1.0f, 0.0f}};
            else if (p.y >= -64.0f)
                blend(1, 2, -4.0f, -64.0f);
            else if (p.y >= -124.0f)
                blend(2, 3, -64.0f, -124.0f);
            else
                w = {{3, -1}, {1.0f, 0.0f}};
            return w;
        };

        ModelAnimation& sway = model.animation;
        sway.name = "Sway";
        sway.framesPerSecond = 30;
        sway.frameCount = 91;   // three seconds; the last frame repeats the first
        sway.tracks = {{1, {}}, {2, {}}, {3, {}}};
        for (int f = 0; f < sway.frameCount; ++f)
        {
            const float phase = 2.0f * PI * float(f) / float(sway.frameCount - 1);
            sway.tracks[0].rotations.push_back({0, 0, 4.0f * std::sin(phase)});
            sway.tracks[1].rotations.push_back({0, 0, 5.0f * std::sin(phase - 0.8f)});
            sway.tracks[2].rotations.push_back({0, 20.0f * std::sin(phase + 0.4f), 4.0f * std::sin(phase - 1.6f)});
        }
        return model;
    }
}
