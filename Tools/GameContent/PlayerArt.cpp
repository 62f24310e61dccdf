// The hero: a small fuzzy moth on two legs, facing right, drawn as a puppet whose pose each
// frame sets. Design units are world units: the cell is the 150 x 150 quad, the feet stand
// at y 147.5 and the collision box (80 x 100) spans x 35..115, y 47.5..147.5.
#include "Drawing.h"
#include "Layouts.h"

#include "ContentKit/SpriteSheet.h"

#include <cmath>

namespace GameContent
{
    namespace
    {
        constexpr float theCell = 150.0f;
        constexpr float theGround = 147.0f;
        constexpr float theThigh = 15.5f;
        constexpr float theShin = 16.5f;
        constexpr float theRim = 1.3f;   // ink outline, design units

        struct MothPose
        {
            Vec2 root{75.0f, 117.0f};   // hips
            float lean = 0.0f;          // radians, + leans forward
            float squash = 1.0f;        // body height factor (width follows inversely)
            Vec2 frontFoot{82.0f, theGround};
            Vec2 backFoot{67.0f, theGround};
            float frontArm = 0.3f;      // radians from hanging down, + forward
            float backArm = -0.2f;
            float wingOpen = 0.0f;      // radians, + raises the wings
            float hindWingOpen = 0.0f;
            float antennaSwing = 0.0f;  // radians, + tips forward
            float headTilt = 0.0f;
            float eyeOpen = 1.0f;       // 0 closed
            float aura = 0.0f;          // upgrade glow, 0..1
            float streak = 0.0f;        // dash speed lines, 0..1
            bool tuckLegs = false;
        };

        // The body's frame: root, lean and squash applied to a body-relative point.
        struct BodyFrame
        {
            Vec2 root;
            float lean;
            float squash;

            Vec2 operator()(Vec2 aLocal) const
            {
                const float widen = 1.0f / std::sqrt(squash);
                return root + Rotated({aLocal.x * widen, aLocal.y * squash}, lean);
            }
        };

        Path Blob(const BodyFrame& aFrame, std::vector<Vec2> someLocal)
        {
            for (Vec2& p : someLocal)
                p = aFrame(p);
            Path path;
            std::vector<Vec2> closed = someLocal;
            closed.push_back(someLocal[0]);
            closed.push_back(someLocal[1]);
            std::vector<Vec2> smooth = SmoothCurve(closed, 6);
            // Drop the wrap-around span the extra points produced.
            smooth.resize(smooth.size() - 7);
            path.AddPolygon(smooth);
            return path;
        }

        Path EllipseAt(const BodyFrame& aFrame, Vec2 aLocal, float rx, float ry, float anAngle = 0.0f)
        {
            const float widen = 1.0f / std::sqrt(aFrame.squash);
            return Path().AddEllipse(aFrame(aLocal), rx * widen, ry * aFrame.squash, anAngle + aFrame.lean);
        }

        void DrawWing(Pen& aPen, const BodyFrame& aFrame, Vec2 aBase, float anOpen, float aHindOpen, bool aFar)
        {
            const Color dark = aFar ? Darken(Palette::WingDark, 0.35f) : Palette::WingDark;
            const Color mid = aFar ? Darken(Palette::Wing, 0.35f) : Palette::Wing;
            const Color light = aFar ? Darken(Palette::WingLight, 0.3f) : Palette::WingLight;
            const Vec2 base = aFrame(aBase);
            const float lean = aFrame.lean;
            const auto place = [&](std::vector<Vec2> somePoints, float anAngle) {
                for (Vec2& p : somePoints)
                    p = base + Rotated(p * 0.82f, lean + anAngle);
                return somePoints;
            };
            // Hind wing: rounder, lower.
            const std::vector<Vec2> hind = place({{0, 2}, {-10, 8}, {-24, 16}, {-32, 26}, {-25, 32}, {-13, 27}, {-3, 13}}, aHindOpen);
            Path hindPath;
            hindPath.AddPolygon(SmoothCurve(hind, 5));
            aPen.Toned(hindPath, base + Rotated(Vec2{-16, 18} * 0.82f, lean + aHindOpen), 20, dark, mid, light, theRim);
            // Fore wing: long, with a pale leading edge and an ember eye spot.
            const std::vector<Vec2> fore =
                place({{0, 0}, {-8, -12}, {-22, -28}, {-38, -36}, {-49, -31}, {-48, -18}, {-38, -5}, {-22, 3}, {-7, 5}}, anOpen);
            Path forePath;
            forePath.AddPolygon(SmoothCurve(fore, 5));
            aPen.Toned(forePath, base + Rotated(Vec2{-24, -14} * 0.82f, lean + anOpen), 24, dark, mid, light, theRim);
            const std::vector<Vec2> band = place({{-6, -6}, {-20, -22}, {-36, -31}, {-45, -28}}, anOpen);
            aPen.Line(SmoothCurve(band, 4), 3.0f, WithAlpha(Palette::FluffLight, aFar ? 0.25f : 0.5f));
            const Vec2 spot = base + Rotated(Vec2{-33, -17} * 0.82f, lean + anOpen);
            aPen.Shape(Path().AddCircle(spot, 5.0f), WithAlpha(Palette::Ember, aFar ? 0.5f : 1.0f), 0.0f);
            aPen.Shape(Path().AddCircle(spot, 2.6f), aFar ? Darken(Palette::Ink, 0.0f) : Palette::Ink, 0.0f);
            aPen.Shape(Path().AddCircle(spot + Vec2{-0.8f, -0.8f}, 1.1f), WithAlpha(Palette::Glow, aFar ? 0.5f : 1.0f), 0.0f);
        }

        void DrawAntenna(Pen& aPen, Vec2 aBase, float aSwing, float aLength, float aBaseAngle, bool aFar)
        {
            // A feathered antenna: a curved shaft with barbs that shorten towards the tip.
            std::vector<Vec2> shaft;
            for (int i = 0; i <= 10; ++i)
            {
                const float t = float(i) / 10.0f;
                const float angle = aBaseAngle + (0.55f * t + aSwing * t * t);
                shaft.push_back(aBase + FromAngle(angle, aLength * t) + Vec2{-6.0f * t * t, 0.0f});
            }
            const Color shaftColor = aFar ? Darken(Palette::FluffDark, 0.4f) : Palette::Fluff;
            for (size_t i = 2; i + 1 < shaft.size(); ++i)
            {
                const float t = float(i) / float(shaft.size() - 1);
                const Vec2 along = Normalized(shaft[i + 1] - shaft[i - 1]);
                const float barb = 6.5f * std::sin(t * Pi);
                for (const float side : {-1.0f, 1.0f})
                {
                    const Vec2 tip = shaft[i] + (Perpendicular(along) * side + along * 0.6f) * barb;
                    aPen.Line({shaft[i], tip}, 1.5f, shaftColor);
                }
            }
            aPen.Limb(shaft, 2.6f, 1.4f, aFar ? Darken(Palette::FluffDark, 0.45f) : Palette::FluffDark, 0.6f);
        }

        void DrawLeg(Pen& aPen, Vec2 aHip, Vec2 aFoot, bool aFar)
        {
            const Vec2 knee = SolveKnee(aHip, aFoot, theThigh, theShin, 1.0f);
            const Color leg = aFar ? Darken(Palette::BodyDark, 0.35f) : Palette::BodyDark;
            aPen.Limb({aHip, knee, aFoot}, 7.5f, 4.5f, leg, theRim);
            // A little boot of fluff at the foot, pointing forward.
            aPen.Shape(Path().AddEllipse(aFoot + Vec2{3.0f, -1.5f}, 6.0f, 3.2f, 0.0f),
                       aFar ? Darken(Palette::FluffDark, 0.35f) : Palette::FluffDark, theRim);
        }

        void DrawArm(Pen& aPen, const BodyFrame& aFrame, float anAngle, bool aFar)
        {
            const Vec2 shoulder = aFrame({7.0f, -25.0f});
            const Vec2 elbow = shoulder + FromAngle(Pi * 0.5f - anAngle * 0.7f, 9.0f);
            const Vec2 hand = elbow + FromAngle(Pi * 0.5f - anAngle * 1.2f, 9.0f);
            const Color arm = aFar ? Darken(Palette::BodyDark, 0.35f) : Palette::Body;
            aPen.Limb({shoulder, elbow, hand}, 6.0f, 4.5f, arm, theRim);
            aPen.Shape(Path().AddCircle(hand, 3.2f), aFar ? Darken(Palette::FluffDark, 0.35f) : Palette::Fluff, theRim * 0.8f);
        }

        void DrawMoth(Canvas& aCell, const MothPose& aPose)
        {
            const float pixels = float(aCell.Width()) / theCell;
            Canvas art(aCell.Width(), aCell.Height());
            Pen pen(art, Affine::Scale(pixels, pixels));
            const BodyFrame body{aPose.root, aPose.lean, aPose.squash};

            if (aPose.aura > 0.0f)
            {
                pen.Glow(body({6, -40}), 70.0f, Palette::Ember, 0.55f * aPose.aura);
                pen.Glow(body({6, -40}), 40.0f, Palette::EmberLight, 0.6f * aPose.aura);
            }
            if (aPose.streak > 0.0f)
            {
                for (int i = 0; i < 4; ++i)
                {
                    const float y = aPose.root.y - 62.0f + float(i) * 17.0f;
                    const float length = (28.0f + 10.0f * float(i % 2)) * aPose.streak;
                    pen.Limb({{30.0f - length, y}, {40.0f, y}}, 0.5f, 3.0f, WithAlpha(Palette::EmberLight, 0.75f * aPose.streak), 0.0f);
                }
            }

            // Far side first.
            const Vec2 antennaBase = body({9.0f, -71.0f});
            DrawAntenna(pen, antennaBase + Vec2{-4, 1}, aPose.antennaSwing * 0.8f, 34.0f, -Pi * 0.5f - 0.95f + aPose.lean, true);
            DrawWing(pen, body, {-12.0f, -33.0f}, aPose.wingOpen + 0.25f, aPose.hindWingOpen + 0.15f, true);
            DrawArm(pen, body, aPose.backArm, true);
            const Vec2 hips = body({0, 0});
            DrawLeg(pen, hips + Vec2{-5.0f, 0.0f}, aPose.backFoot, true);

            // Torso: a round fuzzy body, darker underneath.
            const Path torso = Blob(body, {{-18, -14}, {-11, -34}, {5, -38}, {17, -26}, {17, -6}, {8, 5}, {-7, 5}, {-18, -2}});
            pen.Toned(torso, body({2, -18}), 26, Palette::BodyDark, Palette::Body, Palette::BodyLight, theRim);
            // Belly stripes.
            for (int i = 0; i < 3; ++i)
            {
                const float y = -12.0f + float(i) * 6.0f;
                pen.Line({body({-14, y - 3}), body({-2, y + 1}), body({12, y - 2})}, 1.6f, WithAlpha(Palette::BodyDark, 0.8f));
            }
            DrawLeg(pen, hips + Vec2{5.0f, 0.0f}, aPose.frontFoot, false);
            DrawWing(pen, body, {-10.0f, -34.0f}, aPose.wingOpen, aPose.hindWingOpen, false);

            // Fluffy collar: a ring of puffs between the body and the head.
            const Vec2 puffs[] = {{-6, -38}, {2, -43}, {11, -42}, {18, -36}, {21, -28}, {13, -31}, {4, -34}, {-4, -31}};
            std::vector<std::pair<Vec2, float>> collar;
            for (const Vec2& p : puffs)
                collar.push_back({body(p), 7.5f});
            pen.TonedPuffs(collar, body({8, -38}), 16, Palette::FluffDark, Palette::Fluff, Palette::FluffLight, theRim);

            // Head with a tuft, the near antenna and a big glowing eye.
            const Vec2 head = body({14.0f, -55.0f});
            const Affine tilt = Affine::RotateAround(head, aPose.headTilt);
            const Path headPath = Path().AddEllipse(head, 21.5f, 19.5f, aPose.lean * 0.5f).Transformed(tilt);
            pen.Toned(headPath, head, 19, Palette::BodyDark, Palette::Body, Palette::BodyLight, theRim);
            std::vector<std::pair<Vec2, float>> tuft;
            for (const auto& [offset, radius] : {std::pair{Vec2{-17, -6}, 7.0f}, std::pair{Vec2{-10, -14}, 7.5f},
                                                 std::pair{Vec2{-1, -18}, 6.5f}, std::pair{Vec2{-20, 4}, 6.0f}})
                tuft.push_back({tilt.Apply(head + offset), radius});
            pen.TonedPuffs(tuft, head + Vec2{-8, -10}, 14, Palette::FluffDark, Palette::Fluff, Palette::FluffLight, theRim);
            DrawAntenna(pen, tilt.Apply(antennaBase), aPose.antennaSwing, 38.0f, -Pi * 0.5f - 0.7f + aPose.lean + aPose.headTilt, false);

            const Vec2 eye = tilt.Apply(head + Vec2{9.5f, -1.0f});
            if (aPose.eyeOpen > 0.15f)
            {
                pen.Glow(eye, 16.0f, Palette::Ember, 0.35f + 0.4f * aPose.aura);
                const Path eyePath = Path().AddEllipse(eye, 8.5f, 10.0f * aPose.eyeOpen, 0.15f);
                pen.Shape(eyePath, pen.Radial(eye + Vec2{1.5f, -1.5f}, 9.0f, {{0.0f, Palette::Glow}, {0.35f, Palette::EmberLight}, {1.0f, Palette::EmberDeep}}),
                          theRim);
                pen.Shape(Path().AddCircle(eye + Vec2{2.6f, -3.6f * aPose.eyeOpen}, 2.6f), Palette::FluffLight, 0.0f);
                pen.Shape(Path().AddCircle(eye + Vec2{-2.8f, 3.2f * aPose.eyeOpen}, 1.2f), WithAlpha(Palette::FluffLight, 0.8f), 0.0f);
            }
            else
            {
                pen.Line({eye + Vec2{-6, 0}, eye + Vec2{0, 2}, eye + Vec2{6, 0}}, 2.0f, Palette::Ink);
            }
            // A small near-side cheek of fluff and the near arm on top.
            pen.Shape(EllipseAt(body, {20, -44}, 5.0f, 4.0f), Palette::FluffLight, 0.0f);
            DrawArm(pen, body, aPose.frontArm, false);

            aCell.Blit(art.Outlined(1.2f * pixels, Palette::Ink), 0, 0);
        }

        MothPose RunPose(int aFrame)
        {
            // 14 frames; the front foot lands on frame 0 and the back foot on frame 7.
            const float phase = 2.0f * Pi * float(aFrame) / 14.0f;
            MothPose pose;
            const float stride = 17.0f, lift = 13.0f;
            const auto foot = [&](float aPhase, float aHipX) {
                const float c = std::cos(aPhase), s = std::sin(aPhase);
                return Vec2{aHipX + stride * c + 6.0f, theGround - (s < 0.0f ? lift * -s : 0.0f)};
            };
            pose.root = {74.0f, 118.0f - 5.0f * std::abs(std::sin(phase))};
            pose.frontFoot = foot(phase, 74.0f);
            pose.backFoot = foot(phase + Pi, 70.0f);
            pose.lean = 0.2f;
            pose.squash = 1.0f + 0.04f * std::cos(2.0f * phase);
            pose.frontArm = -0.8f * std::cos(phase);
            pose.backArm = 0.8f * std::cos(phase);
            pose.wingOpen = 0.15f + 0.1f * std::sin(2.0f * phase);
            pose.hindWingOpen = 0.1f + 0.08f * std::sin(2.0f * phase + 0.6f);
            pose.antennaSwing = -0.35f - 0.15f * std::sin(2.0f * phase - 0.8f);
            pose.headTilt = 0.05f * std::sin(2.0f * phase);
            return pose;
        }

        MothPose IdlePose(int aFrame)
        {
            const float phase = 2.0f * Pi * float(aFrame) / 8.0f;
            MothPose pose;
            pose.squash = 1.0f + 0.035f * std::sin(phase);
            pose.root.y = 117.0f + 1.0f * std::sin(phase);
            pose.wingOpen = 0.12f + 0.12f * std::sin(phase);
            pose.hindWingOpen = 0.08f + 0.08f * std::sin(phase - 0.5f);
            pose.antennaSwing = 0.12f * std::sin(phase - 1.0f);
            pose.frontArm = 0.25f + 0.08f * std::sin(phase);
            pose.backArm = -0.15f;
            pose.eyeOpen = aFrame == 5 ? 0.1f : (aFrame == 4 || aFrame == 6 ? 0.55f : 1.0f);
            return pose;
        }

        MothPose JumpStartPose(int aFrame)
        {
            MothPose pose;
            switch (aFrame)
            {
            case 0:   // crouch
                pose.root = {74, 124};
                pose.squash = 0.86f;
                pose.frontFoot = {84, theGround};
                pose.backFoot = {64, theGround};
                pose.wingOpen = -0.1f;
                pose.antennaSwing = 0.3f;
                pose.frontArm = -0.6f;
                pose.backArm = -0.8f;
                break;
            case 1:   // push off
                pose.root = {75, 110};
                pose.squash = 1.1f;
                pose.frontFoot = {80, 140};
                pose.backFoot = {70, 143};
                pose.wingOpen = 0.6f;
                pose.hindWingOpen = 0.4f;
                pose.antennaSwing = -0.3f;
                pose.frontArm = 1.6f;
                pose.backArm = 1.3f;
                break;
            default:   // rising, wings up
                pose.root = {75, 105.0f - float(aFrame - 2) * 3.0f};
                pose.squash = 1.08f;
                pose.frontFoot = {80, 133.0f - float(aFrame - 2) * 3.0f};
                pose.backFoot = {68, 136.0f - float(aFrame - 2) * 3.0f};
                pose.wingOpen = aFrame == 2 ? 0.9f : 0.3f;
                pose.hindWingOpen = aFrame == 2 ? 0.6f : 0.2f;
                pose.antennaSwing = -0.4f;
                pose.frontArm = 1.2f;
                pose.backArm = 1.0f;
                break;
            }
            return pose;
        }

        MothPose JumpIdlePose(int aFrame)
        {
            // Falling: legs loose below, the wings beating slowly to glide.
            const float phase = 2.0f * Pi * float(aFrame) / 4.0f;
            MothPose pose;
            pose.root = {75, 108};
            pose.frontFoot = {84, 136};
            pose.backFoot = {66, 138};
            pose.wingOpen = 0.45f + 0.45f * std::sin(phase);
            pose.hindWingOpen = 0.3f + 0.3f * std::sin(phase - 0.4f);
            pose.antennaSwing = 0.25f + 0.1f * std::sin(phase);
            pose.frontArm = 1.0f + 0.2f * std::sin(phase);
            pose.backArm = 0.8f + 0.2f * std::sin(phase);
            pose.lean = 0.05f;
            return pose;
        }

        MothPose JumpEndPose(int aFrame)
        {
            MothPose pose;
            const float squash[] = {1.04f, 0.82f, 0.93f, 1.0f};
            const float rootY[] = {114.0f, 127.0f, 121.0f, 117.0f};
            pose.squash = squash[aFrame];
            pose.root = {75, rootY[aFrame]};
            pose.frontFoot = {85, theGround};
            pose.backFoot = {64, theGround};
            pose.wingOpen = aFrame == 0 ? 0.5f : (aFrame == 1 ? -0.15f : 0.05f);
            pose.antennaSwing = aFrame == 1 ? 0.45f : (aFrame == 2 ? -0.15f : 0.0f);
            pose.frontArm = aFrame == 1 ? -0.4f : 0.2f;
            pose.backArm = aFrame == 1 ? -0.7f : -0.2f;
            return pose;
        }

        MothPose DoubleJumpPose(int aFrame)
        {
            // One great wing beat: wings flung up, then driven down while the legs tuck.
            const float open[] = {1.25f, 1.35f, 0.6f, -0.25f, 0.1f, 0.4f};
            MothPose pose;
            pose.root = {75, 106};
            pose.lean = -0.05f;
            pose.wingOpen = open[aFrame];
            pose.hindWingOpen = open[aFrame] * 0.7f;
            pose.frontFoot = {86, aFrame >= 2 && aFrame <= 4 ? 128.0f : 134.0f};
            pose.backFoot = {70, aFrame >= 2 && aFrame <= 4 ? 130.0f : 137.0f};
            pose.antennaSwing = aFrame <= 1 ? -0.4f : 0.35f;
            pose.frontArm = aFrame <= 1 ? 2.2f : 0.6f;
            pose.backArm = aFrame <= 1 ? 2.0f : 0.3f;
            pose.squash = aFrame == 3 ? 0.92f : 1.05f;
            pose.aura = aFrame == 2 ? 0.35f : (aFrame == 3 ? 0.2f : 0.0f);
            return pose;
        }

        MothPose DashPose(int aFrame)
        {
            // A low forward lunge: wings swept flat behind, legs trailing, speed lines.
            MothPose pose;
            const float lean[] = {0.25f, 0.75f, 0.8f, 0.8f, 0.7f, 0.4f};
            pose.lean = lean[aFrame];
            pose.root = {70, 116};
            pose.frontFoot = {78, 144};
            pose.backFoot = aFrame == 0 ? Vec2{60, theGround} : Vec2{46, 138};
            // Wing angles are relative to the body, so cancel the lean to sweep them back flat.
            pose.wingOpen = aFrame == 0 ? 0.1f : -pose.lean - 0.35f;
            pose.hindWingOpen = aFrame == 0 ? 0.05f : -pose.lean - 0.15f;
            pose.antennaSwing = aFrame == 0 ? 0.0f : -0.9f;
            pose.frontArm = aFrame == 0 ? -0.5f : -1.3f;
            pose.backArm = aFrame == 0 ? -0.7f : -1.5f;
            pose.squash = aFrame == 0 ? 0.92f : 0.95f;
            pose.streak = aFrame == 0 ? 0.0f : (aFrame == 5 ? 0.4f : 1.0f);
            return pose;
        }

        MothPose UpgradePose(int aFrame)
        {
            // Rises on tiptoe, wings spread wide, glowing brighter then settling.
            const float t = float(aFrame) / 11.0f;
            MothPose pose;
            const float rise = std::sin(t * Pi);
            pose.root = {75, 117.0f - 6.0f * rise};
            pose.frontFoot = {82, theGround - 2.0f * rise};
            pose.backFoot = {67, theGround};
            pose.wingOpen = 0.2f + 1.0f * rise + 0.12f * std::sin(float(aFrame) * 1.7f);
            pose.hindWingOpen = 0.1f + 0.7f * rise;
            pose.frontArm = 0.3f + 2.2f * rise;
            pose.backArm = 0.1f + 2.0f * rise;
            pose.antennaSwing = -0.3f * rise;
            pose.aura = 0.25f + 0.75f * rise;
            pose.squash = 1.0f + 0.05f * rise;
            pose.headTilt = -0.15f * rise;
            return pose;
        }
    }

    void WritePlayerArt(Output& anOutput)
    {
        using namespace Sheets;
        SpriteSheet sheet(Moth.columns, Moth.rows, Moth.cellSize, Moth.cellSize);
        const auto draw = [&](int aCell, const MothPose& aPose) {
            Canvas cell = sheet.NewCell();
            DrawMoth(cell, aPose);
            sheet.Place(aCell, cell);
        };
        for (int i = RunStart; i <= RunEnd; ++i)
            draw(i, RunPose(i - RunStart));
        for (int i = IdleStart; i <= IdleEnd; ++i)
            draw(i, IdlePose(i - IdleStart));
        for (int i = JumpStartStart; i <= JumpStartEnd; ++i)
            draw(i, JumpStartPose(i - JumpStartStart));
        for (int i = JumpIdleStart; i <= JumpIdleEnd; ++i)
            draw(i, JumpIdlePose(i - JumpIdleStart));
        for (int i = JumpEndStart; i <= JumpEndEnd; ++i)
            draw(i, JumpEndPose(i - JumpEndStart));
        for (int i = DoubleJumpStart; i <= DoubleJumpEnd; ++i)
            draw(i, DoubleJumpPose(i - DoubleJumpStart));
        for (int i = DashStart; i <= DashEnd; ++i)
            draw(i, DashPose(i - DashStart));
        for (int i = UpgradeStart; i <= UpgradeEnd; ++i)
            draw(i, UpgradePose(i - UpgradeStart));
        anOutput.Texture(Moth.texture, sheet.Image());
    }
}
