#include "AnimationController.h"

#include "AnimationLibrary.h"
#include "ContentError.h"
#include "RandomEngine.h"

#include <algorithm>
#include <random>

namespace
{
    const Kiln::SpriteSharedData theNoSheet{};
    const std::string theNoName;
}

AnimationController::AnimationController() = default;

AnimationController::~AnimationController() = default;

AnimationController::AnimationController(const AnimationController& anOther)
{
    *this = anOther;
}

AnimationController& AnimationController::operator=(const AnimationController& anOther)
{
    if (this == &anOther)
        return *this;
    myHasRequest = anOther.myHasRequest;
    myCurrentFrame = anOther.myCurrentFrame;
    myCurrentSheet = anOther.myCurrentSheet;
    myFrameTimer = anOther.myFrameTimer;
    myCells = anOther.myCells;
    myAnimations = anOther.myAnimations;
    mySheets = anOther.mySheets;
    // The current state is the copy's own entry of the same name.
    myCurrentAnimation = nullptr;
    if (anOther.myCurrentAnimation != nullptr)
    {
        const auto found = myAnimations.find(anOther.myCurrentAnimation->myName);
        if (found != myAnimations.end())
            myCurrentAnimation = &found->second;
    }
    myNextState = anOther.myNextState;
    myAspectScale = anOther.myAspectScale;
    myPath = anOther.myPath;
    return *this;
}

void AnimationController::Init(std::string_view aPath)
{
    myCells.clear();
    AnimationControllerData& data = AnimationLibrary::GetInstance()->GetData(aPath);
    myAnimations = data.myAnimations;
    mySheets = &data.mySheets;
    myCurrentAnimation = nullptr;
    myPath = aPath;

    const int32_t sheetCount = static_cast<int32_t>(data.mySheets.size());
    for (int32_t sheet = 0; sheet < sheetCount; ++sheet)
    {
        const auto grid = data.myGrids.find(sheet);
        const int32_t columns = grid != data.myGrids.end() ? grid->second.first : 0;
        const int32_t rows = grid != data.myGrids.end() ? grid->second.second : 0;

        std::vector<Kiln::Vector4<float>> uv;
        for (int32_t r = 0; r < rows; ++r)
        {
            for (int32_t c = 0; c < columns; ++c)
            {
                const float fc = static_cast<float>(columns);
                const float fr = static_cast<float>(rows);
                uv.push_back({static_cast<float>(c) / fc, static_cast<float>(r) / fr, static_cast<float>(c + 1) / fc,
                              static_cast<float>(r + 1) / fr});
            }
        }
        if (uv.empty())
        {
            throw ContentError(ContentError::DescribeSceneFolder(myPath) + ": the animation controller's sheet " + std::to_string(sheet) +
                               " has no cells (columns " + std::to_string(columns) + ", rows " + std::to_string(rows) +
                               "; sheet ids must be 0 to " + std::to_string(sheetCount - 1) + ")");
        }
        myAspectScale = {1.0f, static_cast<float>(columns) / static_cast<float>(rows), 1.0f};
        myCells.try_emplace(sheet, std::move(uv));
    }
}

void AnimationController::ThrowMissingState(std::string_view aState) const
{
    // The game asks for its states by name: each needs a block object of that name.
    throw ContentError(ContentError::DescribeSceneFolder(myPath) + ": the animation controller has no state \"" + std::string(aState) +
                       "\" (no KOB_AnimationBlock object of that name)");
}

void AnimationController::SetState(std::string_view aState)
{
    const auto found = myAnimations.find(aState);
    if (found == myAnimations.end())
        ThrowMissingState(aState);
    myNextState = aState;
    myCurrentAnimation = &found->second;
    myCurrentFrame = myCurrentAnimation->myStartFrame;
    myCurrentSheet = myCurrentAnimation->mySheetId;
    myFrameTimer = 1.0f;
}

void AnimationController::SetNextState(std::string_view aState)
{
    if (myAnimations.find(myNextState) == myAnimations.end())
        ThrowMissingState(myNextState);
    if (myHasRequest != 0)
        return;
    myNextState = aState;
    myHasRequest = 1;
}

void AnimationController::Update(float aDeltaTime)
{
    // Nothing to animate before the first SetState.
    if (myCurrentAnimation == nullptr)
    {
        myHasRequest = 0;
        return;
    }
    if (myCurrentAnimation->myLoop && myCurrentAnimation->myWaitTransition)
    {
        throw ContentError(ContentError::DescribeSceneFolder(myPath) + ": the animation controller's state \"" + myCurrentAnimation->myName +
                           "\" both loops and waits for its end frame; a state does one or the other");
    }

    if (myNextState != myCurrentAnimation->myName &&
        (!myCurrentAnimation->myWaitTransition || myCurrentFrame == myCurrentAnimation->myEndFrame))
    {
        Transition();
    }

    if (myFrameTimer < 0.0f)
    {
        myFrameTimer += 1.0f;
        // Compared before the step, so a frame at the top of the int range does not overflow.
        if (myCurrentFrame >= myCurrentAnimation->myEndFrame)
            myCurrentFrame = myCurrentAnimation->myLoop ? myCurrentAnimation->myStartFrame : myCurrentAnimation->myEndFrame;
        else
            ++myCurrentFrame;
    }
    else
    {
        myFrameTimer -= aDeltaTime * myCurrentAnimation->myFramesPerSecond;
    }
    myHasRequest = 0;
}

void AnimationController::Transition()
{
    const auto next = myAnimations.find(myNextState);
    if (next == myAnimations.end())
        ThrowMissingState(myNextState);
    const std::vector<std::string>& allowed = myCurrentAnimation->myTransitions;
    if (std::find(allowed.begin(), allowed.end(), myNextState) != allowed.end())
    {
        myCurrentAnimation = &next->second;
        myCurrentFrame = myCurrentAnimation->myStartFrame;
        myCurrentSheet = myCurrentAnimation->mySheetId;
        myFrameTimer = 1.0f;
    }
    else
    {
        myNextState = myCurrentAnimation->myName;
    }
}

const std::string& AnimationController::GetCurrentAnimationName() const
{
    return myCurrentAnimation != nullptr ? myCurrentAnimation->myName : theNoName;
}

const Kiln::SpriteSharedData& AnimationController::GetCurrentTexture()
{
    // The library's sheets are shared by every controller of the scene: never add to them.
    if (mySheets == nullptr)
        return theNoSheet;
    const auto found = mySheets->find(myCurrentSheet);
    return found != mySheets->end() ? found->second : theNoSheet;
}

const std::vector<Kiln::Vector4<float>>* AnimationController::GetCells(int32_t aSheetId) const
{
    const auto found = myCells.find(aSheetId);
    return found != myCells.end() ? &found->second : nullptr;
}

Kiln::Vector4<float> AnimationController::GetCurrentCell() const
{
    // A frame beyond the sheet's cells shows the whole sheet rather than reading past the table.
    const std::vector<Kiln::Vector4<float>>* cells = GetCells(myCurrentSheet);
    if (cells == nullptr || myCurrentFrame < 0 || static_cast<std::size_t>(myCurrentFrame) >= cells->size())
        return {0.0f, 0.0f, 1.0f, 1.0f};
    return (*cells)[static_cast<std::size_t>(myCurrentFrame)];
}

void AnimationController::ApplyToParticleInstance(Kiln::Sprite2DInstanceData& anInstance) const
{
    anInstance.myCustomData = GetCurrentCell();
}

void AnimationController::ApplyToSpriteInstance(Kiln::Sprite3DInstanceData& anInstance) const
{
    anInstance.myCustomData = GetCurrentCell();
}

void AnimationController::ApplyAspectToInstance(Kiln::Sprite2DInstanceData& anInstance) const
{
    anInstance.mySizeMultiplier = {myAspectScale.x, myAspectScale.y};
}

void AnimationController::ApplyAspectToMatrix(Kiln::Matrix4x4<float>& aMatrix) const
{
    const float factors[3] = {myAspectScale.x, myAspectScale.y, myAspectScale.z};
    for (std::size_t row = 0; row < 3; ++row)
    {
        for (std::size_t column = 0; column < 4; ++column)
            aMatrix(row, column) *= factors[row];
    }
}

void AnimationController::RandomizeFrame()
{
    if (myCurrentAnimation == nullptr)
        return;
    const int32_t first = myCurrentAnimation->myStartFrame;
    const int32_t last = std::max(first, myCurrentAnimation->myEndFrame);
    myCurrentFrame = std::uniform_int_distribution<int32_t>(first, last)(gRandomEngine);
}
