#!/usr/bin/env bash
# Installs what is missing, builds, and runs the game. Arguments go to the game
# (an optional scene path). Without a display the game runs headless.
set -euo pipefail
cd "$(dirname "$0")"
bash Tools/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
fi
exec ./build/bin/Game "$@"
