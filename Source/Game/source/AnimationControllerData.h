#pragma once
// One controller scene as the AnimationLibrary keeps it: its states by name, its sheets'
// shared data and grids by sheet id.
#include "AnimationController.h"

#include <cstdint>
#include <map>
#include <utility>

struct AnimationControllerData
{
    AnimationController::AnimationMap myAnimations;
    AnimationController::SheetMap mySheets;
    // (columns, rows) per sheet id.
    std::map<int32_t, std::pair<int32_t, int32_t>> myGrids;
};
