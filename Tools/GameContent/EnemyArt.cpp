// The enemies: shadow hands that rise from the ground (and hang from ceilings), the wall of
// hands that chases the hero, and the walking blob. All are made of the same dark stuff as
// the Darktangle motes they shed, with ember glints so they read against the night.
#include "Drawing.h"
#include "Layouts.h"

#include "ContentKit/Random.h"
#include "ContentKit/SpriteSheet.h"

#include <cmath>
#include <functional>

namespace GameContent
{
    namespace
    {
        constexpr float theHandRim = 2.2f;

        // Where a hand's geometry goes: local points (y down) through a placement, so one
        // hand can rise from a floor or hang from a ceiling while the light stays on top.
        struct Placement
        {
            Affine transform;
            Vec2 operator()(Vec2 p) const { return transform.Apply(p); }
            std::vector<Vec2> operator()(std::vector<Vec2> somePoints) const
            {
                for (Vec2& p : somePoints)
                    p = transform.Apply(p);
                return somePoints;
            }
        };

        struct HandPose
        {
            Vec2 base;          // where the arm leaves the dark
            Vec2 wrist;
            float reach = 0.0f; // direction the hand points, radians (0: +x)
            float size = 30.0f; // palm radius
            float curl = 0.0f;  // 0 open, 1 clenched
            float spread = 1.0f;
            float armWidth = 26.0f;
        };

        void DrawHand(Pen& aPen, const Placement& aPlace, const HandPose& aHand, float aShade)
        {
            const Color dark = Darken(Palette::Shadow, aShade);
            const Color mid = Darken(Palette::ShadowMid, aShade);
            const Color light = Darken(Palette::ShadowLight, aShade);

            // Arm: an S-curve from the base to the wrist.
            const Vec2 along = aHand.wrist - aHand.base;
            const Vec2 side = Perpendicular(Normalized(along)) * (Length(along) * 0.12f);
            const std::vector<Vec2> arm =
                aPlace(FlattenCubic(aHand.base, aHand.base + along * 0.35f + side, aHand.base + along * 0.7f - side, aHand.wrist, 16));
            aPen.Limb(arm, aHand.armWidth * 1.25f, aHand.armWidth * 0.7f, Paint::Linear(arm.front(), dark, arm.back(), mid), theHandRim);

            // The palm widens from the wrist to a row of knuckles; four fingers of three
            // joints bend further as the hand closes, and the thumb sticks out to one side.
            const Vec2 dir = FromAngle(aHand.reach), across = Perpendicular(dir);
            const float size = aHand.size;
            const Vec2 knuckles = aHand.wrist + dir * (size * 0.85f);
            const std::vector<Vec2> palmOutline = aPlace(SmoothCurve(
                {aHand.wrist - across * (size * 0.32f), knuckles - across * (size * 0.55f * aHand.spread) - dir * (size * 0.1f),
                 knuckles + dir * (size * 0.12f), knuckles + across * (size * 0.55f * aHand.spread) - dir * (size * 0.1f),
                 aHand.wrist + across * (size * 0.32f), aHand.wrist - dir * (size * 0.1f), aHand.wrist - across * (size * 0.32f)},
                5));
            const float splay[] = {-0.35f, -0.12f, 0.1f, 0.32f};
            const float lengths[] = {0.85f, 1.0f, 0.95f, 0.75f};
            std::vector<std::vector<Vec2>> fingers;
            for (int f = 0; f < 4; ++f)
            {
                float angle = aHand.reach + splay[f] * aHand.spread;
                Vec2 joint = knuckles + across * ((-0.45f + 0.3f * float(f)) * size * aHand.spread);
                std::vector<Vec2> finger{joint};
                for (int j = 0; j < 3; ++j)
                {
                    angle += (0.12f + 0.75f * aHand.curl) * (j == 0 ? 0.7f : 1.0f);
                    joint = joint + FromAngle(angle, size * 0.5f * lengths[f] * (1.0f - 0.15f * float(j)));
                    finger.push_back(joint);
                }
                fingers.push_back(aPlace(finger));
            }
            std::vector<Vec2> thumb{aHand.wrist + dir * (size * 0.35f) - across * (size * 0.4f)};
            float thumbAngle = aHand.reach - 0.9f * aHand.spread;
            for (int j = 0; j < 2; ++j)
            {
                thumb.push_back(thumb.back() + FromAngle(thumbAngle, size * 0.45f));
                thumbAngle += 0.2f + 0.9f * aHand.curl;
            }
            fingers.push_back(aPlace(thumb));

            for (const auto& finger : fingers)
                aPen.Limb(finger, size * 0.34f, size * 0.2f, mid, theHandRim);
            const Vec2 palmCentre = aPlace(aHand.wrist + dir * (size * 0.45f));
            aPen.Toned(Path().AddPolygon(palmOutline), palmCentre, size * 1.4f, dark, mid, light, theHandRim);
            // Ember claws at the fingertips.
            for (const auto& finger : fingers)
            {
                const Vec2 tip = finger.back();
                aPen.Glow(tip, aHand.size * 0.35f, Palette::Ember, 0.3f);
                aPen.Shape(Path().AddCircle(tip, aHand.size * 0.08f), Palette::EmberLight, 0.0f);
            }
        }

        // A pool of dark mist where the arms come out (at y = anEdge across the cell).
        void DrawDarkPool(Pen& aPen, Vec2 aCentre, float aWidth, float aHeight)
        {
            const Vec2 c = aPen.Map(aCentre);
            aPen.Target().FillEllipse(c, aWidth * aPen.Scale(), aHeight * aPen.Scale(), 0.0f,
                                      Paint::Radial(c, aWidth * aPen.Scale(),
                                                    {{0.0f, WithAlpha(Palette::NightDeep, 0.95f)},
                                                     {0.6f, WithAlpha(Palette::Shadow, 0.6f)},
                                                     {1.0f, WithAlpha(Palette::Shadow, 0.0f)}}));
        }

        // Two or three arms rising from the bottom of a 300-unit cell, swaying and grasping.
        Canvas RisingHands(int aFrame, int aCellSize, bool aHanging)
        {
            Canvas cell(aCellSize, aCellSize);
            const float pixels = float(aCellSize) / 300.0f;
            Pen pen(cell, Affine::Scale(pixels, pixels));
            Placement place{aHanging ? Affine{1, 0, 0, -1, 0, 300} : Affine{}};
            const float phase = 2.0f * Pi * float(aFrame) / 16.0f;

            DrawDarkPool(pen, place({150, 292}), 130, 26);
            struct Arm
            {
                float baseX, height, lean, size, offset, shade;
            };
            const Arm arms[] = {{116, 110, -0.38f, 27, 0.0f, 0.35f}, {186, 105, 0.4f, 26, 2.1f, 0.3f}, {150, 148, 0.02f, 31, 4.0f, 0.0f}};
            for (const Arm& arm : arms)
            {
                const float sway = 0.12f * std::sin(phase + arm.offset);
                const float rise = 8.0f * std::sin(phase * 2.0f + arm.offset);
                HandPose hand;
                hand.base = {arm.baseX, 300.0f};
                const float angle = -Pi * 0.5f + arm.lean + sway;
                hand.wrist = hand.base + FromAngle(angle, arm.height + rise);
                hand.reach = angle + 0.25f * std::sin(phase + arm.offset + 1.0f);
                hand.size = arm.size;
                hand.curl = 0.5f + 0.5f * std::sin(phase + arm.offset);
                hand.spread = 1.0f - 0.3f * hand.curl;
                hand.armWidth = arm.size * 0.85f;
                pen.Glow(place(hand.wrist), arm.size * 2.0f, Palette::Mist, 0.15f);
                DrawHand(pen, place, hand, arm.shade);
            }
            // Motes curling off the dark.
            Rng motes(uint64_t(aFrame) * 31 + (aHanging ? 7 : 3));
            for (int i = 0; i < 6; ++i)
            {
                const float t = std::fmod(float(i) / 6.0f + float(aFrame) / 16.0f, 1.0f);
                const Vec2 p = place({60.0f + 180.0f * motes.Next(), 292.0f - 120.0f * t});
                pen.Shape(Path().AddCircle(p, 4.0f * (1.0f - t) + 1.0f), WithAlpha(Palette::ShadowLight, 0.7f * (1.0f - t)), 0.0f);
            }
            return cell;
        }

        // A 600-unit cell of the chasing wall: arms coming out of the dark on the left,
        // clawing to the right.
        Canvas ChasingHandsCell(int aFrame, int aCellSize)
        {
            Canvas cell(aCellSize, aCellSize);
            const float pixels = float(aCellSize) / 600.0f;
            Pen pen(cell, Affine::Scale(pixels, pixels));
            const Placement place{Affine{}};
            const float phase = 2.0f * Pi * float(aFrame) / 16.0f;
            // The dark the arms come out of fades in from the left edge.
            cell.FillRect(0, 0, float(aCellSize) * 0.55f, float(aCellSize),
                          Paint::Linear({0, 0}, WithAlpha(Palette::NightDeep, 1.0f), {float(aCellSize) * 0.55f, 0},
                                        WithAlpha(Palette::NightDeep, 0.0f)));
            struct Arm
            {
                float y, length, size, offset, shade;
            };
            const Arm arms[] = {{150, 250, 62, 0.0f, 0.35f}, {450, 240, 60, 2.4f, 0.35f}, {300, 300, 76, 1.2f, 0.0f}};
            for (const Arm& arm : arms)
            {
                const float lunge = 40.0f * std::sin(phase + arm.offset);
                HandPose hand;
                hand.base = {10.0f, arm.y + 30.0f * std::sin(phase * 0.5f + arm.offset)};
                hand.wrist = {60.0f + arm.length + lunge, arm.y + 20.0f * std::sin(phase + arm.offset + 1.0f)};
                hand.reach = 0.2f * std::sin(phase + arm.offset) - 0.1f;
                hand.size = arm.size;
                hand.curl = 0.5f + 0.5f * std::sin(phase + arm.offset + Pi);
                hand.spread = 1.1f - 0.35f * hand.curl;
                hand.armWidth = arm.size * 0.8f;
                pen.Glow(hand.wrist + Vec2{arm.size, 0}, arm.size * 2.2f, Palette::Mist, 0.18f);
                DrawHand(pen, place, hand, arm.shade);
            }
            return cell;
        }

        // The walking blob, facing left. Its body centre sits at x 320 of the 512 cell and
        // its base at y 452 (the quad's offset puts the collision box there).
        Canvas BlobCell(int aFrame, int aCellSize)
        {
            Canvas art(aCellSize, aCellSize);
            const float pixels = float(aCellSize) / 512.0f;
            Pen pen(art, Affine::Scale(pixels, pixels));
            const float phase = 2.0f * Pi * float(aFrame) / 16.0f;
            const float base = 452.0f;
            const float stretch = std::sin(phase);          // + reaching forward
            const float width = 300.0f + 40.0f * stretch;
            const float height = 150.0f - 22.0f * stretch;
            const float centreX = 320.0f - 12.0f * stretch;

            // Little feet shuffling underneath, a pair per step.
            for (int leg = 0; leg < 5; ++leg)
            {
                const float legPhase = phase + float(leg) * 1.3f;
                const float x = centreX - width * 0.38f + float(leg) * width * 0.19f + 10.0f * std::cos(legPhase);
                const float lift = std::max(0.0f, std::sin(legPhase)) * 10.0f;
                pen.Limb({{x + 6.0f, base - 30.0f}, {x - 4.0f, base - 4.0f - lift}}, 14.0f, 10.0f, Palette::Shadow, theHandRim);
            }

            // The body: a drooping dome, heavier at the back, with a ridge of dark spines.
            std::vector<Vec2> outline;
            for (int i = 0; i <= 40; ++i)
            {
                const float t = float(i) / 40.0f;          // 0 front (left) .. 1 back
                const float x = centreX - width * 0.5f + width * t;
                const float hump = std::pow(std::max(std::sin(t * Pi), 0.0f), 0.8f) * (0.75f + 0.35f * t);
                const float wobble = 6.0f * std::sin(t * 9.0f + phase * 2.0f);
                outline.push_back({x, base - 18.0f - height * hump - wobble * hump});
            }
            outline.push_back({centreX + width * 0.5f, base - 10.0f});
            outline.push_back({centreX - width * 0.5f, base - 10.0f});
            const Vec2 middle{centreX + 20.0f, base - height * 0.55f};
            pen.Toned(Path().AddPolygon(outline), middle, height * 1.1f, Palette::Shadow, Palette::ShadowMid, Palette::ShadowLight, theHandRim);
            for (int s = 0; s < 7; ++s)
            {
                const float t = 0.3f + float(s) * 0.1f;
                const Vec2 root = outline[size_t(t * 40.0f)];
                const float tilt = 0.5f + 0.2f * std::sin(phase + float(s));
                pen.Limb({root + Vec2{0, 6}, root + FromAngle(-Pi * 0.5f + tilt, 30.0f + 8.0f * float(s % 2))}, 10.0f, 2.0f,
                         Palette::ShadowMid, theHandRim * 0.8f);
            }
            // Glossy highlight and ember freckles.
            pen.Shape(Path().AddEllipse(middle + Vec2{10, -height * 0.3f}, width * 0.18f, 9.0f, -0.15f),
                      WithAlpha(Palette::MistLight, 0.35f), 0.0f);
            for (int f = 0; f < 5; ++f)
            {
                const Vec2 spot = middle + Vec2{-40.0f + float(f) * 28.0f, -10.0f + 12.0f * float(f % 2)};
                pen.Glow(spot, 10.0f, Palette::EmberDeep, 0.25f);
            }
            // Two glowing eyes at the front, bobbing as it crawls.
            const Vec2 eyes = {centreX - width * 0.33f, base - height * 0.62f + 5.0f * std::cos(phase)};
            for (const Vec2& offset : {Vec2{0, 0}, Vec2{34, -6}})
            {
                const Vec2 eye = eyes + offset;
                pen.Glow(eye, 30.0f, Palette::Ember, 0.45f);
                pen.Shape(Path().AddEllipse(eye, 12.0f, 15.0f, -0.2f),
                          pen.Radial(eye + Vec2{-3, -4}, 16.0f, {{0.0f, Palette::Glow}, {0.4f, Palette::EmberLight}, {1.0f, Palette::EmberDeep}}),
                          theHandRim * 0.8f);
                pen.Shape(Path().AddEllipse(eye + Vec2{-3, 1}, 4.0f, 8.0f, 0.0f), Palette::Ink, 0.0f);
            }
            // A mouth line that opens on the reach.
            const Vec2 mouth = eyes + Vec2{6.0f, 34.0f};
            pen.Line({mouth + Vec2{-22, 0}, mouth + Vec2{0, 4.0f + 6.0f * std::max(0.0f, stretch)}, mouth + Vec2{22, -2}}, 4.0f, Palette::Ink);

            Canvas cell(aCellSize, aCellSize);
            cell.Blit(art.Outlined(1.5f * pixels * 2.0f, Palette::Ink), 0, 0);
            return cell;
        }

        void WriteSheet(Output& anOutput, const SheetLayout& aLayout, const std::function<Canvas(int)>& aFrame)
        {
            SpriteSheet sheet(aLayout.columns, aLayout.rows, aLayout.cellSize, aLayout.cellSize);
            for (int i = 0; i < sheet.Cells(); ++i)
                sheet.Place(i, aFrame(i));
            anOutput.Texture(aLayout.texture, sheet.Image());
        }
    }

    void WriteEnemyArt(Output& anOutput)
    {
        using namespace Sheets;
        WriteSheet(anOutput, HandsIdle, [](int i) { return RisingHands(i, HandsIdle.cellSize, false); });
        WriteSheet(anOutput, HandsDangling, [](int i) { return RisingHands(i, HandsDangling.cellSize, true); });
        WriteSheet(anOutput, ChasingHands, [](int i) { return ChasingHandsCell(i, ChasingHands.cellSize); });
        WriteSheet(anOutput, PassiveEnemy, [](int i) { return BlobCell(i, PassiveEnemy.cellSize); });
    }
}
