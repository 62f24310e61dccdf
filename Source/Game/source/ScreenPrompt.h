#pragma once
// What the on-screen prompts and tutorial cards share: the render size and their pictures,
// both taken from the running engine.
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

// The engine's render size in pixels; (0, 0) while no engine runs.
Kiln::Vector2<float> GetScreenSize();

// A batch of the texture at aPath (forced sRGB); a null path reads as an empty one, which
// shows the texture manager's placeholder. No texture while no engine runs.
Kiln::SpriteSharedData LoadScreenPicture(const char* aPath);

// Whether the gamepad was the device used last (else keyboard and mouse).
bool IsGamepadActive();
