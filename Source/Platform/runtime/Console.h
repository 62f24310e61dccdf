#pragma once
// The console pause ("pause" of the Windows shell): a prompt, then a wait for Enter. It
// only waits when standard input is a terminal, so a run without one (CI, a pipe, a
// service) never blocks.

namespace Plat::Runtime
{
    // True when it waited for the user.
    bool PauseConsole();
}
