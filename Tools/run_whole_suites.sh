#!/usr/bin/env bash
# Runs every test program whole, once, in one process each: CTest runs each test in a
# process of its own, which hides state one test leaves behind for the next.
#   Tools/run_whole_suites.sh            the programs in build/bin
#   Tools/run_whole_suites.sh --asan     the programs in build-asan/bin
set -uo pipefail
cd "$(dirname "$0")/.."

bindir=build/bin
if [ "${1:-}" = "--asan" ]; then bindir=build-asan/bin; fi
cd "$bindir" || { echo "run_whole_suites: no $bindir (build first)"; exit 1; }

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1

passed=0
failed=0
shopt -s nullglob
for program in ./test_*; do
  [ -x "$program" ] || continue
  echo "== ${program#./} (whole, one process)"
  runner=()
  # The end-to-end programs drive the real game window in a virtual X display.
  if [ "${program#./}" = test_e2e ]; then runner=(../../Tests/EndToEnd/run_in_xvfb.sh); fi
  if "${runner[@]}" "$program" --gtest_brief=1; then
    passed=$((passed + 1))
  else
    echo "== ${program#./} FAILED when run whole"
    failed=$((failed + 1))
  fi
done

if [ $((passed + failed)) -eq 0 ]; then
  echo "run_whole_suites: no test programs in $bindir"
  exit 1
fi
echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
