#pragma once
// Shows one menu page at a time (main, level select, options, credits, pause), read from
// its scene folder; moves the selection with input and carries out the chosen button by
// writing the game state and loading the next page.
#include "InputEvent.h"
#include "MenuButton.h"
#include "MenuCursor.h"
#include "MenuSlider.h"
#include "SpriteRecord.h"
#include "State.h"

#include "forge/math/Vector.h"

#include <cstdint>
#include <string>
#include <vector>

class GameManager;

namespace Kiln
{
    class Engine;
}

class MenuManager
{
public:
    // Every page's scene.
    static constexpr const char* PAGE_PATHS[] = {"scenes\\mainmenu.ksc", "scenes\\levelselect.ksc", "scenes\\options.ksc",
                                                 "scenes\\credits.ksc", "scenes\\pausemenu.ksc"};

    MenuManager() = default;

    // Takes the render size and shows the page "scenes\<aPageName>.ksc".
    void Init(Kiln::Engine& anEngine, const std::string& aPageName);
    // Replaces the page by the one in the scene folder of aScenePath. A page without a
    // button shows its pictures with no cursor; only its Back (where the page has one)
    // leads on.
    void LoadMenu(const std::string& aScenePath);
    // The main page in its after-the-ending form, for good.
    void OpenMainMenu();
    void OpenPauseMenu();

    // Only presses act. aState says which page has the input.
    void OnInput(const InputEvent& anEvent, State& aState, GameManager& aManager);
    void Render();

    const std::vector<MenuButton>& GetButtons() const { return myButtons; }
    const std::vector<MenuSlider>& GetSliders() const { return mySliders; }
    const std::vector<SpriteRecord>& GetBackgrounds() const { return myBackgrounds; }
    const std::vector<SpriteRecord>& GetDecals() const { return myDecals; }
    const MenuCursor& GetCursor() const { return myCursor; }
    int32_t GetSelected() const { return mySelected; }
    bool IsAfterTheEnding() const { return myIsAfterTheEnding; }
    const std::string& GetPagePath() const { return myPagePath; }

private:
    // What every page shares: only presses count; Up and Down (and Left and Right where
    // aSidewaysMoves) move the cursor; Select plays its sound. True when the page has
    // nothing more to do with anEvent.
    bool Navigate(const InputEvent& anEvent, bool aSidewaysMoves);
    void OnInputMainMenu(const InputEvent& anEvent, State& aState);
    void OnInputLevelSelect(const InputEvent& anEvent, State& aState, GameManager& aManager);
    void OnInputOptions(const InputEvent& anEvent, State& aState);
    void OnInputCredits(const InputEvent& anEvent, State& aState);
    void OnInputPause(const InputEvent& anEvent, State& aState);

    void SelectPrevious();
    void SelectNext();
    void PlaceCursor();
    // The selected button's label; "" on a page without buttons.
    std::string SelectedLabel() const;
    void StepSliders(uint32_t aSoundType, float aFraction);
    void LeaveOptions(State& aState);

    bool myFullScreenToggle = true;
    bool myIsAfterTheEnding = false;
    Kiln::Vector2<float> myRenderSize{0.0f, 0.0f};
    std::vector<MenuButton> myButtons;
    std::vector<MenuSlider> mySliders;
    uint32_t myOptionsReturnState = 0;
    std::vector<SpriteRecord> myBackgrounds;
    std::vector<SpriteRecord> myDecals;
    MenuCursor myCursor;
    int32_t mySelected = 0;
    std::string myPagePath;
};
