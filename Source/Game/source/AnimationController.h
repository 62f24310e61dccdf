#pragma once
// A sprite-sheet state machine: named states (a frame range on one sheet at a frame rate,
// looping or not) and the transitions each state allows, copied from a controller scene of
// the AnimationLibrary. Update advances the frame clock and takes a pending request;
// the Apply operations write the current cell into sprite instances.
//
// Content faults (a state the controller does not have, a state that both loops and waits,
// a sheet without cells) throw ContentError naming the controller.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/Sprite3DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class AnimationController
{
public:
    // One state.
    struct Animation
    {
        bool myWaitTransition = false; // a requested change waits for the end frame
        bool myLoop = false;
        int32_t myId = 0;
        int32_t mySheetId = 0;
        int32_t myEndFrame = 0;   // inclusive
        int32_t myStartFrame = 0;
        float myFramesPerSecond = 0.0f;
        std::vector<std::string> myTransitions; // states this one may change to, in path order
        std::string myName;
    };

    using AnimationMap = std::map<std::string, Animation, std::less<>>;
    using SheetMap = std::map<int32_t, Kiln::SpriteSharedData>;

    AnimationController();
    ~AnimationController();
    // A copy has its own states and cells and shares the library's sheets.
    AnimationController(const AnimationController& anOther);
    AnimationController& operator=(const AnimationController& anOther);

    // Takes the states and sheets of the controller scene aPath from the library (text
    // exactly as the library was loaded with) and builds the cell tables.
    void Init(std::string_view aPath);

    // Switches now, whatever the transitions allow.
    void SetState(std::string_view aState);
    // Asks for a change at the next Update; the first request since the last Update wins.
    void SetNextState(std::string_view aState);
    void Update(float aDeltaTime);

    int32_t GetCurrentFrame() const { return myCurrentFrame; }
    // Empty before a state is set.
    const std::string& GetCurrentAnimationName() const;
    // The shared data of the current sheet (an empty one when the sheet id has none).
    const Kiln::SpriteSharedData& GetCurrentTexture();

    // The current cell (left, top, right, bottom in UV) into the custom data.
    void ApplyToParticleInstance(Kiln::Sprite2DInstanceData& anInstance) const;
    void ApplyToSpriteInstance(Kiln::Sprite3DInstanceData& anInstance) const;
    // The size multiplier becomes (aspect.x, aspect.y).
    void ApplyAspectToInstance(Kiln::Sprite2DInstanceData& anInstance) const;
    // Rows 0, 1 and 2 times aspect.x, aspect.y and aspect.z.
    void ApplyAspectToMatrix(Kiln::Matrix4x4<float>& aMatrix) const;
    // A uniform frame of the current state, from the game's random engine.
    void RandomizeFrame();

    int32_t GetCurrentSheet() const { return myCurrentSheet; }
    float GetFrameTimer() const { return myFrameTimer; }
    const std::string& GetNextState() const { return myNextState; }
    const Kiln::Vector3<float>& GetAspectScale() const { return myAspectScale; }
    const AnimationMap& GetAnimations() const { return myAnimations; }
    AnimationMap& GetAnimations() { return myAnimations; }
    const Animation* GetCurrentAnimation() const { return myCurrentAnimation; }
    // The cell rectangles of a sheet, row by row; null for a sheet without a table.
    const std::vector<Kiln::Vector4<float>>* GetCells(int32_t aSheetId) const;
    const std::string& GetPath() const { return myPath; }

private:
    void Transition();
    Kiln::Vector4<float> GetCurrentCell() const;
    [[noreturn]] void ThrowMissingState(std::string_view aState) const;

    uint8_t myHasRequest = 0;
    int32_t myCurrentFrame = 0;
    int32_t myCurrentSheet = 0;
    float myFrameTimer = 0.0f;
    std::map<int32_t, std::vector<Kiln::Vector4<float>>> myCells;
    AnimationMap myAnimations;
    SheetMap* mySheets = nullptr;
    Animation* myCurrentAnimation = nullptr;
    std::string myNextState;
    Kiln::Vector3<float> myAspectScale{0.0f, 0.0f, 0.0f};
    // The controller scene this was initialised from (for messages).
    std::string myPath;
};
