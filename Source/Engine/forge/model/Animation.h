#pragma once
// A sampled animation clip: one local-space pose per frame, matched to one model's joints.
#include "forge/model/LocalSpacePose.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kiln
{
    struct Animation
    {
        std::vector<LocalSpacePose> myFrames;
        int32_t myFrameCount = 0;
        float myFramesPerSecond = 0.0f;
        float myDuration = 0.0f;    // seconds
        std::wstring myName;        // the file it came from
    };
}
