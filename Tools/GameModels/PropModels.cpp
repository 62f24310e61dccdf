// The level objects' models: floor tiles, doors, buttons, breakable walls, vases and
// checkpoints, one set of colours per level set.
#include "GameModelSet.h"
#include "ModelParts.h"

#include "ContentKit/Random.h"

#include <cmath>
#include <string>

namespace GameModels
{
    namespace
    {
        std::string Suffix(int aLevelSet) { return "_Level_" + std::to_string(aLevelSet); }

        Affine At(const Vec3& aPosition) { return Affine::Translate(aPosition); }
    }

    GameModel MakeFloorTile(int aLevelSet)
    {
        // 100 x 100 centred on the origin, as the "collisionbox" sprite of size (100, 100)
        // and pivot (0.5, 0.5) describes it: a dark footing, the stone body and a layer of
        // ground cover on top, each bevelled so the seams catch the light.
        GameModel model;
        model.name = "SM_FloorTile" + Suffix(aLevelSet);
        MeshBuilder& m = model.mesh;
        m.SetCell(LevelCell(aLevelSet, Role::StoneDark));
        m.AddBox({-50, -50, -50}, {50, -36, 50}, 3);
        m.SetCell(LevelCell(aLevelSet, Role::StoneLight));
        m.AddBox({-50, -36, -50}, {50, 30, 50}, 4);
        m.SetCell(LevelCell(aLevelSet, Role::Ground));
        m.AddBox({-50, 30, -50}, {50, 50, 50}, 5);
        return model;
    }

    GameModel MakeLockedDoor(int aLevelSet)
    {
        // 100 wide, 300 high, standing on its origin: three planks on a backing board,
        // two iron bands with rivets, and a lock plate in the level's accent colour.
        GameModel model;
        model.name = "SM_LockedDoor" + Suffix(aLevelSet);
        MeshBuilder& m = model.mesh;
        const Cell wood = LevelCell(aLevelSet, Role::Wood);
        const Cell metal = LevelCell(aLevelSet, Role::Metal);
        m.SetCell(LevelCell(aLevelSet, Role::WoodDark));
        m.AddBox({-48, 2, -12}, {48, 298, 18}, 0);
        const float planks[3][2] = {{-50, -17}, {-16.5f, 16.5f}, {17, 50}};
        for (int i = 0; i < 3; ++i)
        {
            m.SetCell(wood, i == 1 ? 0.88f : 1.0f);
            m.AddBox({planks[i][0], 0, -20}, {planks[i][1], 300, 20}, 3);
        }
        for (float band : {40.0f, 238.0f})
        {
            m.SetCell(metal);
            m.AddBox({-50, band, -25}, {50, band + 22, -19}, 2);
            m.SetCell(metal, 0.8f);
            for (float x : {-38.0f, 0.0f, 38.0f})
                m.AddBox({x - 4, band + 7, -28}, {x + 4, band + 15, -24}, 1.5f);
        }
        m.SetCell(LevelCell(aLevelSet, Role::Accent));
        m.AddBox({-15, 125, -26}, {15, 175, -19}, 2.5f);
        m.SetCell(SharedCell(Shared::Soot));
        m.AddBox({-3.5f, 136, -27.5f}, {3.5f, 152, -25}, 0);
        // The keyhole's round top: a short disc turned to face the camera.
        m.Append(LathePart({{0, 0}, {6, 0}, {6, 2.5f}, {0, 2.5f}}, 10, true, SharedCell(Shared::Soot)),
                 At({0, 157, -25}) * Affine::RotateX(-90));
        return model;
    }

    GameModel MakeDoorButton(int aLevelSet, bool aPressed)
    {
        // A round plate 120 across with a domed cap; pressed, the cap sinks and glows.
        GameModel model;
        model.name = std::string("SM_DoorButton_") + (aPressed ? "Pressed" : "Unpressed") + Suffix(aLevelSet);
        MeshBuilder& m = model.mesh;
        m.SetCell(LevelCell(aLevelSet, Role::StoneDark));
        m.AddLathe({{0, 0}, {60, 0}, {60, 5}, {55, 11}, {0, 11}}, 20, true);
        m.SetCell(LevelCell(aLevelSet, Role::Metal));
        m.AddLathe({{44, 11}, {46, 12.5f}, {44, 14}, {42, 12.5f}}, 20, true, 0.0f, false);
        if (aPressed)
        {
            m.SetCell(LevelCell(aLevelSet, Role::Glow));
            m.AddLathe({{0, 11}, {40, 11}, {40, 14}, {36, 16}, {28, 17}, {0, 17}}, 20, true);
        }
        else
        {
            m.SetCell(LevelCell(aLevelSet, Role::Accent));
            m.AddLathe({{0, 11}, {40, 11}, {40, 24}, {36, 30}, {28, 32}, {0, 32}}, 20, true);
        }
        return model;
    }

    GameModel MakeBreakableWall(int aLevelSet, bool aBroken)
    {
        // Whole: 150 wide, 300 high, six staggered courses of bricks over dark mortar, with
        // a crack down the front that says a hard enough hit will bring it down. Broken: the
        // stumps of the lowest course and rubble around them.
        GameModel model;
        model.name = std::string("SM_BreakableWall_") + (aBroken ? "Broken" : "Whole") + Suffix(aLevelSet);
        MeshBuilder& m = model.mesh;
        const Cell stone = LevelCell(aLevelSet, Role::StoneLight);
        const Cell accent = LevelCell(aLevelSet, Role::Accent);
        ContentKit::Rng random(uint32_t(17 + aLevelSet));

        if (aBroken)
        {
            m.SetCell(LevelCell(aLevelSet, Role::StoneDark));
            m.AddBox({-72, 0, -34}, {70, 12, 36}, 0);
            m.SetCell(stone, 0.92f);
            m.AddBox({-75, 0, -40}, {-1.5f, 28, 40}, 4);
            m.SetCell(stone, 0.85f);
            m.AddBox({1.5f, 0, -40}, {58, 18, 40}, 4);
            for (int i = 0; i < 11; ++i)
            {
                const Vec3 size{random.Range(18, 40), random.Range(12, 24), random.Range(16, 34)};
                const Cell cell = i % 5 == 3 ? accent : stone;
                MeshBuilder chunk = BoxPart(size, 3, cell, random.Range(0.75f, 1.0f));
                const float x = random.Range(-115, 115), z = random.Range(-60, 45);
                const Affine place = At({x, size.y * 0.5f - 1.0f, z}) * Affine::RotateY(random.Range(0, 90)) *
                                     Affine::RotateZ(random.Range(-14, 14));
                m.Append(chunk, place);
            }
            return model;
        }

        m.SetCell(LevelCell(aLevelSet, Role::StoneDark));
        m.AddBox({-72, 0, -34}, {72, 298, 36}, 0);
        int brick = 0;
        for (int row = 0; row < 6; ++row)
        {
            const float y0 = row * 50.0f + (row == 0 ? 0.0f : 1.5f);
            const float y1 = row * 50.0f + 50.0f - (row == 5 ? 0.0f : 1.5f);
            const std::vector<std::pair<float, float>> spans =
                row % 2 == 0 ? std::vector<std::pair<float, float>>{{-75, -1.5f}, {1.5f, 75}}
                             : std::vector<std::pair<float, float>>{{-75, -39.5f}, {-36, 36}, {39.5f, 75}};
            for (const auto& [x0, x1] : spans)
            {
                m.SetCell(brick == 4 || brick == 10 ? accent : stone, random.Range(0.82f, 1.0f));
                m.AddBox({x0, y0, -40}, {x1, y1, 40}, 4);
                ++brick;
            }
        }
        // The crack, and a branch off it.
        const Cell soot = SharedCell(Shared::Soot);
        const std::vector<Vec2> crack{{-8, 262}, {6, 222}, {-10, 184}, {12, 142}, {-4, 104}, {10, 66}, {-6, 30}};
        for (size_t i = 0; i + 1 < crack.size(); ++i)
            m.Append(BarPart(crack[i], crack[i + 1], 4.0f, -42.0f, -38.5f, soot), {});
        for (const auto& [a, b] : {std::pair{Vec2{-10, 184}, Vec2{-34, 160}}, {Vec2{12, 142}, Vec2{36, 126}}})
            m.Append(BarPart(a, b, 3.0f, -42.0f, -38.5f, soot), {});
        return model;
    }

    GameModel MakeVase(int aLevelSet, bool aBroken)
    {
        // A round-bellied clay vase 114 across and 140 high with two painted bands; broken,
        // its lower part with a jagged rim and shards around it.
        GameModel model;
        model.name = std::string("SM_Vase_") + (aBroken ? "Broken" : "Whole") + Suffix(aLevelSet);
        MeshBuilder& m = model.mesh;
        const Cell clay = LevelCell(aLevelSet, Role::Clay);
        const Cell clayDark = LevelCell(aLevelSet, Role::ClayDark);
        const Cell soot = SharedCell(Shared::Soot);
        const std::vector<ProfilePoint> body{{0, 0},     {26, 0},    {29, 3},     {40, 14},    {51, 34},
                                             {56, 56},   {55, 70},   {48, 90},    {36, 108},   {26, 118},
                                             {24, 126},  {30, 132},  {33, 137},   {30, 140},   {24, 139}};
        constexpr int segments = 20;
        auto band = [&](float y0, float y1, const Cell& aCell) {
            const float r0 = ProfileRadiusAt(body, y0), r1 = ProfileRadiusAt(body, y1);
            m.SetCell(aCell);
            m.AddLathe({{r0 - 0.5f, y0}, {r0 + 1.5f, y0 + 1}, {r1 + 1.5f, y1 - 1}, {r1 - 0.5f, y1}}, segments, true, 0.0f, false);
        };

        if (!aBroken)
        {
            m.SetCell(clay);
            m.AddLathe(body, segments, true, 0.0f, false);
            m.SetCell(soot);
            m.AddLathe({{24, 139}, {0, 139}}, segments, true);
            band(52, 66, clayDark);
            band(94, 100, LevelCell(aLevelSet, Role::Accent));
            return model;
        }

        // The lower body up to y 30, then a wall of uneven height and a dark inside.
        std::vector<ProfilePoint> lower;
        for (const ProfilePoint& p : body)
            if (p.y < 30)
                lower.push_back(p);
        lower.push_back({ProfileRadiusAt(body, 30), 30});
        m.SetCell(clay);
        m.AddLathe(lower, segments, true, 0.0f, false);
        band(24, 29, clayDark);
        std::vector<float> heights;
        for (int k = 0; k < segments; ++k)
            heights.push_back(k % 2 == 0 ? 36.0f + float((k * 7) % 11) : 48.0f + float((k * 5) % 13));
        auto ring = [&](int k, float aRadius, float y) {
            const float angle = 2.0f * PI * float(k % segments) / float(segments);
            return Vec3{aRadius * std::cos(angle), y, aRadius * std::sin(angle)};
        };
        const float wall = 4.0f;
        for (int k = 0; k < segments; ++k)
        {
            const int n = k + 1;
            const float h0 = heights[size_t(k)], h1 = heights[size_t(n % segments)];
            const float r30 = ProfileRadiusAt(body, 30);
            const float rk = ProfileRadiusAt(body, h0), rn = ProfileRadiusAt(body, h1);
            const float midAngle = 2.0f * PI * (float(k) + 0.5f) / float(segments);
            const Vec3 out{std::cos(midAngle), 0.0f, std::sin(midAngle)};
            m.SetCell(clay);
            m.AddFace({ring(k, r30, 30), ring(n, r30, 30), ring(n, rn, h1), ring(k, rk, h0)}, out);
            m.SetCell(clayDark);
            m.AddFace({ring(k, rk, h0), ring(n, rn, h1), ring(n, rn - wall, h1 - 1), ring(k, rk - wall, h0 - 1)},
                      Vec3{0, 1, 0} + out * 0.2f);
            m.SetCell(soot);
            m.AddFace({ring(k, rk - wall, h0 - 1), ring(n, rn - wall, h1 - 1), ring(n, r30 - wall, 30), ring(k, r30 - wall, 30)},
                      -out);
        }
        m.SetCell(soot);
        m.AddLathe({{ProfileRadiusAt(body, 30) - wall, 30}, {ProfileRadiusAt(body, 10) - wall, 10}, {0, 8}}, segments, true, 0.0f,
                   false);

        ContentKit::Rng random(uint32_t(41 + aLevelSet));
        for (int i = 0; i < 7; ++i)
        {
            const Vec3 size{random.Range(14, 30), 3.0f, random.Range(10, 22)};
            MeshBuilder shard = BoxPart(size, 1.0f, i % 3 == 0 ? clayDark : clay, random.Range(0.85f, 1.0f));
            const float angle = random.Range(0, 2.0f * PI);
            const float distance = random.Range(62, 100);
            const Affine place = At({distance * std::cos(angle), 2.5f, distance * std::sin(angle) * 0.6f}) *
                                 Affine::RotateY(random.Range(0, 180)) * Affine::RotateX(random.Range(-12, 12));
            m.Append(shard, place);
        }
        return model;
    }

    GameModel MakeCheckpoint(int aLevelSet, bool aLit)
    {
        // A lantern post 456 high on a stepped stone footing. The game draws checkpoints
        // without lighting, so the key light is baked into the vertex colours; a lit
        // lantern's glass stays at full brightness.
        GameModel model;
        model.name = std::string("SM_Checkpoint_") + (aLit ? "On" : "Off") + Suffix(aLevelSet);
        const Cell metal = LevelCell(aLevelSet, Role::Metal);
        MeshBuilder body;
        body.SetCell(LevelCell(aLevelSet, Role::StoneDark));
        body.AddBox({-34, 0, -34}, {34, 28, 34}, 5);
        body.SetCell(LevelCell(aLevelSet, Role::StoneLight));
        body.AddBox({-25, 28, -25}, {25, 46, 25}, 4);
        body.SetCell(LevelCell(aLevelSet, Role::WoodDark));
        body.AddLathe({{8, 46}, {8, 362}}, 8, false, 22.5f);
        body.SetCell(metal);
        body.AddBox({-13, 356, -13}, {13, 372, 13}, 2);
        body.AddBox({-22, 372, -22}, {22, 380, 22}, 2);
        for (float x : {-17.0f, 17.0f})
            for (float z : {-17.0f, 17.0f})
                body.AddBox({x - 2.5f, 380, z - 2.5f}, {x + 2.5f, 428, z + 2.5f}, 0.8f);
        body.AddBox({-23, 428, -23}, {23, 434, 23}, 2);
        body.AddLathe({{31, 434}, {4, 452}, {0, 452}}, 4, false, 45.0f);
        body.AddLathe({{0, 452}, {5, 454}, {6, 457}, {4, 461}, {0, 462}}, 8, true);
        body.BakeLight(KEY_LIGHT, 0.55f);

        MeshBuilder glass;
        glass.SetCell(aLit ? LevelCell(aLevelSet, Role::Glow) : SharedCell(Shared::GlassOff));
        glass.AddBox({-15, 380, -15}, {15, 428, 15}, 0);
        if (!aLit)
            glass.BakeLight(KEY_LIGHT, 0.7f);

        model.mesh.Append(body, {});
        model.mesh.Append(glass, {});
        return model;
    }
}
