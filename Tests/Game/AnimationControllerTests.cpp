// Sprite-sheet controllers: the library reading controller scenes, frame timing, loops,
// requested and waiting transitions, cells and aspect, and the content faults.
#include "GameContentFixture.h"

#include "AnimationController.h"
#include "AnimationLibrary.h"
#include "ContentError.h"
#include "SceneLoader.h"

#include <cstdlib>
#include <limits>
#include <set>
#include <utility>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// ASan keeps a heap of its own; GCC does not install the header that declares this.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

using GameTest::Block;
using GameTest::DefinitionProperty;
using GameTest::Sheet;

namespace
{
    // Bytes the heap holds for the program now.
    long long LiveHeapBytes()
    {
#if defined(__SANITIZE_ADDRESS__)
        return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
        return static_cast<long long>(mallinfo2().uordblks);
#endif
    }

    class ControllerTest : public GameTest::ContentTest
    {
    protected:
        ControllerTest() { WriteControllerDefinitions(); }

        // "Idle" (id 0, frames 0-7, loop) and "Jump" (id 1, frames 2-4, no loop), paths
        // Idle -> Jump and Jump -> Idle.
        AnimationController IdleAndJump(bool aJumpWaits = false)
        {
            const std::string path = MakeController("animations\\controllers\\T_Basic.ksc",
                                                    {{"Idle", 0, 10.0f, 0, 7, true, false, 0}, {"Jump", 1, 10.0f, 2, 4, false, aJumpWaits, 0}},
                                                    {{0, 1}, {1, 0}});
            AnimationController controller;
            controller.Init(path);
            controller.SetState("Idle");
            return controller;
        }
    };
}

TEST_F(ControllerTest, TheLibraryReadsBlocksPathsAndSheetsByPath)
{
    const std::string path = MakeController("animations\\controllers\\T_Player.ksc",
                                            {{"Idle", 3, 12.0f, 0, 3, true, false, 0},
                                             {"Run", 4, 24.0f, 4, 9, true, false, 1},
                                             {"Land", 5, 30.0f, 10, 12, false, true, 1}},
                                            {{3, 4}, {3, 5}, {4, 3}}, {{0, 4, 4, "a.dds"}, {1, 2, 3, "b.dds"}});
    WriteObject(path, 99, "Stray", "KOB_Something"); // other definitions are ignored
    const AnimationControllerData* data = AnimationLibrary::GetInstance()->FindData(path);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->myAnimations.size(), 3u);

    const AnimationController::Animation& run = data->myAnimations.at("Run");
    EXPECT_EQ(run.myName, "Run");
    EXPECT_EQ(run.myId, 4);
    EXPECT_FLOAT_EQ(run.myFramesPerSecond, 24.0f);
    EXPECT_EQ(run.myStartFrame, 4);
    EXPECT_EQ(run.myEndFrame, 9);
    EXPECT_TRUE(run.myLoop);
    EXPECT_FALSE(run.myWaitTransition);
    EXPECT_EQ(run.mySheetId, 1);
    EXPECT_TRUE(data->myAnimations.at("Land").myWaitTransition);
    // In the order the paths are met (the scene's object order, which is not promised).
    const std::vector<std::string>& fromIdle = data->myAnimations.at("Idle").myTransitions;
    EXPECT_EQ(std::set<std::string>(fromIdle.begin(), fromIdle.end()), (std::set<std::string>{"Run", "Land"}));
    EXPECT_EQ(fromIdle.size(), 2u);
    EXPECT_EQ(data->myAnimations.at("Run").myTransitions, (std::vector<std::string>{"Idle"}));

    ASSERT_EQ(data->myGrids.size(), 2u);
    EXPECT_EQ(data->myGrids.at(0), std::make_pair(4, 4));
    EXPECT_EQ(data->myGrids.at(1), std::make_pair(2, 3));
    EXPECT_EQ(data->mySheets.size(), 2u);
    EXPECT_EQ(AnimationLibrary::GetInstance()->FindData("animations\\controllers\\t_player.ksc"), nullptr) << "keys are exact text";
}

TEST_F(ControllerTest, OfBlocksOrSheetsSharingAnIdTheFirstTheSceneDeliversKeepsIt)
{
    const std::string path = MakeController("animations\\controllers\\T_Twins.ksc",
                                            {{"A", 7, 10.0f, 0, 1, true, false, 0}, {"B", 7, 10.0f, 2, 3, true, false, 0}, {"C", 8}},
                                            {{7, 8}}, {{0, 4, 4, "a.dds"}, {0, 2, 3, "b.dds"}});
    // The scene's order is not promised: ask the loader which came first.
    std::string firstBlock;
    int firstColumns = 0;
    for (const CustomSceneObject& record : SceneLoader(path.c_str()).LoadAll())
    {
        if (firstBlock.empty() && (record.myName == "A" || record.myName == "B"))
            firstBlock = record.myName;
        if (firstColumns == 0 && record.Has("2. Columns"))
            firstColumns = record.Get<int32_t>("2. Columns");
    }
    const AnimationControllerData& data = *AnimationLibrary::GetInstance()->FindData(path);
    const std::string second = firstBlock == "A" ? "B" : "A";
    EXPECT_EQ(data.myAnimations.at(firstBlock).myTransitions, (std::vector<std::string>{"C"}));
    EXPECT_TRUE(data.myAnimations.at(second).myTransitions.empty()) << second;
    ASSERT_EQ(data.myGrids.size(), 1u);
    EXPECT_EQ(data.myGrids.at(0), firstColumns == 4 ? std::make_pair(4, 4) : std::make_pair(2, 3));
    EXPECT_EQ(data.mySheets.size(), 1u);
}

TEST_F(ControllerTest, ALoopingStateAdvancesOneFrameEveryThirdUpdateAtTenFramesPerSecondAndWraps)
{
    AnimationController controller = IdleAndJump();
    EXPECT_EQ(controller.GetCurrentAnimationName(), "Idle");
    EXPECT_EQ(controller.GetCurrentFrame(), 0);
    EXPECT_FLOAT_EQ(controller.GetFrameTimer(), 1.0f);

    const float timers[] = {0.5f, 0.0f, -0.5f};
    for (float expected : timers)
    {
        controller.Update(0.05f);
        EXPECT_EQ(controller.GetCurrentFrame(), 0);
        EXPECT_NEAR(controller.GetFrameTimer(), expected, 1e-6f);
    }
    controller.Update(0.05f);
    EXPECT_EQ(controller.GetCurrentFrame(), 1) << "an update that advances a frame does not use its dt";
    EXPECT_NEAR(controller.GetFrameTimer(), 0.5f, 1e-6f);

    std::vector<int> frames;
    for (int update = 0; update < 3 * 7; ++update)
    {
        controller.Update(0.05f);
        frames.push_back(controller.GetCurrentFrame());
    }
    EXPECT_EQ(frames[2], 2);
    EXPECT_EQ(frames[5], 3);
    EXPECT_EQ(frames[17], 7);
    EXPECT_EQ(frames[20], 0) << "after the end frame comes the start frame";
}

TEST_F(ControllerTest, ANonLoopingStateStaysOnItsEndFrame)
{
    AnimationController controller = IdleAndJump();
    controller.SetState("Jump");
    EXPECT_EQ(controller.GetCurrentFrame(), 2);
    for (int update = 0; update < 30; ++update)
        controller.Update(0.1f);
    EXPECT_EQ(controller.GetCurrentFrame(), 4);

    // Frames at the top of the int range step and wrap without overflow.
    const int32_t top = std::numeric_limits<int32_t>::max();
    controller.GetAnimations().at("Idle").myStartFrame = top - 1;
    controller.GetAnimations().at("Idle").myEndFrame = controller.GetAnimations().at("Jump").myStartFrame = top;
    controller.GetAnimations().at("Jump").myEndFrame = top;
    controller.SetState("Jump");
    for (int update = 0; update < 30; ++update)
        controller.Update(0.1f);
    EXPECT_EQ(controller.GetCurrentFrame(), top);
    controller.SetState("Idle");
    std::set<int32_t> frames;
    for (int update = 0; update < 30; ++update, frames.insert(controller.GetCurrentFrame()))
        controller.Update(0.1f);
    EXPECT_EQ(frames, (std::set<int32_t>{top - 1, top}));
}

TEST_F(ControllerTest, RequestsNeedAPathAndTheFirstOfAFrameWins)
{
    const std::string path =
        MakeController("animations\\controllers\\T_Three.ksc",
                       {{"Idle", 0, 10.0f, 0, 1, true}, {"Run", 1, 10.0f, 2, 3, true}, {"Fall", 2, 10.0f, 4, 5, true}}, {{0, 1}, {1, 2}});
    AnimationController controller;
    controller.Init(path);
    controller.SetState("Idle");

    // No path Idle -> Fall: the request is dropped and the name returns to the current one.
    controller.SetNextState("Fall");
    EXPECT_EQ(controller.GetNextState(), "Fall");
    controller.Update(0.01f);
    EXPECT_EQ(controller.GetCurrentAnimationName(), "Idle");
    EXPECT_EQ(controller.GetNextState(), "Idle");

    // Two requests in one frame: only the first counts.
    controller.SetNextState("Run");
    controller.SetNextState("Fall");
    EXPECT_EQ(controller.GetNextState(), "Run");
    controller.Update(0.01f);
    EXPECT_EQ(controller.GetCurrentAnimationName(), "Run");
    EXPECT_EQ(controller.GetCurrentFrame(), 2);
    EXPECT_NEAR(controller.GetFrameTimer(), 1.0f - 0.01f * 10.0f, 1e-6f) << "the new state starts with a full frame";

    // SetState ignores the paths: Run -> Idle has none.
    controller.SetState("Idle");
    EXPECT_EQ(controller.GetCurrentAnimationName(), "Idle");
    EXPECT_EQ(controller.GetCurrentFrame(), 0);
}

TEST_F(ControllerTest, AWaitingStateChangesOnlyInTheUpdateThatFindsItOnItsEndFrame)
{
    AnimationController controller = IdleAndJump(true);
    controller.SetState("Jump"); // frames 2 to 4, waits
    controller.SetNextState("Idle");
    int updates = 0;
    while (controller.GetCurrentAnimationName() == "Jump" && updates < 100)
    {
        const int frameBefore = controller.GetCurrentFrame();
        controller.Update(0.05f);
        ++updates;
        if (controller.GetCurrentAnimationName() == "Jump")
        {
            EXPECT_LT(frameBefore, 4) << "still waiting on the end frame";
            controller.SetNextState("Idle"); // keeps asking, as the player does every frame
        }
        else
        {
            EXPECT_EQ(frameBefore, 4);
        }
    }
    EXPECT_EQ(controller.GetCurrentAnimationName(), "Idle");
    // Three updates count the first frame down, two frames take three more each, and
    // the next update finds the end frame.
    EXPECT_EQ(updates, 8);
    EXPECT_EQ(controller.GetCurrentFrame(), 0) << "switched before that update's frame step";
    EXPECT_NEAR(controller.GetFrameTimer(), 0.5f, 1e-6f);
}

TEST_F(ControllerTest, CellsAreBuiltRowByRowAndTheLastSheetSetsTheAspect)
{
    const std::string two = MakeController("animations\\controllers\\T_TwoSheets.ksc", {{"Idle", 0, 10.0f, 5, 6, true, false, 0}}, {},
                                           {{0, 4, 2, "a.dds"}, {1, 2, 2, "b.dds"}});
    AnimationController controller;
    controller.Init(two);
    ASSERT_NE(controller.GetCells(0), nullptr);
    ASSERT_NE(controller.GetCells(1), nullptr);
    EXPECT_EQ(controller.GetCells(0)->size(), 8u);
    EXPECT_EQ(controller.GetCells(1)->size(), 4u);
    EXPECT_EQ(controller.GetAspectScale(), Kiln::Vector3<float>(1, 1, 1));

    controller.SetState("Idle"); // frame 5 of sheet 0: row 1, column 1
    Kiln::Sprite2DInstanceData particle;
    controller.ApplyToParticleInstance(particle);
    EXPECT_EQ(particle.myCustomData, Kiln::Vector4<float>(0.25f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(particle.myTextureRect, Kiln::Vector4<float>(0, 0, 1, 1)) << "the texture rectangle is not touched";
    Kiln::Sprite3DInstanceData sprite;
    controller.ApplyToSpriteInstance(sprite);
    EXPECT_EQ(sprite.myCustomData, particle.myCustomData);

    const std::string one = MakeController("animations\\controllers\\T_OneSheet.ksc", {{"Idle", 0, 10.0f, 0, 1, true}}, {}, {{0, 4, 2}});
    AnimationController tall;
    tall.Init(one);
    EXPECT_EQ(tall.GetAspectScale(), Kiln::Vector3<float>(1, 2, 1));
    Kiln::Sprite2DInstanceData instance;
    tall.ApplyAspectToInstance(instance);
    EXPECT_EQ(instance.mySizeMultiplier, Kiln::Vector2<float>(1, 2));
    Kiln::Matrix4x4<float> m(std::array<float, 16>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    tall.ApplyAspectToMatrix(m);
    EXPECT_EQ(m, Kiln::Matrix4x4<float>(std::array<float, 16>{1, 2, 3, 4, 10, 12, 14, 16, 9, 10, 11, 12, 13, 14, 15, 16}));
}

TEST_F(ControllerTest, CopiesOwnTheirStatesAndShareTheSheets)
{
    AnimationController original = IdleAndJump();
    original.Update(0.05f);
    AnimationController copy = original;
    EXPECT_EQ(copy.GetCurrentAnimationName(), "Idle");
    EXPECT_NE(copy.GetCurrentAnimation(), original.GetCurrentAnimation());
    EXPECT_EQ(copy.GetCurrentAnimation(), &copy.GetAnimations().at("Idle"));
    EXPECT_EQ(&copy.GetCurrentTexture(), &original.GetCurrentTexture());
    EXPECT_FLOAT_EQ(copy.GetFrameTimer(), original.GetFrameTimer());

    copy.GetAnimations().at("Idle").myEndFrame = 1;
    EXPECT_EQ(original.GetAnimations().at("Idle").myEndFrame, 7);

    AnimationController assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetCurrentAnimation(), &assigned.GetAnimations().at("Idle"));
    EXPECT_EQ(assigned.GetAnimations().at("Idle").myEndFrame, 1);
}

TEST_F(ControllerTest, RandomFramesCoverTheCurrentStateInclusive)
{
    AnimationController controller = IdleAndJump();
    controller.SetState("Jump"); // 2 to 4
    std::set<int> seen;
    for (int draw = 0; draw < 200; ++draw)
    {
        controller.RandomizeFrame();
        seen.insert(controller.GetCurrentFrame());
    }
    EXPECT_EQ(seen, (std::set<int>{2, 3, 4}));
}

TEST_F(ControllerTest, TheCurrentTextureIsTheCurrentSheetsSharedData)
{
    const std::string path = MakeController("animations\\controllers\\T_Texture.ksc", {{"Idle", 0, 10.0f, 0, 1, true, false, 0},
                                                                                      {"Other", 1, 10.0f, 0, 1, true, false, 0}},
                                            {});
    AnimationController controller;
    controller.Init(path);
    controller.SetState("Idle");
    const AnimationControllerData* data = AnimationLibrary::GetInstance()->FindData(path);
    EXPECT_EQ(&controller.GetCurrentTexture(), &data->mySheets.at(0));
    // A state edited to a sheet the scene lacks shows an empty sheet and leaves the shared map alone.
    controller.GetAnimations().at("Other").mySheetId = 3;
    controller.SetState("Other");
    EXPECT_EQ(controller.GetCurrentTexture().myTextures[0], nullptr);
    EXPECT_EQ(data->mySheets.size(), 1u);
}

TEST_F(ControllerTest, ContentFaultsEndWithOneLineNamingTheControllerAndWhatIsWrong)
{
    // In our words, naming the controller's folder: no block object of that name.
    AnimationController controller = IdleAndJump();
    const std::string folder = (Root() / "animations" / "controllers" / "T_Basic.ksc.leveldata").string();
    const std::string noDance =
        "Scene folder \"" + folder + "\": the animation controller has no state \"Dance\" (no KOB_AnimationBlock object of that name)";
    EXPECT_EQ(MessageOf([&] { controller.SetState("Dance"); }), noDance);

    // A request for an unknown state fails when the controller acts on it.
    controller.SetNextState("Dance");
    EXPECT_EQ(MessageOf([&] { controller.Update(0.01f); }), noDance);

    // A state that both loops and waits is refused with the scene, naming the block's file.
    const std::string both = "animations\\controllers\\T_Both.ksc";
    const std::string blockFile = (Root() / "animations" / "controllers" / "T_Both.ksc.leveldata" / GameTest::Guid(0)).string();
    EXPECT_EQ(MessageOf([&] { MakeController(both, {{"Idle", 0, 10.0f, 0, 1, true, true, 0}}, {}); }),
              "Scene object file \"" + blockFile + "\": object \"Idle\" (KOB_AnimationBlock, defined in \"" +
                  (Root() / "definitions" / "KOB_AnimationBlock.kob").string() +
                  "\"): keys \"5. Loop\" and \"6. Transition\" are both true; a state either loops or waits for its end frame");
    // A state edited to do both after the read stops at its first update.
    AnimationController loopsAndWaits = IdleAndJump();
    loopsAndWaits.GetAnimations().at("Idle").myWaitTransition = true;
    loopsAndWaits.SetState("Idle");
    EXPECT_EQ(MessageOf([&] { loopsAndWaits.Update(0.01f); }),
              "Scene folder \"" + folder + "\": the animation controller's state \"Idle\" both loops and waits for its end frame; a state does one or the other");

    // A controller that was never loaded is empty: its first state is missing.
    AnimationController unknown;
    unknown.Init("animations\\controllers\\T_NeverLoaded.ksc");
    myControllers.push_back("animations\\controllers\\T_NeverLoaded.ksc");
    EXPECT_NE(MessageOf([&] { unknown.SetState("Idle"); }).find("no state \"Idle\""), std::string::npos);
}

TEST_F(ControllerTest, ABrokenControllerSceneNamesTheObjectAndTheKey)
{
    const std::string path = "animations\\controllers\\T_Broken.ksc";
    WriteDefinition("KOB_AnimationBlock", {DefinitionProperty("1. ID", "Int", 0), DefinitionProperty("2. FPS", "Int", 10)});
    WriteObject(path, 1, "Idle", "KOB_AnimationBlock");
    std::string text = MessageOf([&] { LoadController(path); });
    EXPECT_EQ(text, "Scene object file \"" + (Root() / "animations" / "controllers" / "T_Broken.ksc.leveldata" / GameTest::Guid(1)).string() +
                        "\": object \"Idle\" (KOB_AnimationBlock, defined in \"" + (Root() / "definitions" / "KOB_AnimationBlock.kob").string() +
                        "\"): key \"2. FPS\" is Int, expected Float");

    WriteDefinition("KOB_AnimationBlock", {DefinitionProperty("1. ID", "Int", 0), DefinitionProperty("2. FPS", "Float", 10)});
    text = MessageOf([&] { LoadController(path); });
    EXPECT_NE(text.find("key \"3. Start\" is missing (expected Int)"), std::string::npos) << text;

    WriteControllerDefinitions();
    const std::string paths = "animations\\controllers\\T_BadPath.ksc";
    text = MessageOf([&] { MakeController(paths, {{"Idle", 0}}, {{0, 5}}); });
    EXPECT_TRUE(text.find("T_BadPath.ksc.leveldata/" + GameTest::Guid(1) + "\": object \"Path 0 to 5\" (KOB_AnimationPath") != std::string::npos &&
                text.ends_with(".kob\"): key \"To\" names no block id (5)")) << text;

    // Sheets a controller could not play are refused while the scene is read, not at a later level's start.
    const auto refusal = [&](const std::string& aName, const std::vector<Block>& someBlocks, const Sheet& aSheet) {
        return MessageOf([&] { MakeController("animations\\controllers\\T_" + aName + ".ksc", someBlocks, {}, {{0, 2, 2}, aSheet}); });
    };
    text = refusal("NoSheet", {{"Idle", 0}, {"Run", 1, 10.0f, 0, 1, true, false, 2}}, {1, 4, 2});
    EXPECT_TRUE(text.find("T_NoSheet.ksc.leveldata/" + GameTest::Guid(1) + "\": object \"Run\" (KOB_AnimationBlock") != std::string::npos &&
                text.ends_with(".kob\"): key \"7. Sheet ID\" names no sheet (2)")) << text;
    text = refusal("Gap", {{"Idle", 0}}, {2, 2, 2});
    EXPECT_TRUE(text.find("object \"Sheet 2\" (KOB_AnimationSheet") != std::string::npos &&
                text.ends_with(".kob\"): key \"4. ID\" is 2; sheet ids must run from 0 to 1 (one per sheet)")) << text;
    text = refusal("Huge", {{"Idle", 0}}, {1, 1000000000, 1});
    EXPECT_TRUE(text.find("object \"Sheet 1\" (KOB_AnimationSheet") != std::string::npos &&
                text.find(".kob\"): keys \"2. Columns\" and \"3. Rows\" give 1000000000 x 1 cells; a sheet") != std::string::npos) << text;
    EXPECT_NE(refusal("Overflow", {{"Idle", 0}}, {1, 65536, 65536}).find("give 65536 x 65536 cells"), std::string::npos);
    EXPECT_NE(refusal("Empty", {{"Idle", 0}}, {1, 4, 0}).find("give 4 x 0 cells"), std::string::npos);
    EXPECT_EQ(refusal("Largest", {{"Idle", 0}}, {1, 64, 64}), "no error");
}

TEST_F(ControllerTest, AFirstLoadThatFailsLeavesNoLibraryBehind)
{
    // The library is made once per process: the check runs in a fresh one. Its first
    // controller holds 100 states, then a path that fails the load after they were read.
    const std::string path = AnimationLibrary::CONTROLLER_PATHS[0];
    for (int i = 0; i < 100; ++i)
        WriteObject(path, i, "State " + std::to_string(i), "KOB_AnimationBlock");
    WriteObject(path, 100, "Path", "KOB_AnimationPath", {GameTest::ObjectProperty("To", "Int", 5)});
    const auto failedLoad = [] { return MessageOf([] { AnimationLibrary::GetInstance(); }) != "no error"; };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The first failure fills the caches that stay; ten more must not keep their states.
            bool failed = failedLoad();
            const long long before = LiveHeapBytes();
            for (int i = 0; i < 10; ++i)
                failed = failedLoad() && failed;
            const long long kept = LiveHeapBytes() - before;
            std::fprintf(stderr, "failed each time: %d; %lld bytes kept\n", failed, kept);
            std::exit(failed && kept < 100 * static_cast<long long>(sizeof(AnimationController::Animation)) ? 0 : 1);
        },
        testing::ExitedWithCode(0), "failed each time: 1");
}
