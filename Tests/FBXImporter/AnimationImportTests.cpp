#include "ImporterTestSupport.h"

#include <cmath>
#include <numbers>

using namespace KILNFBXImporter;
using namespace KilnTest;

namespace
{
    constexpr double Pi = std::numbers::pi;

    // The row-vector matrix of a rotation about Z by aDegrees and a translation.
    FBXMatrix ZRotationAt(double aDegrees, double x, double y)
    {
        const double r = aDegrees * Pi / 180.0;
        FBXMatrix m;
        m(0, 0) = static_cast<float>(std::cos(r));
        m(0, 1) = static_cast<float>(std::sin(r));
        m(1, 0) = static_cast<float>(-std::sin(r));
        m(1, 1) = static_cast<float>(std::cos(r));
        m(3, 0) = static_cast<float>(x);
        m(3, 1) = static_cast<float>(y);
        return m;
    }

    void ExpectMatrixNear(const FBXMatrix& anActual, const FBXMatrix& anExpected, const std::string& aWhat)
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(anActual(r, c), anExpected(r, c), 2e-4f) << aWhat << " (" << r << ", " << c << ")";
    }

    FBXAnimation LoadClip(const std::filesystem::path& aPath)
    {
        FBXAnimation clip;
        EXPECT_TRUE(LoadAnimation(aPath.string(), clip)) << LastError;
        return clip;
    }
}

TEST_F(ImporterTest, AnimationIsSampledAtEveryFrameWithHandComputedMatrices)
{
    for (FbxForm form : AllFbxForms)
    {
        SCOPED_TRACE(FormName(form));
        const auto path = FixtureInForm("animated.fbx", form, myFolder);
        const FBXAnimation clip = LoadClip(path);
        EXPECT_EQ(clip.path, path.string());
        EXPECT_EQ(clip.frameCount, 31u); // 0 to 1 s at 30 fps, both ends
        ASSERT_EQ(clip.frames.size(), 31u);
        EXPECT_FLOAT_EQ(clip.framesPerSecond, 30.0f);
        EXPECT_DOUBLE_EQ(clip.duration, 1.0);
        EXPECT_EQ(clip.jointNames, (std::vector<std::string>{"Root", "Mid", "Tip"}));

        for (uint32_t f = 0; f < clip.frameCount; ++f)
        {
            const double t = f / 30.0;
            const double root = 90.0 * t;                      // linear keys
            const double mid = 30.0 * (3 * t * t - 2 * t * t * t); // cubic, flat tangents
            const double total = root + 15.0 + mid;            // Mid has a 15 degree pre-rotation
            const double r = root * Pi / 180.0, a = total * Pi / 180.0;
            const FBXAnimationFrame& frame = clip.frames[f];
            const std::string at = "frame " + std::to_string(f);

            ExpectMatrixNear(frame.localTransforms.at("Root"), ZRotationAt(root, 0, 0), at + " Root local");
            ExpectMatrixNear(frame.globalTransforms.at("Root"), ZRotationAt(root, 0, 0), at + " Root global");
            ExpectMatrixNear(frame.localTransforms.at("Mid"), ZRotationAt(15.0 + mid, 10, 0), at + " Mid local");
            const double midX = 10 * std::cos(r), midY = 10 * std::sin(r);
            ExpectMatrixNear(frame.globalTransforms.at("Mid"), ZRotationAt(total, midX, midY), at + " Mid global");
            ExpectMatrixNear(frame.localTransforms.at("Tip"), ZRotationAt(0, 10, 0), at + " Tip local");
            const double tipX = midX + 10 * std::cos(a), tipY = midY + 10 * std::sin(a);
            ExpectMatrixNear(frame.globalTransforms.at("Tip"), ZRotationAt(total, tipX, tipY), at + " Tip global");
            ExpectMatrixNear(frame.socketTransforms.at("hand_skt"),
                             ZRotationAt(total, tipX + 5 * std::cos(a), tipY + 5 * std::sin(a)), at + " socket");

            // The event's translation is (0, 1, 0) on frames 10 and 11 only.
            EXPECT_EQ(frame.triggeredEvents.count("step_evt"), (f == 10 || f == 11) ? 1u : 0u) << at;
        }
    }
}

TEST_F(ImporterTest, OnlyTheFirstStackIsSampled)
{
    // The second stack holds Root at 45 degrees; frame 0 of the first has it at 0.
    const FBXAnimation clip = LoadClip(FbxFixture("animated.fbx"));
    ASSERT_FALSE(clip.frames.empty());
    EXPECT_NEAR(clip.frames[0].localTransforms.at("Root")(0, 0), 1.0f, 1e-6f);
}

TEST_F(ImporterTest, SingleFrameSpanGivesOneFrameOfZeroDurationAndABackwardsSpanThrows)
{
    const std::string text = ReadWholeFile(FbxFixture("animated.fbx"));
    const FBXAnimation clip = LoadClip(WriteTextFile(myFolder, "one_frame.fbx", Replaced(text, "LocalTime: 0,46186158000", "LocalTime: 0,0")));
    EXPECT_EQ(clip.frameCount, 1u);
    EXPECT_EQ(clip.frames.size(), 1u);
    EXPECT_DOUBLE_EQ(clip.duration, 0.0);
    // A stack ending before it starts.
    const auto path = WriteTextFile(myFolder, "backwards.fbx", Replaced(text, "LocalTime: 0,46186158000", "LocalTime: 46186158000,0"));
    FBXAnimation backwards;
    EXPECT_THROW(LoadAnimation(path.string(), backwards), std::runtime_error);
}

TEST_F(ImporterTest, EventFiresOnTheSumOfItsTranslationNotItsLength)
{
    // A static X of -1: frames 10 and 11 hold (-1, 1, 0), whose sum is zero, so they do not
    // fire, while every other frame (-1, 0, 0) does.
    std::string text = ReadWholeFile(FbxFixture("animated.fbx"));
    text = Replaced(text, "\"Model::step_evt\", \"Null\" {\n\t\tVersion: 232\n\t\tProperties70:  {\n\t\t\tP: \"Lcl Translation\", \"Lcl Translation\", \"\", \"A\", 0.0",
                    "\"Model::step_evt\", \"Null\" {\n\t\tVersion: 232\n\t\tProperties70:  {\n\t\t\tP: \"Lcl Translation\", \"Lcl Translation\", \"\", \"A\", -1.0");
    const FBXAnimation clip = LoadClip(WriteTextFile(myFolder, "balanced.fbx", text));
    ASSERT_EQ(clip.frames.size(), 31u);
    for (uint32_t f = 0; f < 31; ++f)
        EXPECT_EQ(clip.frames[f].triggeredEvents.size(), (f == 10 || f == 11) ? 0u : 1u) << f;
}

TEST_F(ImporterTest, AnimationErrorsAfterImportAreThrown)
{
    FBXAnimation clip;
    const std::string cube = FbxFixture("cube.fbx").string();
    try
    {
        LoadAnimation(cube, clip);
        FAIL() << "expected a throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()), "The file [" + cube + "] has no skeleton!");
    }
    const std::string skinned = FbxFixture("skinned.fbx").string();
    try
    {
        FBXAnimation other;
        LoadAnimation(skinned, other);
        FAIL() << "expected a throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()), "The file [" + skinned + "] has no animation stack!");
    }
}
