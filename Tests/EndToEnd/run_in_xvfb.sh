#!/usr/bin/env bash
# Runs a command inside a fresh virtual X display of 1280 x 720, or KILN_E2E_SCREEN
# ("WxHxDepth"), through xvfb-run, for the end-to-end tests that drive the real game window.
# The display number is picked at random above 100 so that runs started at the same moment
# do not race for one. The server does not reset when its last client leaves: a game started
# right then would find no display.
set -euo pipefail
if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null || ! command -v xprop >/dev/null || [ ! -x /usr/bin/import ]; then
  echo "run_in_xvfb: xvfb-run, xdotool, xprop and ImageMagick are needed (Tools/bootstrap.sh installs them)" >&2
  exit 1
fi
# Mesa's software GL through GLX; no real audio device in CI.
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
exec xvfb-run --auto-servernum --server-num=$((100 + RANDOM % 800)) \
  --server-args="-screen 0 ${KILN_E2E_SCREEN:-1280x720x24} -nolisten tcp -noreset" "$@"
