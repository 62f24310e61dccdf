#include "EndToEnd/GameSession.h"

#include "Platform/runtime/Paths.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace KilnE2E
{
    namespace
    {
        std::string ReadText(const std::filesystem::path& aPath)
        {
            std::ifstream file(aPath, std::ios::binary);
            std::stringstream text;
            text << file.rdbuf();
            return text.str();
        }

        float TimeScale()
        {
#if defined(__SANITIZE_ADDRESS__)
            float scale = 4.0f;
#else
            float scale = 1.0f;
#endif
            if (const char* text = std::getenv("KILN_E2E_TIME_SCALE"))
            {
                const float value = std::strtof(text, nullptr);
                if (value > 0.0f)
                    scale = value;
            }
            return scale;
        }

        constexpr auto CommandLimit = 30s;

        // Letters and digits kept, anything else an underscore.
        std::string FileName(const std::string& aName)
        {
            std::string name = aName;
            for (char& c : name)
                c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
            return name;
        }
    }

    std::chrono::milliseconds Scaled(std::chrono::milliseconds aLimit)
    {
        return std::chrono::milliseconds(static_cast<int64_t>(static_cast<float>(aLimit.count()) * TimeScale()));
    }

    GameSession::GameSession(std::filesystem::path aWorkFolder)
        : myWorkFolder(std::move(aWorkFolder))
    {
        std::filesystem::create_directories(myWorkFolder);
    }

    GameSession::~GameSession()
    {
        // Keys left down would stay down in the X server for the next session.
        for (const std::string& key : std::vector<std::string>(myHeldKeys))
            KeyUp(key);
        // The copy of the game goes; its output and the captures stay for a look.
        myProcess.Kill();
        std::error_code ignored;
        std::filesystem::remove_all(myWorkFolder / "bin", ignored);
        std::filesystem::remove(myWorkFolder / "capture.rgb", ignored);
    }

    bool GameSession::Start(const std::vector<std::string>& someArguments, const std::string& aSettings)
    {
        // A bin folder of the game's own: the executable (its folder is where the game looks
        // for settings and assets), the settings, the build's assets, and under data/ a copy
        // of a texture the engine loads at start-up and watches, which tells its frames.
        const std::filesystem::path built = Plat::Runtime::ExecutableDirectory();
        const std::filesystem::path bin = myWorkFolder / "bin";
        const std::filesystem::path watched = bin / "data" / "Textures" / "whiteCubeMap.dds";
        std::error_code error;
        std::filesystem::create_directories(bin / "settings", error);
        std::filesystem::create_directories(watched.parent_path(), error);
        std::filesystem::copy_file(built / "Game", bin / "Game", std::filesystem::copy_options::overwrite_existing, error);
        std::filesystem::copy_file(built / "settings" / "Game.json", bin / "settings" / "Game.json", std::filesystem::copy_options::overwrite_existing, error);
        std::filesystem::copy_file(built / "assets" / "engine" / "Textures" / "whiteCubeMap.dds", watched, std::filesystem::copy_options::overwrite_existing, error);
        if (!aSettings.empty())
            std::ofstream(bin / "settings" / "Game.json", std::ios::trunc) << aSettings;
        if (!std::filesystem::exists(bin / "assets"))
            std::filesystem::create_directory_symlink(built / "assets", bin / "assets", error);
        if (error || !myFrameProbe.Watch(watched))
            return false;

        KilnTest::ChildProcess::Options options;
        // Line-buffered standard output (stdbuf execs the game in its own process), so
        // what the game prints can be followed as it happens.
        options.myProgram = "/usr/bin/stdbuf";
        options.myArguments = {"-oL", (bin / "Game").string()};
        options.myArguments.insert(options.myArguments.end(), someArguments.begin(), someArguments.end());
        options.myWorkingDirectory = myWorkFolder;
        options.myStdout = myWorkFolder / "game_stdout.txt";
        options.myStderr = myWorkFolder / "game_stderr.txt";
        // stdbuf's preloaded library comes before the sanitizer runtime.
        options.myEnvironment = {{"SDL_AUDIODRIVER", "dummy"}, {"ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0"}};
        // The window goes to the X display; a driver chosen for the headless suites must not win.
        options.myEnvironment.emplace_back("SDL_VIDEODRIVER", "x11");
        if (!myProcess.Start(options))
            return false;

        std::string geometry;
        if (!RunXdotool({"getdisplaygeometry"}, &geometry))
            return false;
        std::istringstream sizes(geometry);
        sizes >> myScreenWidth >> myScreenHeight;
        return myScreenWidth > 0 && myScreenHeight > 0;
    }

    bool GameSession::WaitForFrame(std::chrono::milliseconds aLimit)
    {
        return myFrameProbe.WaitForFrame(Clock::now() + aLimit, [this] { return myProcess.IsRunning(); });
    }

    bool GameSession::WaitForWindow(std::chrono::milliseconds aLimit)
    {
        const Clock::time_point end = Clock::now() + aLimit;
        const std::string pid = std::to_string(myProcess.GetPid());
        while (Clock::now() < end && myProcess.IsRunning())
        {
            std::string found;
            if (RunXdotool({"search", "--onlyvisible", "--pid", pid}, &found))
            {
                std::istringstream ids(found);
                if (ids >> myWindow)
                {
                    // No window manager runs in the test display: focus is given directly.
                    return RunXdotool({"windowfocus", "--sync", myWindow});
                }
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    std::string GameSession::ReadStdout() const
    {
        return ReadText(myWorkFolder / "game_stdout.txt");
    }

    std::string GameSession::ReadStderr() const
    {
        return ReadText(myWorkFolder / "game_stderr.txt");
    }

    bool GameSession::RunXdotool(const std::vector<std::string>& someArguments, std::string* anOutput)
    {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), someArguments.begin(), someArguments.end());
        const KilnTest::CommandResult result = KilnTest::RunCommand(command, CommandLimit);
        if (anOutput)
            *anOutput = result.myOutput;
        return result.Succeeded();
    }

    void GameSession::KeyDown(const std::string& aKey)
    {
        RunXdotool({"keydown", aKey});
        myHeldKeys.push_back(aKey);
    }

    void GameSession::KeyUp(const std::string& aKey)
    {
        RunXdotool({"keyup", aKey});
        std::erase(myHeldKeys, aKey);
        // The first frame the probe sees may have read its input before the release arrived.
        if (WaitForFrame(Scaled(60s)))
            WaitForFrame(Scaled(60s));
    }

    std::optional<Screenshot> GameSession::PressUntil(const std::string& aKey, const std::function<bool(const Screenshot&)>& aCheck,
                                                      std::chrono::milliseconds aLimit, const std::string& aName)
    {
        KeyDown(aKey);
        std::optional<Screenshot> seen = WaitFor(aName, aCheck, aLimit);
        KeyUp(aKey);
        return seen;
    }

    Screenshot GameSession::Capture()
    {
        const std::filesystem::path raw = myWorkFolder / "capture.rgb";
        const KilnTest::CommandResult result =
            KilnTest::RunCommand({"/usr/bin/import", "-window", "root", "-depth", "8", "rgb:" + raw.string()}, CommandLimit);
        if (!result.Succeeded())
            return {};
        std::ifstream file(raw, std::ios::binary);
        std::vector<uint8_t> pixels((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        myLastCapture = Screenshot(myScreenWidth, myScreenHeight, std::move(pixels));
        return myLastCapture;
    }

    std::optional<Screenshot> GameSession::WaitFor(const std::string& aName, const std::function<bool(const Screenshot&)>& aCheck,
                                                   std::chrono::milliseconds aLimit)
    {
        const Clock::time_point end = Clock::now() + aLimit;
        for (;;)
        {
            const bool running = myProcess.IsRunning();
            Screenshot shot = Capture();
            if (!shot.IsEmpty() && aCheck(shot))
            {
                // KILN_E2E_KEEP=1 keeps every capture a wait accepted, to look at afterwards.
                if (const char* keep = std::getenv("KILN_E2E_KEEP"); keep && *keep == '1')
                    shot.SavePng(myWorkFolder / ("seen_" + std::to_string(++myKept) + "_" + FileName(aName) + ".png"));
                return shot;
            }
            if (Clock::now() >= end || !running)
                break;
            std::this_thread::sleep_for(50ms);
        }
        myLastCapture.SavePng(FailurePicture(aName));
        return std::nullopt;
    }

    std::filesystem::path GameSession::FailurePicture(const std::string& aName) const
    {
        return myWorkFolder / (FileName(aName) + ".png");
    }
}
