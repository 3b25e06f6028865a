#!/usr/bin/env bash
# Process start to the first presented window frame of an SDL program, under a fresh Xvfb, by a
# preloaded probe that ends the program at that frame. Each round also runs the floor, a bare SDL
# program that shows one window of the same size and presents one frame of a single colour
# (bench/first_frame_floor.c), and a window made without SDL that shows a few lines of text
# (bench/first_frame_xlib.c). Every round measures each twice: under a fresh X server, and under one
# that has shown a window before (kept from starting over with -noreset; the floor is run in it once,
# unmeasured), as a desktop's long-running server has: a fresh Xvfb pays for its own first drawing
# when the first program presents. Prints every round, then the medians and the program's ratio to
# the floor.
# Usage: bench/first_frame.sh [rounds] PROGRAM [ARGS...]   (for example: bench/first_frame.sh 7 build/linux/bin/lux-gallery)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=5
[[ ${1:-} =~ ^[0-9]+$ ]] && { rounds=$1; shift; }
(($#)) || { echo "usage: $0 [rounds] PROGRAM [ARGS...]" >&2; exit 2; }
probe=$root/build/first_frame_probe.so
floor=$root/build/first_frame_floor
mkdir -p "$root/build"
[ "$probe" -nt "$root/bench/first_frame_probe.c" ] || cc -O2 -shared -fPIC -o "$probe" "$root/bench/first_frame_probe.c" -ldl
[ "$floor" -nt "$root/bench/first_frame_floor.c" ] ||
  cc -O2 -o "$floor" "$root/bench/first_frame_floor.c" $(pkg-config --cflags --libs sdl2)
xlib=$root/build/first_frame_xlib
[ "$xlib" -nt "$root/bench/first_frame_xlib.c" ] ||
  cc -O2 -o "$xlib" "$root/bench/first_frame_xlib.c" $(pkg-config --cflags --libs x11 pangocairo)
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/runtime" "$home/share" "$home/config" "$home/registry" && chmod 700 "$home/runtime"

# One measured start of "$@" under a fresh X server ("cold") or one that has shown a window ("warm"):
# prints the probe's line ("... frame: W ms (processor time C ms)").
measure() {
  local server=$1
  shift
  local options="-screen 0 1280x800x24" warmup=:
  [ "$server" = warm ] && options+=" -noreset" warmup=$floor
  # The X server is started first, so its own start is not counted. The program gets a home, XDG
  # folders and registry store of its own (the installer writes to them).
  HOME=$home XDG_RUNTIME_DIR=$home/runtime XDG_DATA_HOME=$home/share XDG_CONFIG_HOME=$home/config \
    VEL_REGISTRY_DIR=$home/registry xvfb-run -a -s "$options" \
    bash -c '"$1" >/dev/null; FIRST_FRAME_START_NS=$(date +%s%N) LD_PRELOAD="$2" exec "${@:3}"' _ "$warmup" "$probe" "$@"
}
# "wall processor" of a probe line; nothing when the program ended without a shown frame.
figures() { sed -n 's/.*frame: \([0-9.]*\) ms (processor time \([0-9.]*\) ms).*/\1 \2/p'; }
median() { sort -n | awk '{v[NR] = $1} END {if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }

program=() floors=() warmProgram=() warmFloors=() xlibs=() warmXlibs=()
for round in $(seq "$rounds"); do
  line=$(measure cold "$@")
  warm=$(measure warm "$@")
  echo "$line; under a warm server: ${warm##*frame: }"
  program+=("$(figures <<<"$line")")
  warmProgram+=("$(figures <<<"$warm")")
  floors+=("$(measure cold "$floor" | figures)")
  warmFloors+=("$(measure warm "$floor" | figures)")
  xlibs+=("$(measure cold "$xlib" | figures)")
  warmXlibs+=("$(measure warm "$xlib" | figures)")
done
summary() {  # label, then "wall processor" pairs
  local label=$1 wall cpu
  shift
  wall=$(printf '%s\n' "$@" | awk 'NF {print $1}' | median)
  cpu=$(printf '%s\n' "$@" | awk 'NF {print $2}' | median)
  echo "$wall $cpu $label"
}
report() {  # label, then the program's and the floor's pairs, split by "--"
  local label=$1 pw pc fw fc
  shift
  local -a ours=() floor=()
  while (($#)) && [ "$1" != -- ]; do ours+=("$1"); shift; done
  shift
  floor=("$@")
  read -r pw pc _ < <(summary program "${ours[@]}")
  read -r fw fc _ < <(summary floor "${floor[@]}")
  [ -n "$pw" ] || { echo "the program presented no frame in a shown window" >&2; exit 1; }
  echo "$label, median of $rounds rounds: $pw ms (processor $pc ms); bare SDL window (floor): $fw ms (processor $fc ms)"
  awk -v p="$pw" -v f="$fw" 'BEGIN {if (f > 0) printf "  program : floor = %.2f\n", p / f}'
}
report "fresh X server" "${program[@]}" -- "${floors[@]}"
report "X server that has shown a window" "${warmProgram[@]}" -- "${warmFloors[@]}"
# The Xlib program's probe line is its own: it needs no probe, so the preloaded one just stays idle.
read -r xw xc _ < <(summary xlib "${xlibs[@]}")
read -r ww wc _ < <(summary xlib "${warmXlibs[@]}")
echo "without SDL (bench/first_frame_xlib.c: Xlib, and five lines of text drawn with pango): $xw ms (processor $xc ms); under the warm server: $ww ms (processor $wc ms)"
