// The upgrade character: an elder moth seen from the front, hovering with a lantern-glow in
// its chest. When it gives its gift it folds its wings and sinks to the ground, its light
// gone out. Design units: the 300 x 300 cell, centred on the character's position.
#include "Drawing.h"
#include "Layouts.h"

#include "ContentKit/SpriteSheet.h"

#include <cmath>

namespace GameContent
{
    namespace
    {
        constexpr float theRim = 2.2f;

        struct ElderPose
        {
            Vec2 centre{150.0f, 140.0f};
            float wingLift = 0.0f;    // radians, + raises both wings
            float glow = 1.0f;        // 0..1
            float eyeOpen = 1.0f;
            float slump = 0.0f;       // 0 upright .. 1 lying down
        };

        void DrawWingPair(Pen& aPen, const ElderPose& aPose, bool aFore)
        {
            for (const float side : {-1.0f, 1.0f})
            {
                const Vec2 shoulder = aPose.centre + Vec2{side * 18.0f, aFore ? -18.0f : 8.0f};
                const float lift = aFore ? aPose.wingLift : aPose.wingLift * 0.6f;
                const std::vector<Vec2> shape = aFore
                    ? std::vector<Vec2>{{0, 0}, {30, -40}, {70, -72}, {108, -78}, {122, -52}, {110, -18}, {78, 4}, {36, 10}, {0, 6}}
                    : std::vector<Vec2>{{0, 0}, {34, 6}, {70, 24}, {88, 54}, {70, 76}, {40, 66}, {12, 34}};
                std::vector<Vec2> points;
                for (const Vec2& p : shape)
                {
                    // Mirror for the left wing; a lift turns the wing about its shoulder.
                    const Vec2 local = Rotated(Vec2{p.x * side, p.y} * 0.85f, -lift * side);
                    points.push_back(shoulder + Vec2{local.x, local.y * (1.0f - 0.45f * aPose.slump)});
                }
                const Vec2 middle = shoulder + Rotated(Vec2{side * (aFore ? 60.0f : 45.0f), aFore ? -30.0f : 35.0f} * 0.85f, -lift * side);
                const Color dim = Mix(Palette::WingDark, Palette::Shadow, aPose.slump * 0.5f);
                aPen.Toned(Path().AddPolygon(SmoothCurve(points, 5)), middle, aFore ? 70.0f : 50.0f, dim, Palette::Wing,
                           aFore ? Palette::WingLight : Palette::Wing, theRim);
                // Pale veins and an ember eye spot that shines with the glow.
                const Vec2 tip = points[aFore ? 3 : 3];
                aPen.Line({shoulder, Lerp(shoulder, tip, 0.5f) + Vec2{0, aFore ? -6.0f : 6.0f}, Lerp(shoulder, tip, 0.9f)}, 2.0f,
                          WithAlpha(Palette::FluffLight, 0.35f));
                const Vec2 spot = Lerp(shoulder, middle, aFore ? 1.25f : 1.1f);
                aPen.Shape(Path().AddCircle(spot, aFore ? 12.0f : 8.0f), Mix(Palette::WingDark, Palette::Ember, 0.3f + 0.7f * aPose.glow),
                           theRim * 0.6f);
                aPen.Shape(Path().AddCircle(spot, aFore ? 5.0f : 3.5f), Palette::Ink, 0.0f);
                if (aPose.glow > 0.05f)
                    aPen.Glow(spot, aFore ? 22.0f : 15.0f, Palette::Ember, 0.5f * aPose.glow);
            }
        }

        void DrawElder(Canvas& aCell, const ElderPose& aPose)
        {
            const float pixels = float(aCell.Width()) / 300.0f;
            Canvas art(aCell.Width(), aCell.Height());
            Pen pen(art, Affine::Scale(pixels, pixels));
            const Vec2 c = aPose.centre;
            if (aPose.glow > 0.0f)
                pen.Glow(c + Vec2{0, 10}, 120.0f, Palette::Ember, 0.35f * aPose.glow);

            DrawWingPair(pen, aPose, false);
            DrawWingPair(pen, aPose, true);

            // Antennae: two great feathers curling outward.
            for (const float side : {-1.0f, 1.0f})
            {
                const Vec2 base = c + Vec2{side * 10.0f, -52.0f + 20.0f * aPose.slump};
                std::vector<Vec2> shaft;
                for (int i = 0; i <= 10; ++i)
                {
                    const float t = float(i) / 10.0f;
                    const float droop = aPose.slump * 0.9f;
                    shaft.push_back(base + Vec2{side * (40.0f * t + 12.0f * t * t), -55.0f * t + (30.0f + 60.0f * droop) * t * t});
                }
                for (size_t i = 1; i + 1 < shaft.size(); ++i)
                {
                    const float t = float(i) / float(shaft.size() - 1);
                    const Vec2 along = Normalized(shaft[i + 1] - shaft[i - 1]);
                    for (const float barbSide : {-1.0f, 1.0f})
                        pen.Line({shaft[i], shaft[i] + (Perpendicular(along) * barbSide + along * 0.5f) * (11.0f * std::sin(t * Pi))}, 2.2f,
                                 Palette::Fluff);
                }
                pen.Limb(shaft, 4.0f, 2.0f, Palette::FluffDark, 1.0f);
            }

            // Body: a plump fluffy thorax with a striped abdomen below.
            const Vec2 belly = c + Vec2{0, 46.0f - 10.0f * aPose.slump};
            pen.Toned(Path().AddEllipse(belly, 24.0f, 34.0f * (1.0f - 0.3f * aPose.slump), 0.0f), belly, 34.0f, Palette::BodyDark,
                      Palette::Body, Palette::BodyLight, theRim);
            for (int i = 0; i < 3; ++i)
                pen.Line({belly + Vec2{-20, -8.0f + 12.0f * float(i)}, belly + Vec2{0, -4.0f + 12.0f * float(i)},
                          belly + Vec2{20, -8.0f + 12.0f * float(i)}},
                         2.5f, Palette::BodyDark);
            std::vector<std::pair<Vec2, float>> fluff;
            for (int i = 0; i < 9; ++i)
            {
                const float a = 2.0f * Pi * float(i) / 9.0f;
                fluff.push_back({c + Vec2{std::cos(a) * 26.0f, std::sin(a) * 22.0f + 6.0f}, 17.0f});
            }
            fluff.push_back({c + Vec2{0, 6}, 26.0f});
            pen.TonedPuffs(fluff, c, 46.0f, Palette::FluffDark, Palette::Fluff, Palette::FluffLight, theRim);
            // The lantern in its chest.
            if (aPose.glow > 0.0f)
            {
                pen.Glow(c + Vec2{0, 10}, 40.0f, Palette::EmberLight, 0.7f * aPose.glow);
                pen.Shape(Path().AddCircle(c + Vec2{0, 10}, 9.0f), WithAlpha(Palette::Glow, aPose.glow), 0.0f);
            }

            // Head with two big eyes.
            const Vec2 head = c + Vec2{0, -34.0f + 22.0f * aPose.slump};
            pen.Toned(Path().AddEllipse(head, 26.0f, 22.0f, 0.0f), head, 26.0f, Palette::BodyDark, Palette::Body, Palette::BodyLight, theRim);
            for (const float side : {-1.0f, 1.0f})
            {
                const Vec2 eye = head + Vec2{side * 12.0f, 2.0f};
                if (aPose.eyeOpen > 0.2f)
                {
                    pen.Shape(Path().AddEllipse(eye, 8.5f, 10.0f * aPose.eyeOpen, 0.0f),
                              pen.Radial(eye + Vec2{-2, -3}, 11.0f,
                                         {{0.0f, Mix(Palette::FluffLight, Palette::Glow, aPose.glow)},
                                          {0.45f, Mix(Palette::WingLight, Palette::EmberLight, aPose.glow)},
                                          {1.0f, Mix(Palette::WingDark, Palette::EmberDeep, aPose.glow)}}),
                              theRim * 0.7f);
                    pen.Shape(Path().AddCircle(eye + Vec2{2.5f, -3.5f * aPose.eyeOpen}, 2.6f), Palette::FluffLight, 0.0f);
                }
                else
                {
                    pen.Line({eye + Vec2{-7, 0}, eye + Vec2{0, 3}, eye + Vec2{7, 0}}, 2.5f, Palette::Ink);
                }
            }
            aCell.Blit(art.Outlined(1.3f * pixels * 2.0f, Palette::Ink), 0, 0);
        }
    }

    void WriteNpcArt(Output& anOutput)
    {
        using namespace Sheets;
        SpriteSheet sheet(Upgrade.columns, Upgrade.rows, Upgrade.cellSize, Upgrade.cellSize);
        for (int i = 0; i <= UpgradeIdleEnd; ++i)
        {
            const float phase = 2.0f * Pi * float(i) / float(UpgradeIdleEnd + 1);
            ElderPose pose;
            pose.centre.y = 140.0f - 8.0f * std::sin(phase);
            pose.wingLift = 0.25f * std::sin(phase + 0.8f);
            pose.glow = 0.8f + 0.2f * std::sin(phase);
            Canvas cell = sheet.NewCell();
            DrawElder(cell, pose);
            sheet.Place(i, cell);
        }
        for (int i = UpgradeFallStart; i <= UpgradeFallEnd; ++i)
        {
            // The gift given, it dims, folds its wings and settles on the ground.
            const float t = float(i - UpgradeFallStart) / float(UpgradeFallEnd - UpgradeFallStart);
            ElderPose pose;
            const float fall = Smooth01(t * 1.2f);
            pose.centre.y = 140.0f + 62.0f * fall;
            pose.wingLift = 0.3f * (1.0f - t) - 0.55f * fall;
            pose.glow = std::max(0.0f, 1.0f - t * 1.4f);
            pose.eyeOpen = t < 0.5f ? 1.0f : 0.0f;
            pose.slump = Smooth01((t - 0.3f) / 0.7f);
            Canvas cell = sheet.NewCell();
            DrawElder(cell, pose);
            sheet.Place(i, cell);
        }
        anOutput.Texture(Upgrade.texture, sheet.Image());
    }
}
