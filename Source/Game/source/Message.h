#pragma once
// One event on the message bus, built by the sender on its own stack.
#include "MessageType.h"

#include "forge/math/Vector.h"

#include <any>
#include <string>

struct Message
{
    MessageType type = MessageType::SaveState;
    std::any payload;
    float value = 0.0f;                 // the volume of MusicVolume and SfxVolume, 0..1
    const char* text = nullptr;         // not owned; the level path of LevelMusic
    std::string ownedText;
    Kiln::Vector3<float> position;      // the upgrade's position for UpgradeGranted
};
