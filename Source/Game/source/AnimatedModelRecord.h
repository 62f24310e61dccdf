#pragma once
// What an "animodel" property delivers: a skinned model instance and the player of the
// clip read from the model's own file. The pair is large (a bone palette and a pose), so
// it lives on the heap and every CustomProperty stays small; copies are deep.
#include "forge/model/AnimatedModelInstance.h"
#include "forge/model/AnimationPlayer.h"

#include <memory>

class AnimatedModelRecord
{
public:
    AnimatedModelRecord();
    ~AnimatedModelRecord();
    AnimatedModelRecord(const AnimatedModelRecord& anOther);
    AnimatedModelRecord& operator=(const AnimatedModelRecord& anOther);

    Kiln::AnimatedModelInstance& GetInstance() { return myParts->myInstance; }
    const Kiln::AnimatedModelInstance& GetInstance() const { return myParts->myInstance; }
    Kiln::AnimationPlayer& GetPlayer() { return myParts->myPlayer; }
    const Kiln::AnimationPlayer& GetPlayer() const { return myParts->myPlayer; }

private:
    struct Parts
    {
        Kiln::AnimatedModelInstance myInstance;
        Kiln::AnimationPlayer myPlayer;
    };

    // Never null (moving copies, so no record is ever left empty).
    std::unique_ptr<Parts> myParts;
};
