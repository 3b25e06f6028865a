#!/usr/bin/env bash
# Process start to the first presented window frame of an SDL program, under a fresh Xvfb, by a
# preloaded probe that ends the program at that frame. Usage: bench/first_frame.sh [rounds] PROGRAM [ARGS...]
# (for example: bench/first_frame.sh 7 build/linux/bin/lux-gallery)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=5
[[ ${1:-} =~ ^[0-9]+$ ]] && { rounds=$1; shift; }
(($#)) || { echo "usage: $0 [rounds] PROGRAM [ARGS...]" >&2; exit 2; }
probe=$root/build/first_frame_probe.so
mkdir -p "$root/build"
[ "$probe" -nt "$root/bench/first_frame_probe.c" ] || cc -O2 -shared -fPIC -o "$probe" "$root/bench/first_frame_probe.c" -ldl
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/runtime" "$home/share" "$home/config" "$home/registry" && chmod 700 "$home/runtime"
for round in $(seq "$rounds"); do
  # The X server is started first, so its own start is not counted. The program gets a home, XDG
  # folders and registry store of its own (the installer writes to them).
  HOME=$home XDG_RUNTIME_DIR=$home/runtime XDG_DATA_HOME=$home/share XDG_CONFIG_HOME=$home/config \
    VEL_REGISTRY_DIR=$home/registry xvfb-run -a -s "-screen 0 1280x800x24" \
    bash -c 'FIRST_FRAME_START_NS=$(date +%s%N) LD_PRELOAD="$1" exec "${@:2}"' _ "$probe" "$@"
done
