#!/usr/bin/env bash
# The installer window's figures under a fresh X server (Xvfb), started from here so the first one
# counts the whole process start. Usage: bench/wizard_bench.sh [build folder] [rounds]
set -euo pipefail
build=${1:-build/linux}
rounds=${2:-5}
bench=$build/bench/wizard_bench
[ -x "$bench" ] || { echo "no $bench: cmake --build $build --target wizard_bench" >&2; exit 1; }
for round in $(seq "$rounds"); do
  echo "== round $round"
  xvfb-run -a -s "-screen 0 1280x800x24" bash -c '"$1" --slides 10 --start-ns "$(date +%s%N)"' _ "$bench"
done
