#!/usr/bin/env bash
# Draws the README's pictures again into docs/ (640 x 360 PNGs): the main menu, Level 2 in
# play and the pause page are captured from the game's window in a virtual X display
# (Tests/EndToEnd), the chase is Level 3 played in process by its route (Tests/Game).
set -euo pipefail
cd "$(dirname "$0")/.."
bash Tools/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default --target Game test_e2e test_game

export KILN_README_PICTURES="$PWD/docs"
mkdir -p "$KILN_README_PICTURES"
cd build/bin
../../Tests/EndToEnd/run_in_xvfb.sh ./test_e2e --gtest_filter=EndToEnd.ReadmePictures
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./test_game --gtest_filter=ReadmePictures.*
ls -l "$KILN_README_PICTURES"
