// The real game in a real (virtual) X display: started as a process, driven with key
// presses sent to its window, and checked on captures of the screen. Every step waits on
// what the screen shows (with generous limits: software GL on a loaded machine may take
// seconds per frame) rather than on fixed sleeps.
#include "EndToEnd/GameSession.h"
#include "EndToEnd/MenuPage.h"
#include "EndToEnd/Picture.h"
#include "EndToEnd/ScreenChecks.h"

#include "Platform/runtime/Paths.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include <sys/wait.h>

using namespace KilnE2E;

namespace
{
    const std::filesystem::path& BinFolder()
    {
        static const std::filesystem::path folder = Plat::Runtime::ExecutableDirectory();
        return folder;
    }

    std::filesystem::path GameAssets() { return BinFolder() / "assets" / "game"; }

    // build/e2e/<test>: the game's output and the captures a failed wait leaves behind.
    std::filesystem::path WorkFolder()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return BinFolder().parent_path() / "e2e" / (std::string(info->test_suite_name()) + "." + info->name());
    }

    // The pause page's background picture, read from the page.
    std::string PauseVeil()
    {
        for (const auto& entry : std::filesystem::directory_iterator(GameAssets() / "scenes" / "pausemenu.ksc.leveldata"))
        {
            std::ifstream file(entry.path());
            const nlohmann::json object = nlohmann::json::parse(file, nullptr, false);
            if (!object.is_object() || object.value("object-definition", "") != "KOB_Background")
                continue;
            for (const nlohmann::json& property : object.value("properties", nlohmann::json::array()))
            {
                if (property.value("name", "") == "Sprite")
                    return property["value"]["textures"][0].get<std::string>();
            }
        }
        return "";
    }

    double Seconds(Clock::duration aDuration) { return std::chrono::duration<double>(aDuration).count(); }


    class EndToEnd : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            std::error_code ignored;
            std::filesystem::remove_all(WorkFolder(), ignored);
            myGame = std::make_unique<GameSession>(WorkFolder());
        }

        void TearDown() override
        {
            if (HasFailure())
            {
                std::printf("game output:\n%s\ngame errors:\n%s\ncaptures in %s\n", myGame->ReadStdout().c_str(), myGame->ReadStderr().c_str(),
                            WorkFolder().c_str());
            }
            myGame.reset();
        }

        // Starts the game and reads the pages and pictures the checks compare with.
        void Launch(const std::vector<std::string>& someArguments = {}, const std::string& aSettings = {})
        {
            ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under Tests/EndToEnd/run_in_xvfb.sh";
            ASSERT_TRUE(myGame->Start(someArguments, aSettings)) << "bin/Game, stdbuf or xdotool could not be started";
            ASSERT_TRUE(myGame->WaitForWindow(Scaled(120s))) << "the game opened no window";
            myWidth = myGame->GetScreenWidth();
            myHeight = myGame->GetScreenHeight();
            for (const char* name : {"mainmenu", "levelselect", "options", "pausemenu"})
            {
                myPages[name] = MenuPage::Read(GameAssets(), name, myWidth, myHeight);
                ASSERT_TRUE(myPages[name].GetError().empty()) << myPages[name].GetError();
            }
            ASSERT_TRUE(myLogo.Load(GameAssets() / "sprites/Splashscreen/S_UI_KILNlogo.dds"));
            ASSERT_TRUE(myLoadingBackground.Load(GameAssets() / "sprites/UI/Menu BG/S_UI_Loading_BG.dds"));
            ASSERT_TRUE(myPauseVeil.Load(GameAssets() / PauseVeil()));
        }

        const MenuPage& Page(const std::string& aName) { return myPages.at(aName); }

        // The splash logo: drawn W x W about the screen's middle, so its middle band shows.
        bool ShowsLogo(const Screenshot& aShot) const
        {
            return myLogo.MatchShare(aShot, {0, myHeight / 2 - myWidth / 2, myWidth, myWidth}, 32.0f) >= 0.9f;
        }

        // The loading screen: its background over the whole screen (the running moth and
        // its text take a corner).
        bool ShowsLoadingScreen(const Screenshot& aShot) const
        {
            return myLoadingBackground.MatchShare(aShot, {0, 0, myWidth, myHeight}, 32.0f) >= 0.9f;
        }

        bool ShowsAnyMenu(const Screenshot& aShot) const
        {
            for (const auto& [name, page] : myPages)
            {
                for (size_t i = 0; i < page.GetButtons().size(); ++i)
                    if (ShowsMenu(aShot, page, static_cast<int>(i)))
                        return true;
            }
            return false;
        }

        // A video plays: the picture moves between two captures, and it is neither the
        // logo nor a menu page.
        std::function<bool(const Screenshot&)> PlayingVideo(const std::function<bool(const Screenshot&)>& anAlsoTrue = {})
        {
            auto previous = std::make_shared<Screenshot>();
            return [this, previous, anAlsoTrue](const Screenshot& aShot) {
                const bool moved = !previous->IsEmpty() && aShot.ChangedShare(*previous, aShot.Whole(), 24.0f) > 0.002f;
                *previous = aShot;
                return moved && !ShowsLogo(aShot) && !ShowsAnyMenu(aShot) && (!anAlsoTrue || anAlsoTrue(aShot));
            };
        }

        // The intro is drawn W x W/2 about the screen's middle: black bands above and below.
        bool Letterboxed(const Screenshot& aShot) const
        {
            const int band = myHeight / 25;
            return aShot.BrightShare({0, 0, myWidth, band}, 12.0f) < 0.01f && aShot.BrightShare({0, myHeight - band, myWidth, band}, 12.0f) < 0.01f;
        }

        bool PlayingLevel(const Screenshot& aShot) const
        {
            return !ShowsLoadingScreen(aShot) && !ShowsAnyMenu(aShot) && HeroNearCentre(FindHero(aShot), myWidth, myHeight);
        }

        std::function<bool(const Screenshot&)> Menu(const std::string& aPage, const std::string& aSelected)
        {
            const MenuPage& page = Page(aPage);
            const int index = page.Find(aSelected);
            EXPECT_GE(index, 0) << aPage << " has no button \"" << aSelected << "\"";
            return [&page, index](const Screenshot& aShot) { return ShowsMenu(aShot, page, index); };
        }

        std::string DescribeMenu(const std::string& aPage)
        {
            return MatchMenu(myGame->GetLastCapture(), Page(aPage)).Describe(Page(aPage));
        }

        // Moves the cursor with Down from aFrom to aTo, one press at a time, each held until
        // the cursor is seen on the next button.
        void MoveDown(const std::string& aPage, const std::string& aFrom, const std::string& aTo)
        {
            const MenuPage& page = Page(aPage);
            const int from = page.Find(aFrom), to = page.Find(aTo);
            ASSERT_TRUE(from >= 0 && to >= 0);
            const int count = static_cast<int>(page.GetButtons().size());
            for (int at = from; at != to; at = (at + 1) % count)
            {
                const std::string next = page.GetButtons()[static_cast<size_t>((at + 1) % count)].label;
                ASSERT_TRUE(myGame->PressUntil("Down", Menu(aPage, next), Scaled(60s), "cursor_on_" + next))
                    << "Down did not move the cursor to \"" << next << "\"\n" << DescribeMenu(aPage);
            }
        }

        // SIGTERM; the game must end by itself with status 0. Only a hang fails; the time
        // taken is printed for the figures, not judged.
        void ExpectCleanEndOnSigterm()
        {
            const Clock::time_point sent = Clock::now();
            ASSERT_TRUE(myGame->GetProcess().Signal(SIGTERM));
            const int status = myGame->GetProcess().WaitForExit(Scaled(30s));
            const double took = Seconds(Clock::now() - sent);
            ASSERT_NE(status, -1) << "the game was still running 30 s after SIGTERM";
            ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
            EXPECT_EQ(WEXITSTATUS(status), 0);
            std::printf("ended %.3f s after SIGTERM\n", took);
        }

        std::unique_ptr<GameSession> myGame;
        std::map<std::string, MenuPage> myPages;
        Picture myLogo;
        Picture myLoadingBackground;
        Picture myPauseVeil;
        int myWidth = 0;
        int myHeight = 0;
    };

    // The hands enemies print their position ("x y") as they are made; menus print four
    // numbers per button, or "scale" lines.
    int CountEnemyLines(const std::string& anOutput)
    {
        static const std::regex line(R"((^|\n)-?[0-9.e+-]+ -?[0-9.e+-]+(?=\n))");
        return static_cast<int>(std::distance(std::sregex_iterator(anOutput.begin(), anOutput.end(), line), std::sregex_iterator()));
    }

    int CountObjectsOf(const std::filesystem::path& aSceneFolder, const std::string& aDefinition)
    {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(aSceneFolder))
        {
            std::ifstream file(entry.path());
            const nlohmann::json object = nlohmann::json::parse(file, nullptr, false);
            if (object.is_object() && object.value("object-definition", "") == aDefinition)
                ++count;
        }
        return count;
    }
}

TEST_F(EndToEnd, FromTheSplashThroughLevelOneToTheExitOfThePausePage)
{
    Launch();
    ASSERT_FALSE(HasFatalFailure());

    // The splash screen: the logo, then the team film.
    ASSERT_TRUE(myGame->WaitFor("splash_logo", [this](const Screenshot& s) { return ShowsLogo(s); }, Scaled(120s)))
        << "the splash logo was not shown";
    const double firstFrame = Seconds(Clock::now() - myGame->GetStartTime());
    ASSERT_TRUE(myGame->WaitFor("splash_film", PlayingVideo(), Scaled(60s))) << "the splash film did not play after the logo";

    // The main menu, its cursor on "1. Play".
    ASSERT_TRUE(myGame->WaitFor("main_menu", Menu("mainmenu", "1. Play"), Scaled(60s))) << DescribeMenu("mainmenu");
    const double mainMenu = Seconds(Clock::now() - myGame->GetStartTime());
    std::printf("start-up: first frame (splash logo) seen %.1f s after the process started, the main menu %.1f s\n", firstFrame, mainMenu);
    {
        std::ofstream figures(WorkFolder() / "startup.txt");
        figures << "first_frame_s " << firstFrame << "\nmain_menu_s " << mainMenu << "\n";
    }

    // Down and Up move the cursor; Enter on "1. Play" starts the intro film.
    MoveDown("mainmenu", "1. Play", "3. Options");
    ASSERT_TRUE(myGame->PressUntil("Up", Menu("mainmenu", "2. Level Select"), Scaled(60s), "cursor_up")) << DescribeMenu("mainmenu");
    ASSERT_TRUE(myGame->PressUntil("Up", Menu("mainmenu", "1. Play"), Scaled(60s), "cursor_up_again")) << DescribeMenu("mainmenu");
    ASSERT_TRUE(myGame->PressUntil("Return", [this](const Screenshot& s) { return !ShowsAnyMenu(s); }, Scaled(60s), "play_chosen"))
        << "Enter on \"1. Play\" did not leave the main menu";
    ASSERT_TRUE(myGame->WaitFor("intro", PlayingVideo([this](const Screenshot& s) { return Letterboxed(s); }), Scaled(60s)))
        << "the intro film did not play";

    // Esc skips the film; Level 1 loads behind the loading screen, then plays. The loading
    // screen can be over between two captures (each takes a while on a busy machine), so the
    // level already playing (the film's black bands gone) counts as well.
    ASSERT_TRUE(myGame->PressUntil(
        "Escape", [this](const Screenshot& s) { return ShowsLoadingScreen(s) || (!Letterboxed(s) && PlayingLevel(s)); },
        Scaled(60s), "loading"))
        << "neither the loading screen nor the level after skipping the intro";
    std::optional<Screenshot> level = myGame->WaitFor("level", [this](const Screenshot& s) { return PlayingLevel(s); }, Scaled(120s));
    ASSERT_TRUE(level) << "Level 1 did not come up with the hero in the middle: " << FindHero(myGame->GetLastCapture()).Describe();

    // Holding Right runs: the view follows the hero, so the scenery on the ground slides
    // left while the hero stays in the middle.
    const Rect ground{0, myHeight * 45 / 100, myWidth, myHeight * 30 / 100};
    int shift = 0;
    std::optional<Screenshot> ran = myGame->PressUntil(
        "Right",
        [&](const Screenshot& s) {
            shift = HorizontalShift(*level, s, ground, myWidth / 3);
            return shift <= -40 && PlayingLevel(s);
        },
        Scaled(60s), "running");
    ASSERT_TRUE(ran) << "holding Right did not move the view along with the hero: the scenery moved " << shift << " pixels; "
                     << FindHero(myGame->GetLastCapture()).Describe();
    std::printf("holding Right, the scenery slid %d pixels while the hero stayed in the middle\n", shift);

    // Space jumps: the hero's light leaves its place on screen, and the hero comes down again.
    const HeroSighting standing = FindHero(*myGame->WaitFor("standing", [this](const Screenshot& s) { return PlayingLevel(s); }, Scaled(60s)));
    // The view follows the hero up, so on screen the hero moves only by the camera's lag, and
    // for about two seconds of a slow frame rate; one capture can take as long. A jump no
    // capture saw is made again.
    const auto jumped = [&](const Screenshot& s) { return std::abs(FindHero(s).y - standing.y) > 20.0f; };
    bool jump = false;
    for (const Clock::time_point end = Clock::now() + Scaled(60s); !jump && Clock::now() < end;)
    {
        jump = myGame->PressUntil("space", jumped, Scaled(5s), "jump").has_value();
        if (!jump)
        {
            ASSERT_TRUE(myGame->WaitForFrame(Scaled(30s)));
        }
    }
    ASSERT_TRUE(jump) << "Space did not make the hero jump: standing " << standing.Describe() << "; last " << FindHero(myGame->GetLastCapture()).Describe();
    std::optional<Screenshot> beforePause = myGame->WaitFor("landed", [this](const Screenshot& s) { return PlayingLevel(s); }, Scaled(60s));
    ASSERT_TRUE(beforePause);

    // The level runs: its particles move from frame to frame.
    ASSERT_TRUE(myGame->WaitForFrame(Scaled(30s)) && myGame->WaitForFrame(Scaled(30s)) && myGame->WaitForFrame(Scaled(30s)));
    const float runningChange = myGame->Capture().ChangedShare(*beforePause, beforePause->Whole(), 24.0f);
    EXPECT_GT(runningChange, 0.001f) << "nothing moved in the level";

    // Esc pauses: the pause page over the level, which stands still behind its veil.
    std::optional<Screenshot> paused = myGame->PressUntil("Escape", Menu("pausemenu", "1. Resume"), Scaled(60s), "paused");
    ASSERT_TRUE(paused) << DescribeMenu("pausemenu");
    ASSERT_TRUE(myGame->WaitForFrame(Scaled(30s)) && myGame->WaitForFrame(Scaled(30s)) && myGame->WaitForFrame(Scaled(30s)));
    const float pausedChange = myGame->Capture().ChangedShare(*paused, paused->Whole(), 24.0f);
    EXPECT_LT(pausedChange, 0.0005f) << "the level moved behind the pause page (it moved " << runningChange << " before)";
    const Rect besideThePage{myWidth * 7 / 10, 0, myWidth * 3 / 10, myHeight};
    const float lit = ShareLitThroughVeil(*paused, myPauseVeil, paused->Whole(), besideThePage);
    EXPECT_GT(lit, 0.2f) << "the pause page's veil lies over nothing: the level is not drawn behind it";
    std::printf("the level moved on %.2f%% of the screen in three frames of play, %.3f%% while paused; %.0f%% of the screen beside the "
                "pause page is lit through its veil\n", runningChange * 100.0f, pausedChange * 100.0f, lit * 100.0f);

    // Esc again resumes.
    ASSERT_TRUE(myGame->PressUntil("Escape", [this](const Screenshot& s) { return PlayingLevel(s); }, Scaled(60s), "resumed"))
        << "Esc on the pause page did not resume play";

    // Pause, open the options and go back to the pause page.
    ASSERT_TRUE(myGame->PressUntil("Escape", Menu("pausemenu", "1. Resume"), Scaled(60s), "paused_again")) << DescribeMenu("pausemenu");
    MoveDown("pausemenu", "1. Resume", "2. Options");
    ASSERT_TRUE(myGame->PressUntil("Return", Menu("options", "1. Music"), Scaled(60s), "options")) << DescribeMenu("options");
    ASSERT_TRUE(myGame->PressUntil("Escape", Menu("pausemenu", "1. Resume"), Scaled(60s), "back_from_options"))
        << "Esc on the options page did not return to the pause page\n"
        << DescribeMenu("pausemenu");

    // "4. Exit" ends the game with status 0.
    MoveDown("pausemenu", "1. Resume", "4. Exit");
    myGame->KeyDown("Return");
    const int status = myGame->GetProcess().WaitForExit(Scaled(60s));
    myGame->KeyUp("Return");
    ASSERT_NE(status, -1) << "the game did not end after \"4. Exit\"";
    ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << myGame->ReadStderr();
}

TEST_F(EndToEnd, SigtermDuringTheSplashFilmEndsTheGameCleanly)
{
    Launch();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(myGame->WaitFor("splash_logo", [this](const Screenshot& s) { return ShowsLogo(s); }, Scaled(120s)));
    ASSERT_TRUE(myGame->WaitFor("splash_film", PlayingVideo(), Scaled(60s))) << "the splash film did not play";
    ExpectCleanEndOnSigterm();
}

TEST_F(EndToEnd, SigtermDuringTheIntroFilmEndsTheGameCleanly)
{
    Launch();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(myGame->WaitFor("main_menu", Menu("mainmenu", "1. Play"), Scaled(120s))) << DescribeMenu("mainmenu");
    ASSERT_TRUE(myGame->PressUntil("Return", [this](const Screenshot& s) { return !ShowsAnyMenu(s); }, Scaled(60s), "play_chosen"));
    ASSERT_TRUE(myGame->WaitFor("intro", PlayingVideo([this](const Screenshot& s) { return Letterboxed(s); }), Scaled(60s)))
        << "the intro film did not play";
    ExpectCleanEndOnSigterm();
}

TEST_F(EndToEnd, SigtermDuringALevelLoadEndsTheGameCleanly)
{
    const std::filesystem::path level = GameAssets() / "levels" / "Level1.ksc.leveldata";
    const int hands = CountObjectsOf(level, "KOB_EnemyHands");
    ASSERT_GE(hands, 2) << "Level 1 needs hands enemies, which tell how far its load got";

    Launch();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(myGame->WaitFor("main_menu", Menu("mainmenu", "1. Play"), Scaled(120s))) << DescribeMenu("mainmenu");
    MoveDown("mainmenu", "1. Play", "2. Level Select");
    ASSERT_TRUE(myGame->PressUntil("Return", Menu("levelselect", "1. Level 1"), Scaled(60s), "level_select")) << DescribeMenu("levelselect");

    // "1. Level 1" starts the load at once; the signal goes as soon as the first enemy of
    // the level has been made.
    const size_t before = myGame->ReadStdout().size();
    myGame->KeyDown("Return");
    bool loading = false;
    for (const Clock::time_point end = Clock::now() + Scaled(120s); Clock::now() < end && myGame->GetProcess().IsRunning();)
    {
        if (CountEnemyLines(myGame->ReadStdout().substr(before)) > 0)
        {
            loading = true;
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(loading) << "Level 1 did not start loading";
    ExpectCleanEndOnSigterm();
    myGame->KeyUp("Return");

    // The load was cut short: not every enemy of the level was made.
    const int made = CountEnemyLines(myGame->ReadStdout().substr(before));
    EXPECT_LT(made, hands) << "the level had finished loading before the signal arrived";
    std::printf("%d of the level's %d hands were made before the game ended\n", made, hands);
}

// CTest runs this on a 1024 x 600 screen; the settings name another window size, a framed
// window and no debug features, all of which the game replaces.
TEST_F(EndToEnd, OnAScreenOfAnotherSizeTheWindowFillsItBorderlessAndAMissingScenePathStillReachesTheMainMenu)
{
    std::ifstream built(BinFolder() / "settings" / "Game.json");
    nlohmann::json settings = nlohmann::json::parse(built);
    settings["window_settings"]["window_size"] = settings["window_settings"]["render_size"] = {{"w", 640}, {"h", 360}};
    settings["window_settings"]["borderless"] = false;
    settings["debug_features"] = nlohmann::json::array({"None"});
    // SDL states a window's decorations only once the Motif hints' atom exists, which a
    // window manager would make; none runs here, so the atom is made by hand.
    ASSERT_TRUE(KilnTest::RunCommand({"xprop", "-root", "-f", "_MOTIF_WM_HINTS", "32c", "-set", "_MOTIF_WM_HINTS", "0"}, 30s).Succeeded());
    KilnTest::RunCommand({"xprop", "-root", "-remove", "_MOTIF_WM_HINTS"}, 30s);
    Launch({"levels\\Nowhere.ksc"}, settings.dump());
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_FALSE(myWidth == 640 && myHeight == 360) << "the screen must differ from the settings' size";

    // The window covers the screen; its Motif hints ("flags, functions, decorations, ...")
    // ask for no decorations.
    const std::string geometry = KilnTest::RunCommand({"xdotool", "getwindowgeometry", "--shell", myGame->GetWindowId()}, 30s).myOutput;
    EXPECT_NE(geometry.find("X=0\nY=0\nWIDTH=" + std::to_string(myWidth) + "\nHEIGHT=" + std::to_string(myHeight) + "\n"), std::string::npos) << geometry;
    const std::string hints = KilnTest::RunCommand({"xprop", "-id", myGame->GetWindowId(), "_MOTIF_WM_HINTS"}, 30s).myOutput;
    EXPECT_TRUE(std::regex_search(hints, std::regex(R"(= 0x2, 0x[0-9a-f]+, 0x0(,|$))"))) << hints;
    // The frame probe sees frames only through the texture file watcher.
    EXPECT_TRUE(myGame->WaitForFrame(Scaled(60s))) << "no watched texture was reloaded: the file watcher is off";

    // The main menu, laid out for the whole screen.
    ASSERT_TRUE(myGame->WaitFor("main_menu", Menu("mainmenu", "1. Play"), Scaled(120s))) << DescribeMenu("mainmenu");
    EXPECT_NE(myGame->ReadStdout().find("argv[1] => levels\\Nowhere.ksc"), std::string::npos) << myGame->ReadStdout();

    // "5. Exit" (Up from the first button wraps to the last) ends it with status 0.
    ASSERT_TRUE(myGame->PressUntil("Up", Menu("mainmenu", "5. Exit"), Scaled(60s), "exit_selected")) << DescribeMenu("mainmenu");
    myGame->KeyDown("Return");
    const int status = myGame->GetProcess().WaitForExit(Scaled(60s));
    myGame->KeyUp("Return");
    ASSERT_NE(status, -1) << "the game did not end after \"5. Exit\"";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The README's pictures of the main menu, a level in play and the pause page, taken from the
// game's window (Tools/make_screenshots.sh sets KILN_README_PICTURES to the folder).
TEST_F(EndToEnd, ReadmePictures)
{
    const char* folder = std::getenv("KILN_README_PICTURES");
    if (!folder || !*folder)
        GTEST_SKIP() << "KILN_README_PICTURES is not set";
    const std::filesystem::path pictures = folder;
    constexpr int Width = 640;

    Launch();
    ASSERT_FALSE(HasFatalFailure());
    std::optional<Screenshot> menu = myGame->WaitFor("main_menu", Menu("mainmenu", "1. Play"), Scaled(120s));
    ASSERT_TRUE(menu) << DescribeMenu("mainmenu");
    EXPECT_TRUE(menu->SavePng(pictures / "menu.png", Width));

    // Level 2 from the level select: a few steps to the right (the view leads the hero)
    // bring its pit of hands into view; the picture is taken on the run.
    MoveDown("mainmenu", "1. Play", "2. Level Select");
    ASSERT_TRUE(myGame->PressUntil("Return", Menu("levelselect", "1. Level 1"), Scaled(60s), "level_select")) << DescribeMenu("levelselect");
    MoveDown("levelselect", "1. Level 1", "2. Level 2");
    ASSERT_TRUE(myGame->PressUntil("Return", [this](const Screenshot& s) { return PlayingLevel(s); }, Scaled(120s), "level_2"));
    std::optional<Screenshot> start = myGame->WaitFor("level_2_start", [this](const Screenshot& s) { return PlayingLevel(s); }, Scaled(60s));
    ASSERT_TRUE(start);
    const Rect ground{0, myHeight * 45 / 100, myWidth, myHeight * 30 / 100};
    std::optional<Screenshot> level = myGame->PressUntil(
        "Right", [&](const Screenshot& s) { return HorizontalShift(*start, s, ground, myWidth / 3) <= -60 && PlayingLevel(s); }, Scaled(60s),
        "run");
    ASSERT_TRUE(level) << FindHero(myGame->GetLastCapture()).Describe();
    EXPECT_TRUE(level->SavePng(pictures / "level.png", Width));

    std::optional<Screenshot> paused = myGame->PressUntil("Escape", Menu("pausemenu", "1. Resume"), Scaled(60s), "paused");
    ASSERT_TRUE(paused) << DescribeMenu("pausemenu");
    EXPECT_TRUE(paused->SavePng(pictures / "pause.png", Width));

    MoveDown("pausemenu", "1. Resume", "4. Exit");
    myGame->KeyDown("Return");
    EXPECT_NE(myGame->GetProcess().WaitForExit(Scaled(60s)), -1);
    myGame->KeyUp("Return");
}
