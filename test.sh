#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
#   ./test.sh           normal build in build/
#   ./test.sh --asan    AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")"
bash Tools/bootstrap.sh

preset=default
if [ "${1:-}" = "--asan" ]; then preset=asan; fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
ctest --preset "$preset"
