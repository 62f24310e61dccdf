#include "MenuManager.h"

#include "ContentError.h"
#include "CustomSceneObject.h"
#include "GameManager.h"
#include "Levels.h"
#include "MenuLayout.h"
#include "Message.h"
#include "PostMaster.h"
#include "SceneLoader.h"

#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/texture/TextureManager.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <variant>

namespace
{
    constexpr const char* MainMenuPage = MenuManager::PAGE_PATHS[0];
    constexpr const char* LevelSelectPage = MenuManager::PAGE_PATHS[1];
    constexpr const char* OptionsPage = MenuManager::PAGE_PATHS[2];
    constexpr const char* CreditsPage = MenuManager::PAGE_PATHS[3];
    constexpr const char* PausePage = MenuManager::PAGE_PATHS[4];

    bool IsPress(const InputEvent& anEvent)
    {
        const bool* pressed = std::get_if<bool>(&anEvent.value);
        return pressed && *pressed;
    }

    SpriteRecord MakePicture(Kiln::Engine& anEngine, const CustomSceneObject& anObject, const Kiln::Vector2<float>& aRenderSize,
                             int aTextureSlot)
    {
        const Kiln::SceneSprite& sprite = anObject.Get<Kiln::SceneSprite>("Sprite");
        SpriteRecord record;
        if (Kiln::TextureManager* textures = anEngine.GetTextureManager())
            record.mySharedData.myTextures[0] =
                textures->GetTexture(MenuLayout::TexturePath(sprite, aTextureSlot), Kiln::TextureSrgbMode::ForceSrgb);
        record.myInstance.myPosition = MenuLayout::ScaledPosition(anObject, aRenderSize);
        record.myInstance.mySize = sprite.mySize;
        record.myInstance.mySizeMultiplier = MenuLayout::ScaledScale(anObject, aRenderSize);
        return record;
    }
}

void MenuManager::Init(Kiln::Engine& anEngine, const std::string& aPageName)
{
    const Kiln::Vector2<uint32_t> size = anEngine.GetRenderSize();
    myRenderSize = {static_cast<float>(size.x), static_cast<float>(size.y)};
    LoadMenu("scenes\\" + aPageName + ".ksc");
    myCursor.Init(anEngine);
    PlaceCursor();
}

void MenuManager::LoadMenu(const std::string& aScenePath)
{
    SceneLoader loader(aScenePath.c_str());
    const std::vector<CustomSceneObject> objects = loader.LoadAll();
    const bool isMainPage = aScenePath == MainMenuPage;
    if (const std::string problem = loader.FindFolderProblem(); !problem.empty())
    {
        // Without the main page there is nothing to choose; any other page is left by Back.
        if (isMainPage)
            throw ContentError("menu page folder " + problem + "; the game has no main menu");
        std::fprintf(stderr, "Menu page folder %s; the page stays empty and Back leaves it\n", problem.c_str());
    }

    myButtons.clear();
    myBackgrounds.clear();
    mySliders.clear();
    myDecals.clear();
    myPagePath = aScenePath;

    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (!engine)
        return;
    const bool afterTheEndingArt = myIsAfterTheEnding && isMainPage;
    // Buttons are ordered by label: the labels carry their position ("1. Play").
    std::map<std::string, MenuButton> buttons;
    for (const CustomSceneObject& object : objects)
    {
        const std::string_view definition = object.myObjectDefinition.GetView();
        if (definition == "Button")
        {
            MenuButton button;
            button.Init(*engine, object, myRenderSize);
            std::cout << object.myPosition.x << " " << object.myPosition.y << " " << object.myScale.x << " "
                      << object.myScale.y << "\n";
            buttons.emplace(button.GetText(), std::move(button));
        }
        else if (definition == "KOB_Background")
        {
            SpriteRecord record = MakePicture(*engine, object, myRenderSize, afterTheEndingArt ? 1 : 0);
            std::cout << "scale " << record.myInstance.mySizeMultiplier.x << " " << record.myInstance.mySizeMultiplier.y << "\n";
            myBackgrounds.push_back(record);
        }
        else if (definition == "KOB_Decal")
        {
            myDecals.push_back(MakePicture(*engine, object, myRenderSize, 0));
        }
        else if (definition == "KOB_Slider")
        {
            MenuSlider slider;
            slider.Init(*engine, object, myRenderSize, static_cast<uint32_t>(object.Get<int32_t>("SoundType")));
            mySliders.push_back(slider);
        }
    }
    for (auto& [label, button] : buttons)
        myButtons.push_back(std::move(button));
    if (isMainPage && myButtons.empty())
    {
        throw ContentError(ContentError::DescribeSceneFolder(aScenePath) +
                           ": the main menu has no button (no object of the definition \"Button\"); the game cannot go on");
    }

    mySelected = 0;
    PlaceCursor();
}

void MenuManager::OpenMainMenu()
{
    myIsAfterTheEnding = true;
    LoadMenu(MainMenuPage);
}

void MenuManager::OpenPauseMenu()
{
    LoadMenu(PausePage);
}

void MenuManager::PlaceCursor()
{
    myCursor.SetHidden(myButtons.empty());
    if (!myButtons.empty())
        myCursor.SetPosition(myButtons[static_cast<size_t>(mySelected)].GetCursorAnchor());
}

void MenuManager::SelectPrevious()
{
    if (myButtons.empty())
        return;
    const int32_t count = static_cast<int32_t>(myButtons.size());
    mySelected = (mySelected - 1 + count) % count;
    PlaceCursor();
}

void MenuManager::SelectNext()
{
    if (myButtons.empty())
        return;
    const int32_t count = static_cast<int32_t>(myButtons.size());
    mySelected = (mySelected + 1) % count;
    PlaceCursor();
}

std::string MenuManager::SelectedLabel() const
{
    return myButtons.empty() ? std::string() : myButtons[static_cast<size_t>(mySelected)].GetText();
}

void MenuManager::StepSliders(uint32_t aSoundType, float aFraction)
{
    for (MenuSlider& slider : mySliders)
    {
        if (slider.GetType() == aSoundType)
            slider.Step(aFraction);
    }
}

void MenuManager::OnInput(const InputEvent& anEvent, State& aState, GameManager& aManager)
{
    switch (aState)
    {
    case State::MainMenu: OnInputMainMenu(anEvent, aState); break;
    case State::Paused: OnInputPause(anEvent, aState); break;
    case State::LevelSelect: OnInputLevelSelect(anEvent, aState, aManager); break;
    case State::Options: OnInputOptions(anEvent, aState); break;
    case State::Credits: OnInputCredits(anEvent, aState); break;
    default: break;
    }
}

bool MenuManager::Navigate(const InputEvent& anEvent, bool aSidewaysMoves)
{
    if (!IsPress(anEvent))
        return true;
    switch (anEvent.action)
    {
    case Action::Up: SelectPrevious(); return true;
    case Action::Down: SelectNext(); return true;
    case Action::Left:
        if (!aSidewaysMoves)
            return false;
        SelectPrevious();
        return true;
    case Action::Right:
        if (!aSidewaysMoves)
            return false;
        SelectNext();
        return true;
    case Action::Select: PostMaster::Send(MessageType::MenuSelect); return false;
    default: return false;
    }
}

void MenuManager::OnInputMainMenu(const InputEvent& anEvent, State& aState)
{
    if (Navigate(anEvent, true) || anEvent.action != Action::Select)
        return;
    const std::string label = SelectedLabel();
    if (label == "1. Play")
    {
        aState = State::IntroVideo;
    }
    else if (label == "2. Level Select")
    {
        LoadMenu(LevelSelectPage);
        aState = State::LevelSelect;
    }
    else if (label == "3. Options")
    {
        LoadMenu(OptionsPage);
        myOptionsReturnState = static_cast<uint32_t>(State::MainMenu);
        aState = State::Options;
    }
    else if (label == "4. Credits")
    {
        LoadMenu(CreditsPage);
        aState = State::Credits;
    }
    else if (label == "5. Exit")
    {
        PostMaster::Send(MessageType::StopMusic);
        aState = State::Quit;
    }
}

void MenuManager::OnInputLevelSelect(const InputEvent& anEvent, State& aState, GameManager& aManager)
{
    if (Navigate(anEvent, true))
        return;
    if (anEvent.action == Action::Back)
    {
        LoadMenu(MainMenuPage);
        aState = State::MainMenu;
        return;
    }
    if (anEvent.action != Action::Select)
        return;
    const std::string label = SelectedLabel();
    if (const Levels::Level* level = Levels::FindByMenuLabel(label))
    {
        LoadMenu(PausePage);
        aManager.SetLevelPath(level->myPath);
        aState = State::Playing;
    }
    else if (label == "4. Back")
    {
        LoadMenu(MainMenuPage);
        aState = State::MainMenu;
    }
}

void MenuManager::LeaveOptions(State& aState)
{
    if (myOptionsReturnState == static_cast<uint32_t>(State::MainMenu))
    {
        LoadMenu(MainMenuPage);
        aState = State::MainMenu;
    }
    else if (myOptionsReturnState == static_cast<uint32_t>(State::Paused))
    {
        LoadMenu(PausePage);
        aState = State::Paused;
    }
}

void MenuManager::OnInputOptions(const InputEvent& anEvent, State& aState)
{
    // Left and right move the chosen slider here, not the cursor.
    if (Navigate(anEvent, false))
        return;
    switch (anEvent.action)
    {
    case Action::Left:
    case Action::Right:
    {
        const float step = anEvent.action == Action::Left ? -0.1f : 0.1f;
        const std::string label = SelectedLabel();
        if (label == "1. Music")
        {
            StepSliders(MenuSlider::Music, step);
        }
        else if (label == "2. SFX")
        {
            PostMaster::Send(MessageType::MenuSelect);
            StepSliders(MenuSlider::Effects, step);
        }
        break;
    }
    case Action::Select:
    {
        const std::string label = SelectedLabel();
        if (label == "3. Toggle Fullscreen")
        {
            if (Kiln::Engine* engine = Kiln::Engine::GetInstance())
                engine->SetFullScreen(myFullScreenToggle);
            myFullScreenToggle = !myFullScreenToggle;
        }
        else if (label == "4. Back")
        {
            LeaveOptions(aState);
        }
        break;
    }
    case Action::Back: LeaveOptions(aState); break;
    default: break;
    }
}

void MenuManager::OnInputCredits(const InputEvent& anEvent, State& aState)
{
    if (Navigate(anEvent, true))
        return;
    if ((anEvent.action == Action::Select && SelectedLabel() == "Back") || anEvent.action == Action::Back)
    {
        LoadMenu(MainMenuPage);
        aState = State::MainMenu;
    }
}

void MenuManager::OnInputPause(const InputEvent& anEvent, State& aState)
{
    if (Navigate(anEvent, true))
        return;
    if (anEvent.action == Action::Back || anEvent.action == Action::Pause)
    {
        aState = State::Playing;
        return;
    }
    if (anEvent.action != Action::Select)
        return;
    const std::string label = SelectedLabel();
    if (label == "1. Resume")
    {
        aState = State::Playing;
    }
    else if (label == "2. Options")
    {
        LoadMenu(OptionsPage);
        myOptionsReturnState = static_cast<uint32_t>(State::Paused);
        aState = State::Options;
    }
    else if (label == "3. Back")
    {
        PostMaster::Send(MessageType::StopMusic);
        PostMaster::Send(MessageType::MainTheme);
        LoadMenu(MainMenuPage);
        aState = State::MainMenu;
    }
    else if (label == "4. Exit")
    {
        PostMaster::Send(MessageType::StopMusic);
        aState = State::Quit;
    }
}

void MenuManager::Render()
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (!engine || !engine->GetGraphicsEngine() || !engine->GetGraphicsEngine()->GetGraphicsStateStack())
        return;
    engine->GetGraphicsEngine()->GetGraphicsStateStack()->SetDefaultCamera();
    for (MenuButton& button : myButtons)
        button.Render();
    for (const SpriteRecord& background : myBackgrounds)
        DrawSpriteRecord(background);
    for (const SpriteRecord& decal : myDecals)
        DrawSpriteRecord(decal);
    for (MenuSlider& slider : mySliders)
        slider.Render();
    myCursor.Render();
}
