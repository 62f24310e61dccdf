#pragma once
// An animation stack sampled at every frame.
#include "FBXMatrix.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace KILNFBXImporter
{
    struct FBXAnimationFrame
    {
        std::unordered_map<std::string, FBXMatrix> globalTransforms; // joint short name
        std::unordered_map<std::string, FBXMatrix> localTransforms;  // joint short name
        std::unordered_map<std::string, bool> triggeredEvents;       // event name, present when it fires
        std::unordered_map<std::string, FBXMatrix> socketTransforms; // socket name
    };

    struct FBXAnimation
    {
        std::vector<FBXAnimationFrame> frames;
        std::vector<std::string> jointNames; // full names, joint order
        uint32_t frameCount = 0;
        double duration = 0.0; // seconds
        float framesPerSecond = 0.0f;
        std::string path;
    };
}
