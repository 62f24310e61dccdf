#pragma once
// Plays one clip: advances a time while playing and samples the clip's two frames around
// it into a local-space pose. Copied by value; copies share the clip.
#include "forge/model/Animation.h"
#include "forge/model/LocalSpacePose.h"

#include <cstdint>
#include <memory>

namespace Kiln
{
    class AnimationPlayer
    {
    public:
        static constexpr uint8_t STATE_CREATED = 1;   // time stands still
        static constexpr uint8_t STATE_PLAYING = 2;
        static constexpr uint8_t STATE_FINISHED = 5;  // held on the last frame

        // Keeps the time and the state; takes the clip's frame rate.
        void SetAnimation(const std::shared_ptr<Animation>& anAnimation);

        // Advances the time while playing, then samples. Allocates nothing.
        void Update(float aDeltaTime);
        // Writes the pose for the current time. Without a clip to sample (none, no frames,
        // no frame rate) the pose is left as it is.
        void SampleFrames();

        const std::shared_ptr<Animation>& GetAnimation() const { return myAnimation; }
        const LocalSpacePose& GetPose() const { return myPose; }
        float GetTime() const { return myTime; }
        void SetTime(float aTime) { myTime = aTime; }
        bool IsLooping() const { return myIsLooping; }
        void SetLooping(bool aLooping) { myIsLooping = aLooping; }
        bool IsInterpolating() const { return myInterpolate; }
        void SetInterpolate(bool anInterpolate) { myInterpolate = anInterpolate; }
        float GetFramesPerSecond() const { return myFramesPerSecond; }
        uint8_t GetState() const { return myState; }
        void SetState(uint8_t aState) { myState = aState; }

    private:
        std::shared_ptr<Animation> myAnimation;
        float myTime = 0.0f;
        bool myIsLooping = false;
        bool myInterpolate = true;
        float myFramesPerSecond = 0.0f;
        uint8_t myState = STATE_CREATED;
        LocalSpacePose myPose;
    };
}
