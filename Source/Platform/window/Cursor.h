#pragma once
// Cursor visibility with Win32's display counter: each hide lowers it, each show raises
// it, and the cursor is visible while the counter is 0 or more.

namespace Plat::Window
{
    // Returns the new display counter.
    int ShowCursor(bool aShow);
}
