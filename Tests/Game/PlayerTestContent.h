#pragma once
// What a player needs to exist outside a level, for tests and benchmarks: the suggested
// tuning, and in-memory stand-ins of its controller scenes installed in the animation
// library for as long as an override lives.
#include "AnimationLibrary.h"
#include "PlayerConfiguration.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Kiln
{
    class Texture;
}

namespace PlayerTest
{
    // The suggested tuning of the game's content.
    inline PlayerConfiguration DefaultTuning(Kiln::Vector3<float> aPosition = {0.0f, 50.0f, 0.0f})
    {
        PlayerConfiguration c;
        c.myPosition = aPosition;
        c.myGroundAcceleration = 10000.0f;
        c.myAirAcceleration = 8000.0f;
        c.myDashVelocityImpulse = 3000.0f;
        c.myJumpVelocityImpulse = 1800.0f;
        c.myGroundDampening = 10.0f;
        c.myAirDampening = 3.0f;
        c.myDashDampening = 8.0f;
        c.myGravityAcceleration = 4000.0f;
        c.myWalkableAngle = 45.0f;
        c.myMinimumDashVelocity = 800.0f;
        c.myCoyoteTimeDuration = 0.1f;
        return c;
    }

    // The player's states, as a content author would write A_Player: one 8 x 1 sheet, every
    // state able to reach every other, "Jump_end" and "Upgrade_anim" waiting for their end.
    inline AnimationControllerData PlayerController(Kiln::Texture* aSheet)
    {
        struct Block
        {
            const char* name;
            int32_t start, end;
            bool loop, wait;
        };
        const Block blocks[] = {{"Idle", 0, 0, true, false},       {"Run", 0, 7, true, false},
                                {"Jump_start", 1, 2, false, false}, {"Jump_idle", 3, 3, true, false},
                                {"Jump_end", 4, 5, false, true},    {"duble_jump", 1, 2, false, false},
                                {"Dash", 6, 6, false, false},       {"Upgrade_anim", 0, 7, false, true}};
        AnimationControllerData data;
        int32_t id = 0;
        for (const Block& b : blocks)
        {
            AnimationController::Animation& a = data.myAnimations[b.name];
            a.myName = b.name;
            a.myId = id++;
            a.myStartFrame = b.start;
            a.myEndFrame = b.end;
            a.myLoop = b.loop;
            a.myWaitTransition = b.wait;
            a.myFramesPerSecond = 12.0f;
            for (const Block& other : blocks)
                if (&other != &b)
                    a.myTransitions.push_back(other.name);
        }
        Kiln::SpriteSharedData sheet;
        sheet.myTextures[0] = aSheet;
        data.mySheets[0] = sheet;
        data.myGrids[0] = {8, 1};
        return data;
    }

    // A one-state effect controller.
    inline AnimationControllerData EffectController()
    {
        AnimationControllerData data;
        AnimationController::Animation& idle = data.myAnimations["Idle"];
        idle.myName = "Idle";
        idle.myEndFrame = 3;
        idle.myFramesPerSecond = 10.0f;
        data.mySheets[0] = {};
        data.myGrids[0] = {4, 1};
        return data;
    }

    // Replaces library entries for its lifetime and puts back what was there.
    class ControllerOverride
    {
    public:
        void Install(const std::string& aPath, const AnimationControllerData& someData)
        {
            AnimationLibrary* library = AnimationLibrary::GetInstance();
            const AnimationControllerData* previous = library->FindData(aPath);
            mySaved.emplace_back(aPath, previous ? std::optional<AnimationControllerData>(*previous) : std::nullopt);
            library->GetData(aPath) = someData;
        }
        ~ControllerOverride()
        {
            AnimationLibrary* library = AnimationLibrary::GetInstance();
            for (auto it = mySaved.rbegin(); it != mySaved.rend(); ++it)
            {
                if (it->second)
                    library->GetData(it->first) = *it->second;
                else
                    library->Unload(it->first);
            }
        }

    private:
        std::vector<std::pair<std::string, std::optional<AnimationControllerData>>> mySaved;
    };
}
