#include "GameManager.h"

#include "AnimationLibrary.h"
#include "Cutscene.h"
#include "GameWorld.h"
#include "InputMapper.h"
#include "Levels.h"
#include "MenuButton.h"
#include "MenuManager.h"
#include "Message.h"
#include "PostMaster.h"
#include "SceneLoader.h"
#include "Sound.h"
#include "Splashscreen.h"
#include "StartupLoader.h"
#include "Timer.h"

#include "forge/engine/Engine.h"
#include "forge/scene/GameAssetsRoot.h"
#include "forge/text/TextService.h"
#include "forge/texture/TextureManager.h"

#include "Platform/runtime/Paths.h"

#include "Platform/runtime/Assert.h"
#include "Platform/runtime/Console.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <utility>
#include <variant>
#include <vector>

namespace
{
    // Start-up's share of a splash frame: read-ahead textures made, then steps run for
    // this long (a frame of the splash stays well under 33 ms).
    constexpr size_t STARTUP_BYTES_PER_FRAME = size_t(4) << 20;
    constexpr double STARTUP_SECONDS_PER_FRAME = 0.008;

    // The game's bindings, in the order they are added: a code bound to several actions
    // raises them in this order (Esc: Back, then Pause).
    const std::pair<uint32_t, uint32_t> theBindings[] = {
        {104, Action::Move},
        {38, Action::Up},        {87, Action::Up},        {88, Action::Up},
        {40, Action::Down},      {83, Action::Down},      {89, Action::Down},
        {37, Action::Left},      {65, Action::Left},      {90, Action::Left},
        {39, Action::Right},     {68, Action::Right},     {91, Action::Right},
        {32, Action::Jump},      {38, Action::Jump},      {87, Action::Jump},      {88, Action::Jump},     {98, Action::Jump},
        {16, Action::Dash},      {17, Action::Dash},      {100, Action::Dash},
        {13, Action::Interact},  {69, Action::Interact},  {101, Action::Interact},
        {13, Action::Select},    {32, Action::Select},    {69, Action::Select},    {98, Action::Select},
        {27, Action::Back},      {93, Action::Back},      {99, Action::Back},
        {27, Action::Pause},     {92, Action::Pause},
        {106, Action::InputDeviceChanged},
    };
    static_assert(std::size(theBindings) == 34);
}

GameManager::GameManager() = default;

GameManager::~GameManager()
{
    if (myInputListenerId != 0)
        InputMapper::GetInstance().RemoveInputEventListener(myInputListenerId);
}

void GameManager::Init(const char* aScenePath)
{
    myLevelPath = aScenePath ? aScenePath : "";
    myMenuManager = std::make_unique<MenuManager>();
    myStartup = std::make_unique<StartupLoader>();
    // In the order these once loaded before the first frame, so their messages keep it.
    StartupLoader& startup = *myStartup;
    const auto texturesReady = [&startup] { return startup.TexturesReady(); };
    startup.Add([] { Sound::GetInstance().FinishInit(); }, [] { return Sound::GetInstance().IsDecoded(); });
    // The buttons' fonts, built on worker threads, kept for the run: a font no text holds is
    // made again for every button of every page.
    for (const uint32_t size : MenuButton::LABEL_SIZES)
        startup.Add([this, size] { myMenuFonts.emplace_back(MenuButton::LABEL_FONT, size, 0); },
                    [size] {
                        Kiln::Engine* engine = Kiln::Engine::GetInstance();
                        Kiln::TextService* text = engine ? engine->GetTextService() : nullptr;
                        return text == nullptr || text->IsFontReady(MenuButton::LABEL_FONT, size, 0);
                    });
    startup.Add(
        [this] {
            if (Kiln::Engine* engine = Kiln::Engine::GetInstance())
                myMenuManager->Init(*engine, "mainmenu");
        },
        texturesReady);
    for (size_t i = 0; i < std::size(AnimationLibrary::CONTROLLER_PATHS); ++i)
        startup.Add([] { AnimationLibrary::LoadNextController(); }, texturesReady);
    startup.Add([this] { std::cout << myLevelPath << std::flush; });
    InitializeInput();
}

void GameManager::AddBindings(InputMapper& aMapper)
{
    for (const auto& [code, action] : theBindings)
        aMapper.AddInputToEventMapping(code, action);
}

void GameManager::InitializeInput()
{
    InputMapper& mapper = InputMapper::GetInstance();
    AddBindings(mapper);
    myInputListenerId = mapper.AddInputEventListener([this](const InputEvent& anEvent) { OnInput(anEvent); });
}

void GameManager::OnInput(const InputEvent& anEvent)
{
    if (myState != myInputFrameState)
        return;
    switch (myState)
    {
    case State::MainMenu:
    case State::Paused:
    case State::Options:
    case State::Credits:
        if (myMenuManager)
            myMenuManager->OnInput(anEvent, myState, *this);
        break;
    case State::IntroVideo:
        if (myIntroCutscene)
            myIntroCutscene->OnInputIntro(anEvent);
        break;
    case State::Playing:
    {
        const bool* pressed = std::get_if<bool>(&anEvent.value);
        if (pressed && *pressed && anEvent.action == Action::Pause)
            myState = State::Paused;
        break;
    }
    case State::LevelSelect:
        if (myMenuManager)
            myMenuManager->OnInput(anEvent, myState, *this);
        if (myState == State::Playing)
            CreateWorld();
        break;
    case State::OutroVideo:
        if (myOutroCutscene)
            myOutroCutscene->OnInputOutro(anEvent);
        break;
    default: break;
    }
}

void GameManager::Run()
{
    BeginRun();
    Timer timer;
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine && engine->BeginFrame())
    {
        for (;;)
        {
            const bool goOn = RunFrame(timer.GetDeltaTime());
            engine->EndFrame();
            if (!goOn)
                break;
            timer.Update();
            if (!engine->BeginFrame())
                break;
        }
    }
    // A run that ends during the splash screen still loads what start-up would have: the
    // same messages, and bad content is still refused.
    FinishStartup();
}

void GameManager::BeginRun()
{
    myState = State::Splashscreen;
    mySplashscreen = std::make_unique<Splashscreen>();
    mySplashscreen->Init();

    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine == nullptr || !myStartup)
        return;
    if (Kiln::TextService* text = engine->GetTextService())
        for (const uint32_t size : MenuButton::LABEL_SIZES)
            text->PrefetchFont(MenuButton::LABEL_FONT, size, 0);
    Kiln::TextureManager* textures = engine->GetTextureManager();
    if (textures == nullptr)
        return;
    // The scene folders the start-up steps read: every menu page and every controller.
    std::vector<std::string> folders;
    const auto addFolder = [&](const char* aScenePath) {
        std::filesystem::path folder = Kiln::impl::GetGameAssetsPath() / Plat::Runtime::ToPortableSeparators(aScenePath);
        folder += ".leveldata";
        folders.push_back(Plat::Runtime::ResolveCase(folder).string());
    };
    for (const char* page : MenuManager::PAGE_PATHS)
        addFolder(page);
    for (const char* controller : AnimationLibrary::CONTROLLER_PATHS)
        addFolder(controller);
    myStartup->PrefetchTextures(*textures, folders, {std::begin(SceneLoader::LOADING_SCREEN_TEXTURES), std::end(SceneLoader::LOADING_SCREEN_TEXTURES)});
}

void GameManager::FinishStartup()
{
    if (myStartup && !myStartup->IsDone())
        myStartup->Finish();
}

bool GameManager::RunFrame(float aDeltaTime)
{
    // Only the splash screen plays while start-up loads; every other screen needs it done.
    if (myState != State::Splashscreen)
        FinishStartup();
    myInputFrameState = myState;
    InputMapper::GetInstance().Update();
    return UpdateState(aDeltaTime);
}

bool GameManager::UpdateState(float aDeltaTime)
{
    switch (myState)
    {
    case State::Splashscreen:
        KILN_ASSERT(mySplashscreen != nullptr);
        if (!mySplashscreen)
            break;
        mySplashscreen->Update(aDeltaTime, myState);
        mySplashscreen->Render();
        if (myState == State::MainMenu)
        {
            // The menu answers keys from the next frame on: all of it is there by then.
            FinishStartup();
            mySplashscreen.reset();
            PostMaster::Send(MessageType::MainTheme);
        }
        else if (myStartup)
        {
            myStartup->Update(STARTUP_BYTES_PER_FRAME, STARTUP_SECONDS_PER_FRAME);
        }
        break;
    case State::MainMenu:
    case State::LevelSelect:
    case State::Options:
    case State::Credits:
        if (myMenuManager)
            myMenuManager->Render();
        break;
    case State::IntroVideo: UpdateIntro(aDeltaTime); break;
    case State::Playing:
        if (myWorld)
        {
            myWorld->Update(aDeltaTime);
            myWorld->Render();
        }
        break;
    case State::Paused:
        // The frozen world behind the pause page.
        if (myWorld)
            myWorld->Render();
        if (myMenuManager)
            myMenuManager->Render();
        break;
    case State::Reserved: AnimationLibrary::GetInstance(); break;
    case State::NextLevel: LoadNextLevel(); break;
    case State::OutroVideo: UpdateOutro(aDeltaTime); break;
    case State::Quit: return false;
    default:
        std::printf("Game crashed! Catastrophic error. Need to force shutdown and restart program.\n");
        std::fflush(stdout);
        Plat::Runtime::PauseConsole();
        break;
    }
    return true;
}

void GameManager::UpdateIntro(float aDeltaTime)
{
    if (!myIntroCutscene)
    {
        PostMaster::Send(MessageType::StopMusic);
        myIntroCutscene = std::make_unique<Cutscene>();
        myIntroCutscene->InitIntro();
    }
    myIntroCutscene->UpdateIntro(aDeltaTime, myState);
    myIntroCutscene->Render();
    if (myState == State::Playing)
    {
        myLevelPath = Levels::First().myPath;
        CreateWorld();
        if (myMenuManager)
            myMenuManager->OpenPauseMenu();
        myIntroCutscene.reset();
    }
}

void GameManager::UpdateOutro(float aDeltaTime)
{
    if (!myOutroCutscene)
    {
        myWorld.reset();
        myOutroCutscene = std::make_unique<Cutscene>();
        myOutroCutscene->InitOutro();
    }
    myOutroCutscene->UpdateOutro(aDeltaTime, myState);
    myOutroCutscene->Render();
    if (myState == State::MainMenu)
    {
        if (myMenuManager)
            myMenuManager->OpenMainMenu();
        myOutroCutscene.reset();
    }
}

void GameManager::LoadNextLevel()
{
    const std::string finished = myLevelPath;
    myWorld.reset();

    const Levels::Level* level = Levels::Find(finished);
    if (level == nullptr)
    {
        myState = State::MainMenu;
        return;
    }
    PostMaster::Send(MessageType::StopMusic);
    const Levels::Level* next = Levels::Next(*level);
    if (next == nullptr)
    {
        myState = State::OutroVideo;
        return;
    }
    myLevelPath = next->myPath;
    CreateWorld();
    myState = State::Playing;
}

void GameManager::CreateWorld()
{
    // A world left behind by the pause page's "3. Back" goes first.
    myWorld.reset();
    myWorld = std::make_unique<GameWorld>();
    myWorld->Init(myLevelPath.c_str(), myState);
}
