#include "forge/model/AnimationPlayer.h"

#include <algorithm>
#include <cmath>

namespace Kiln
{
    void AnimationPlayer::SetAnimation(const std::shared_ptr<Animation>& anAnimation)
    {
        myAnimation = anAnimation;
        myFramesPerSecond = anAnimation != nullptr ? anAnimation->myFramesPerSecond : 0.0f;
    }

    void AnimationPlayer::Update(float aDeltaTime)
    {
        if (myState == STATE_PLAYING && myAnimation != nullptr)
        {
            myTime += aDeltaTime;
            const float duration = myAnimation->myDuration;
            if (myTime >= duration)
            {
                if (!myIsLooping)
                {
                    myTime = duration;
                    myState = STATE_FINISHED;
                }
                else if (duration <= 0.0f)
                {
                    // Nothing to loop over: the clip stays on its first frame.
                    myTime = 0.0f;
                }
                else
                {
                    while (myTime >= duration)
                    {
                        const float wrapped = myTime - duration;
                        // A step too small to change the time would never end the loop.
                        if (wrapped == myTime)
                        {
                            myTime = std::fmod(myTime, duration);
                            break;
                        }
                        myTime = wrapped;
                    }
                }
            }
        }
        SampleFrames();
    }

    void AnimationPlayer::SampleFrames()
    {
        if (myAnimation == nullptr || myAnimation->myFrames.empty() || !(myFramesPerSecond > 0.0f))
            return;
        const std::vector<LocalSpacePose>& frames = myAnimation->myFrames;
        const size_t frameCount = std::min(frames.size(), static_cast<size_t>(std::max(myAnimation->myFrameCount, 0)));
        if (frameCount == 0)
            return;

        // Times before the start or past the last frame (a time set by hand, a duration
        // longer than the frames) sample the first or last frame rather than memory
        // outside the clip.
        // The frame position in double precision: time / (1 / fps) in floats puts a finished
        // clip's time (its duration) a hair before its last frame.
        const double x = static_cast<double>(myTime) * static_cast<double>(myFramesPerSecond);
        size_t frame = 0;
        float blend = 0.0f;
        if (x > 0.0)
        {
            const double whole = std::floor(x);
            const double last = static_cast<double>(frameCount - 1);
            if (whole >= last)
            {
                frame = frameCount - 1;
                blend = whole > last ? 0.0f : static_cast<float>(x - whole);
            }
            else
            {
                frame = static_cast<size_t>(whole);
                blend = static_cast<float>(x - whole);
            }
        }

        size_t next = frame;
        if (myState != STATE_FINISHED)
        {
            next = frame + 1;
            if (next >= frameCount)
                next = 0;
        }

        const LocalSpacePose& from = frames[frame];
        const LocalSpacePose& to = frames[next];
        const size_t jointCount = static_cast<size_t>(std::min<uint64_t>(from.myJointCount, MAX_ANIMATION_BONES));
        for (size_t j = 0; j < jointCount; ++j)
        {
            const Transform& a = from.myTransforms[j];
            if (!myInterpolate)
            {
                myPose.myTransforms[j] = a;
                continue;
            }
            const Transform& b = to.myTransforms[j];
            Transform& out = myPose.myTransforms[j];
            out.myTranslation = a.myTranslation + (b.myTranslation - a.myTranslation) * blend;
            Quaternion::Slerp(out.myRotation, a.myRotation, b.myRotation, blend);
            out.myScale = a.myScale + (b.myScale - a.myScale) * blend;
        }
        myPose.myJointCount = jointCount;
    }
}
