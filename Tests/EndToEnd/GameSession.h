#pragma once
// bin/Game running in the X display the test was started in (xvfb-run): its window found,
// focused and driven with real key events (xdotool), and the screen captured with
// ImageMagick. Checks wait on what the screen shows, polling captures with a deadline,
// because software GL on a loaded machine runs at an unknown frame rate.
#include "EndToEnd/Screenshot.h"
#include "Support/ChildProcess.h"
#include "Support/FrameProbe.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace KilnE2E
{
    using Clock = std::chrono::steady_clock;
    using namespace std::chrono_literals;

    // Time limits grow under the sanitizers, whose game runs several times slower.
    std::chrono::milliseconds Scaled(std::chrono::milliseconds aLimit);

    class GameSession
    {
    public:
        // aWorkFolder receives the game (a bin folder of its own whose assets are those of the
        // build), its output files and the captures kept for a failure.
        explicit GameSession(std::filesystem::path aWorkFolder);
        ~GameSession();
        GameSession(const GameSession&) = delete;
        GameSession& operator=(const GameSession&) = delete;

        // Starts a copy of bin/Game (beside the test program) with someArguments, from
        // aWorkFolder, with SDL's dummy audio driver. aSettings, when given, is the game's
        // settings/Game.json instead of the build's.
        bool Start(const std::vector<std::string>& someArguments = {}, const std::string& aSettings = {});
        // Waits until the game has begun a frame after this call; false when it did not
        // within aLimit (or has ended).
        bool WaitForFrame(std::chrono::milliseconds aLimit);
        // Waits for the game's window and gives it the keyboard focus.
        bool WaitForWindow(std::chrono::milliseconds aLimit);

        KilnTest::ChildProcess& GetProcess() { return myProcess; }
        Clock::time_point GetStartTime() const { return myProcess.GetStartTime(); }
        std::string ReadStdout() const;
        std::string ReadStderr() const;

        // xdotool key names ("Down", "Return", "Escape", "space", "Right"). The game sees
        // keys once a frame, so a release and the next press of the same key must fall in
        // different frames: KeyUp returns once the game has read its input after the release.
        void KeyDown(const std::string& aKey);
        void KeyUp(const std::string& aKey);
        // Holds aKey until aCheck accepts a capture or aLimit passes; then lets go.
        std::optional<Screenshot> PressUntil(const std::string& aKey, const std::function<bool(const Screenshot&)>& aCheck,
                                             std::chrono::milliseconds aLimit, const std::string& aName);

        // One capture of the whole screen; empty on failure.
        Screenshot Capture();
        // Captures until aCheck accepts one (returned) or aLimit passes (nullopt; the
        // last capture is kept as <aName>.png in the work folder for the failure message).
        std::optional<Screenshot> WaitFor(const std::string& aName, const std::function<bool(const Screenshot&)>& aCheck,
                                          std::chrono::milliseconds aLimit);
        const Screenshot& GetLastCapture() const { return myLastCapture; }

        // The game window's X id, once WaitForWindow found it.
        const std::string& GetWindowId() const { return myWindow; }
        int GetScreenWidth() const { return myScreenWidth; }
        int GetScreenHeight() const { return myScreenHeight; }

    private:
        // Where a failed wait leaves its last capture.
        std::filesystem::path FailurePicture(const std::string& aName) const;
        bool RunXdotool(const std::vector<std::string>& someArguments, std::string* anOutput = nullptr);

        std::filesystem::path myWorkFolder;
        KilnTest::ChildProcess myProcess;
        KilnTest::FrameProbe myFrameProbe;
        std::string myWindow;
        std::vector<std::string> myHeldKeys;
        Screenshot myLastCapture;
        int myScreenWidth = 0;
        int myScreenHeight = 0;
        int myKept = 0;
    };
}
