#pragma once
// The shipped levels played for real: a started engine over the generated game assets, the
// shipped animation controllers, a GameWorld for a level, and a scripted route whose key
// presses reach the player as InputEvents through the input mapper (a real input manager
// fed window messages), the world stepped at a fixed step (1/60 s unless a test sets another). The messages the level's
// objects post are counted, and a trace of the hero's path is kept for failure reports.
#include "AnimationLibrary.h"
#include "CheckPoints.h"
#include "GameWorld.h"
#include "InputEvent.h"
#include "InputMapper.h"
#include "Message.h"
#include "ParticleRegistry.h"
#include "Player.h"
#include "PostMaster.h"
#include "Sound.h"
#include "State.h"
#include "Subscriber.h"

#include "forge/input/InputManager.h"

#include "Platform/window/Messages.h"
#include "Support/ScopedEngine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace LevelPlay
{
    // One scripted key event of a route, and when it happens: at a time since the level
    // loaded, a time after the event before it, or once the hero's x reaches a value.
    struct RouteEvent
    {
        enum class When { Time, After, HeroX } when = When::Time;
        float value = 0.0f;   // seconds, or units for HeroX
        bool down = true;
        bool tap = false;     // down for one frame, then up
        uint32_t key = 0;     // virtual-key code
        int line = 0;
    };

    // "<when> <press|release|tap> <Left|Right|Jump|Dash|Interact>" per line, "//" comments;
    // <when> is "12.5" (seconds since the level loaded), "+0.25" (seconds after the event
    // before) or "x2300" (once the hero's x reaches 2300). Empty on a malformed line, with
    // anError set.
    inline std::vector<RouteEvent> ParseRoute(const std::string& aText, std::string* anError)
    {
        static const std::map<std::string, uint32_t> keys = {{"Left", 37}, {"Right", 39}, {"Jump", 32}, {"Dash", 16}, {"Interact", 69}};
        std::vector<RouteEvent> events;
        std::istringstream lines(aText);
        std::string line;
        float lastTime = 0.0f;
        for (int number = 1; std::getline(lines, line); ++number)
        {
            std::istringstream words(line.substr(0, line.find("//")));
            std::string when, verb, key, rest;
            if (!(words >> when))
                continue;
            RouteEvent event{when[0] == '+' ? RouteEvent::When::After : when[0] == 'x' ? RouteEvent::When::HeroX : RouteEvent::When::Time};
            const std::string amount = event.when == RouteEvent::When::Time ? when : when.substr(1);
            char* end = nullptr;
            event.value = std::strtof(amount.c_str(), &end);
            const char* problem = amount.empty() || !std::isdigit(static_cast<unsigned char>(amount[0])) || *end ? "is not a time, +time or x position"
                                  : !(words >> verb >> key) || (words >> rest) || !keys.count(key) || (verb != "press" && verb != "release" && verb != "tap")
                                      ? "expected '<when> press|release|tap Left|Right|Jump|Dash|Interact'"
                                  : event.when == RouteEvent::When::Time && event.value < lastTime - 1e-6f ? "times must not go back"
                                                                                                          : nullptr;
            if (problem)
            {
                *anError = "line " + std::to_string(number) + ": '" + when + "' " + problem;
                return {};
            }
            lastTime = event.when == RouteEvent::When::Time ? event.value : lastTime;
            event.down = verb != "release";
            event.tap = verb == "tap";
            event.key = keys.at(key);
            event.line = number;
            events.push_back(event);
        }
        return events;
    }

    inline std::string ReadFile(const std::string& aPath)
    {
        std::ifstream file(aPath, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // Counts every message type the level's objects post.
    class MessageCounter : public Subscriber
    {
    public:
        MessageCounter()
        {
            for (int type = 0; type <= 23; ++type)
                PostMaster::GetInstance().Subscribe(static_cast<MessageType>(type), this);
        }
        ~MessageCounter() override
        {
            for (int type = 0; type <= 23; ++type)
                PostMaster::GetInstance().Unsubscribe(static_cast<MessageType>(type), this);
        }
        void Receive(const Message& aMessage) override
        {
            ++myCounts[aMessage.type];
            if (aMessage.type != MessageType::FootstepsStart && aMessage.type != MessageType::FootstepsStop)
                myLog.push_back(aMessage.type);
        }
        int Count(MessageType aType) const
        {
            const auto it = myCounts.find(aType);
            return it == myCounts.end() ? 0 : it->second;
        }
        std::vector<MessageType> myLog;

    private:
        std::map<MessageType, int> myCounts;
    };

    class LevelPlayTest : public ::testing::Test
    {
    protected:
        static constexpr float STEP = 1.0f / 60.0f;
        // The step the level is loaded and played at.
        float myStep = STEP;

        void SetUp() override
        {
            myEngine = std::make_unique<KilnTest::ScopedEngine>(myEngineSetup);
            ASSERT_TRUE(myEngine->Started());
            // The shipped controllers. Their sheets' textures belong to the engine they were
            // loaded with, and the library outlives each test's engine: they are loaded again
            // for this one, or a drawn level would use the textures of a destroyed engine.
            AnimationLibrary* library = AnimationLibrary::GetInstance();
            for (const char* path : AnimationLibrary::CONTROLLER_PATHS)
            {
                library->Unload(path);
                library->LoadController(path);
            }
            InputMapper::GetInstance().ClearInputToEventMappings();
            myInput = std::make_unique<Kiln::InputManager>(myEngine->Window());
            InputMapper& mapper = InputMapper::GetInstance();
            mapper.SetInputManagers(myInput.get(), nullptr);
            for (const auto& [code, action] : {std::pair{37u, Action::Left}, {39u, Action::Right}, {32u, Action::Jump}, {16u, Action::Dash},
                                               {69u, Action::Interact}})
                mapper.AddInputToEventMapping(code, action);
            myCounter = std::make_unique<MessageCounter>();
        }

        void TearDown() override
        {
            myWorld.reset();
            myCounter.reset();
            InputMapper::GetInstance().SetInputManagers(nullptr, nullptr);
            InputMapper::GetInstance().ClearInputToEventMappings();
            myInput.reset();
            ParticleRegistry::GetInstance().Clear();
            myEngine.reset();
        }

        // Creates the world for aLevelPath and runs it until the level has loaded.
        void Load(const char* aLevelPath)
        {
            myLevelPath = aLevelPath;
            myState = State::Playing;
            myWorld = std::make_unique<GameWorld>();
            myWorld->Init(myLevelPath.c_str(), myState);
            for (int frame = 0; frame < 5000 && !myWorld->IsLevelLoaded(); ++frame)
                myWorld->Update(myStep);
            ASSERT_TRUE(myWorld->IsLevelLoaded()) << aLevelPath;
            ASSERT_NE(myWorld->GetPlayer(), nullptr) << aLevelPath;
        }

        // A key pressed or let go as the window reports it.
        void Key(uint32_t aKey, bool aDown) { myInput->UpdateEvents(aDown ? Plat::Window::WM_KEYDOWN : Plat::Window::WM_KEYUP, aKey, 0); }

        // Steps the world up to aFrames frames, until anUntil holds.
        void Step(int aFrames, const std::function<bool()>& anUntil = {})
        {
            for (int frame = 0; frame < aFrames && !(anUntil && anUntil()); ++frame)
            {
                InputMapper::GetInstance().Update();
                myWorld->Update(myStep);
            }
        }

        // Plays aRoute from the first loaded frame at myStep a frame until the world reports
        // state 9, the next event has waited aSpareSeconds, or aSpareSeconds have passed after
        // the last one; true when the exit was reached.
        bool Play(const std::vector<RouteEvent>& aRoute, float aSpareSeconds)
        {
            size_t next = 0;
            float time = 0.0f, traced = -1.0f, fired = 0.0f;
            std::vector<uint32_t> tapped;
            myTrace.str("");
            for (int frame = 0; time <= fired + aSpareSeconds; ++frame)
            {
                time = float(frame) * myStep;
                for (uint32_t key : tapped)
                    Key(key, false);
                tapped.clear();
                const float heroX = myWorld->GetPlayer()->GetPosition().x;
                while (next < aRoute.size())
                {
                    const RouteEvent& event = aRoute[next];
                    const bool due = event.when == RouteEvent::When::Time    ? event.value <= time + 1e-4f
                                     : event.when == RouteEvent::When::After ? fired + event.value <= time + 1e-4f
                                                                             : heroX >= event.value;
                    if (!due)
                        break;
                    Key(event.key, event.down);
                    if (event.tap)
                        tapped.push_back(event.key);
                    fired = time;
                    ++next;
                }
                const size_t logged = myCounter->myLog.size();
                InputMapper::GetInstance().Update();
                myWorld->Update(myStep);
                const Kiln::Vector3<float> p = myWorld->GetPlayer()->GetPosition();
                if (time - traced >= 0.25f || myCounter->myLog.size() != logged)
                {
                    char line[160];
                    std::snprintf(line, sizeof(line), "t %6.2f  x %8.1f  y %7.1f  vx %7.1f  vy %7.1f  event %zu", time, p.x, p.y,
                                  myWorld->GetPlayer()->GetVelocity().x, myWorld->GetPlayer()->GetVelocity().y, next);
                    myTrace << line;
                    for (size_t i = logged; i < myCounter->myLog.size(); ++i)
                        myTrace << "  [" << Name(myCounter->myLog[i]) << "]";
                    myTrace << "\n";
                    traced = time;
                }
                const bool goOn = !myAfterFrame || myAfterFrame();
                if (myState == State::NextLevel)
                {
                    myFinishTime = time;
                    return true;
                }
                if (!goOn)
                    return false;
            }
            return false;
        }

        static const char* Name(MessageType aType)
        {
            static const std::map<MessageType, const char*> names = {
                {MessageType::SaveState, "save"},       {MessageType::RestoreState, "restore"},    {MessageType::UpgradeGranted, "upgrade"},
                {MessageType::NpcTalk, "talk"},         {MessageType::CheckpointReached, "checkpoint"}, {MessageType::WallBroken, "wall broken"},
                {MessageType::PotBroken, "pot broken"}, {MessageType::Dash, "dash"},               {MessageType::Land, "land"},
                {MessageType::DoubleJump, "jump"},      {MessageType::EnemyDied, "enemy died"},    {MessageType::LevelExit, "exit"},
                {MessageType::DoorOpened, "door opened"}, {MessageType::PlayerDied, "DIED"},       {MessageType::PlayerHurt, "HURT"},
                {MessageType::PlayerHealed, "healed"},  {MessageType::ChaseMusic, "chase"}};
            const auto it = names.find(aType);
            return it == names.end() ? "msg" : it->second;
        }

        std::unique_ptr<KilnTest::ScopedEngine> myEngine;
        std::unique_ptr<Kiln::InputManager> myInput;
        std::unique_ptr<MessageCounter> myCounter;
        std::unique_ptr<GameWorld> myWorld;
        std::string myLevelPath;
        State myState = State::Playing;
        std::ostringstream myTrace;
        float myFinishTime = 0.0f;
        // Changes to the engine's configuration (a fixture's constructor sets it).
        std::function<void(Kiln::EngineConfiguration&)> myEngineSetup;
        // Called after each frame Play steps; false ends the play after that frame.
        std::function<bool()> myAfterFrame;
    };
}
