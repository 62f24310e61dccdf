#pragma once
// The game's shell: owns the state, the frame loop, the menus, the splash screen, the
// cutscenes and the level in play, binds the input codes to actions and drives the state
// machine from input.
#include "InputEvent.h"
#include "State.h"

#include "forge/text/Text.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Cutscene;
class GameWorld;
class InputMapper;
class MenuManager;
class Splashscreen;
class StartupLoader;

class GameManager
{
public:
    GameManager();
    // Removes the input listener; the process ends right after.
    ~GameManager();
    GameManager(const GameManager&) = delete;
    GameManager& operator=(const GameManager&) = delete;

    // aScenePath becomes the level path; binds the input. The sound bank's clips (begun by
    // Go), the main menu page and the animation library load behind the splash screen, in
    // that order, and are complete when the splash screen ends.
    void Init(const char* aScenePath);
    // The frame loop, from the splash screen until the game quits or the window closes.
    void Run();
    // Adds the game's 34 key and pad bindings to aMapper, in the game's order.
    static void AddBindings(InputMapper& aMapper);

    const std::string& GetLevelPath() const { return myLevelPath; }
    // The level the next world loads (the level select chooses it).
    void SetLevelPath(const std::string& aLevelPath) { myLevelPath = aLevelPath; }

private:
    friend class GameManagerTestAccess;

    void InitializeInput();
    void OnInput(const InputEvent& anEvent);

    // Before the first frame: the splash screen; the textures the start-up loading will ask
    // for begin to be read.
    void BeginRun();
    // Loads at once whatever start-up has not loaded yet.
    void FinishStartup();
    // One frame between the engine's begin and end: input, then the state's handler.
    // False once the state is Quit.
    bool RunFrame(float aDeltaTime);
    bool UpdateState(float aDeltaTime);

    void UpdateIntro(float aDeltaTime);
    void UpdateOutro(float aDeltaTime);
    void LoadNextLevel();
    // Replaces the world by a new one for the level path.
    void CreateWorld();

    std::string myLevelPath;
    State myState = State::Splashscreen;
    std::unique_ptr<GameWorld> myWorld;
    std::unique_ptr<MenuManager> myMenuManager;
    std::unique_ptr<Splashscreen> mySplashscreen;
    std::unique_ptr<StartupLoader> myStartup;
    std::vector<Kiln::Text> myMenuFonts;
    std::unique_ptr<Cutscene> myIntroCutscene;
    std::unique_ptr<Cutscene> myOutroCutscene;
    uint32_t myInputListenerId = 0;
    // The state this frame's input began in: once a screen has changed it, the rest of
    // the frame's events (a second action of the same key) are not handed to the new one.
    State myInputFrameState = State::Splashscreen;
};
