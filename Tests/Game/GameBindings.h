#pragma once
// The game's 34 input bindings, as the game manager adds them, for tests that drive the
// input mapper with the game's own key and pad codes.
#include "InputEvent.h"
#include "InputMapper.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace GameTest
{
    inline void AddGameBindings(InputMapper& aMapper)
    {
        const std::vector<std::pair<uint32_t, std::vector<uint32_t>>> table = {
            {Action::Move, {104}},
            {Action::Up, {38, 87, 88}},
            {Action::Down, {40, 83, 89}},
            {Action::Left, {37, 65, 90}},
            {Action::Right, {39, 68, 91}},
            {Action::Jump, {32, 38, 87, 88, 98}},
            {Action::Dash, {16, 17, 100}},
            {Action::Interact, {13, 69, 101}},
            {Action::Select, {13, 32, 69, 98}},
            {Action::Back, {27, 93, 99}},
            {Action::Pause, {27, 92}},
            {Action::InputDeviceChanged, {106}},
        };
        for (const auto& [action, codes] : table)
            for (uint32_t code : codes)
                aMapper.AddInputToEventMapping(code, action);
    }
}
