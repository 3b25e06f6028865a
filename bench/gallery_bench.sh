#!/usr/bin/env bash
# The gallery's figures on both builds side by side: the Linux program under a fresh Xvfb, the Windows
# one under Wine in an X server and prefix of its own (when build/windows is configured). Each build
# is started once more than counted first, so the X server, Wine's own processes and the file cache
# are up; the start figures are medians over the counted starts, the repaint figures the median of
# their medians and the fastest of all.
# Usage: bench/gallery_bench.sh [--starts N] [--rounds N] [linux build folder] [windows build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
starts=5
rounds=50
folders=()
while (($#)); do
  case $1 in
    --starts) starts=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    -h | --help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) folders+=("$1"); shift ;;
  esac
done
linux=${folders[0]:-$root/build/linux}
windows=${folders[1]:-$root/build/windows}

if [[ ! -f $linux/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$linux" -j2 --target gallery_bench >/dev/null
have_windows=no
if [[ -f $windows/CMakeCache.txt ]] && command -v wine >/dev/null; then
  cmake --build "$windows" -j2 --target gallery_bench >/dev/null
  have_windows=yes
fi

load_before=$(cut -d' ' -f1 /proc/loadavg)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$out/linux" "$out/windows"
# Runs PROGRAM... once more than counted, each start's lines in FOLDER/start-N (start-0 is not counted).
starts_loop='folder=$1 count=$2 rounds=$3; shift 3
for i in $(seq 0 "$count"); do
  "$@" --rounds "$rounds" >"$folder/start-$i" 2>&1 || { cat "$folder/start-$i" >&2; exit 1; }
done'
xvfb-run -a -s "-screen 0 1280x800x24" bash -c "$starts_loop" _ "$out/linux" "$starts" "$rounds" \
  "$linux/bench/gallery_bench"
if [[ $have_windows == yes ]]; then
  "$root/tests/support/wine_x11_run.sh" "$root/cmake/wine-prefix" bash -c "$starts_loop" _ "$out/windows" "$starts" \
    "$rounds" "$root/cmake/wine-run" "$windows/bench/gallery_bench.exe" >/dev/null
fi

# The counted starts' values of one figure: the line starting with LABEL, field FIELD from its end.
values() {
  local folder=$1 label=$2 field=$3
  cat "$folder"/start-[1-9]* 2>/dev/null | tr -d '\r' | grep -F "$label" | sed -E 's/[^0-9.]+/ /g' |
    awk -v f="$field" '{print $(NF - f + 1)}'
}
median() { sort -g | awk '{v[NR] = $1} END {if (!NR) print "-"; else printf "%.2f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
fastest() { sort -g | awk 'NR == 1 {printf "%.2f\n", $1} END {if (!NR) print "-"}'; }
figure() {
  local what=$1 label=$2 field=$3 reduce=$4
  printf '| %s | %s | %s |\n' "$what" "$(values "$out/linux" "$label" "$field" | $reduce)" \
    "$(values "$out/windows" "$label" "$field" | $reduce)"
}

echo "gallery_bench: $starts starts (medians) after one uncounted, $rounds repaint rounds each;" \
  "$(nproc) cores, load $load_before before the runs, $(cut -d' ' -f1 /proc/loadavg) after"
echo "| figure (ms) | Linux (SDL2, Xvfb) | Windows (Wine, Xvfb) |"
echo "|---|---|---|"
figure "process start to first presented frame" "process start to first presented frame:" 1 median
figure "processor time until then" "processor time until the first frame:" 1 median
figure "full repaint, presented: median" "full repaint, presented:" 2 median
figure "full repaint, presented: fastest" "full repaint, presented:" 1 fastest
figure "full repaint, painted only: median" "full repaint, painted only:" 2 median
figure "full repaint, painted only: fastest" "full repaint, painted only:" 1 fastest
[[ $have_windows == yes ]] || echo "(no Windows build in $windows: its column is empty)"
