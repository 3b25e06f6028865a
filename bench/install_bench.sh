#!/usr/bin/env bash
# The silent installation timed beside bsdtar, unzip and 7z extracting the same archive, and beside the
# bare two-thread floor of its own work (bench/extract_floor.cpp), in one run.
# Usage: bench/install_bench.sh [--rounds N] [--steps] [--windows] [--memory] [--big-mb N] [--seed N]
#   --steps    also prints the installer's own time for each step (from its -log file), as medians
#   --windows  also builds the Windows installer with the same payload and times it under Wine
#   --memory   also measures the installer's peak memory (GNU time), less its mapped executable
#   --big-mb N packages one more incompressible entry of N MB (a memory bound check; slow to build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
rounds=7
steps=0
windows=0
memory=0
big_mb=0
seed=20261210
while (($#)); do
  case $1 in
    --rounds) rounds=$2; shift ;;
    --steps) steps=1 ;;
    --windows) windows=1 ;;
    --memory) memory=1 ;;
    --big-mb) big_mb=$2; shift ;;
    --seed) seed=$2; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

# The peers are the benchmark's own needs, not the tests'.
need=()
command -v bsdtar >/dev/null || need+=(libarchive-tools)
command -v 7z >/dev/null || need+=(p7zip-full)
[ -x /usr/bin/time ] || need+=(time)
if ((${#need[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

suffix=""
((big_mb)) && suffix="-big$big_mb"
work=$root/build/install-bench$suffix
payload=$work/payload-$seed
# One build folder whatever the payload: switching payloads only packs and links again.
build=$root/build/release
mkdir -p "$work"

if [ ! -f "$payload.done" ]; then
  echo "Generating the payload (seed $seed) in $payload"
  rm -rf "$payload"
  python3 "$root/bench/make_payload.py" "$payload" --seed "$seed" --big-mb "$big_mb"
  touch "$payload.done"
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEL_BUILD_TESTS=OFF \
  -DVEL_PAYLOAD_DIR="$payload" "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 --target QuarrowStudioSetup extract_floor >/dev/null
setup=$build/bin/QuarrowStudioSetup
floor=$build/bench/extract_floor
archive=$build/resources/program.zip

now() { date +%s%N; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) / 1e6 }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# A home of its own for every installer run: no record, shortcut or earlier installation carries over.
scratch=$(mktemp -d "$work/run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fresh_home() {
  local home=$1
  rm -rf "$home"
  mkdir -p "$home/config" "$home/data" "$home/cache" "$home/runtime" "$home/tmp" "$home/registry"
  chmod 700 "$home/runtime"
}
run_setup() {  # home folder, then the installer's arguments
  local home=$1
  shift
  HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
    XDG_RUNTIME_DIR=$home/runtime TMPDIR=$home/tmp VEL_REGISTRY_DIR=$home/registry DISPLAY= WAYLAND_DISPLAY= \
    "$@"
}

declare -A times
# "floor": the installation's bare work (archive written, inflated on two threads, checked, written out).
tools=(installer floor bsdtar unzip 7z)
log_lines=()
# Warm the page cache: the archive, the installer and the peers' programs.
cat "$archive" "$setup" >/dev/null
for round in $(seq 0 "$rounds"); do
  for tool in "${tools[@]}"; do
    out=$scratch/out-$tool
    rm -rf "$out" "$scratch/home"
    mkdir -p "$out"
    fresh_home "$scratch/home"
    sync
    start=$(now)
    case $tool in
      installer) run_setup "$scratch/home" "$setup" -silent -installpath "$out/app" -log "$scratch/home/log.txt" >/dev/null ;;
      floor) "$floor" "$archive" "$out/program.zip" "$out" ;;
      bsdtar) bsdtar -xf "$archive" -C "$out" ;;
      unzip) unzip -q "$archive" -d "$out" ;;
      7z) 7z x -y -o"$out" "$archive" >/dev/null ;;
    esac
    end=$(now)
    # Round 0 only warms up.
    ((round)) || continue
    times[$tool]+="$(ms "$start" "$end") "
    [ "$tool" = installer ] && log_lines+=("$(grep -E '^\[ *[0-9.]+ ms\] Step [0-9]' "$scratch/home/log.txt" || true)")
  done
done
[ -f "$scratch/out-installer/app/QuarrowStudio.exe" ] || { echo "the installation did not finish" >&2; exit 1; }

echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Archive: $(stat -c %s "$archive") bytes, payload $(du -sb "$payload" | cut -f1) bytes in $(find "$payload" -type f | wc -l) files; $rounds rounds"
printf '%-12s %10s %18s\n' "program" "median ms" "installer : it"
inst=$(tr ' ' '\n' <<<"${times[installer]}" | grep . | median)
for tool in "${tools[@]}"; do
  m=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)
  printf '%-12s %10s %18s\n' "$tool" "$m" "$(awk -v a="$inst" -v b="$m" 'BEGIN { printf "%.2f", a / b }')"
done

if ((steps)); then
  echo
  echo "Installer steps (median ms of $rounds rounds, from its -log file):"
  for name in Prepare Export Extract Write Verify; do
    m=$(printf '%s\n' "${log_lines[@]}" | sed -n "s/.*Step [0-9] $name: \([0-9.]*\) ms.*/\1/p" | median)
    printf '  %-8s %8s\n' "$name" "$m"
  done
fi

echo
echo "Sizes (bytes):"
payload_size=$(stat -c %s "$archive")
printf '  %-32s %10s\n' "QuarrowStudioSetup" "$(stat -c %s "$setup")" \
  "Uninstall" "$(stat -c %s "$build/bin/Uninstall")" \
  "Uninstall (carried, compressed)" "$(stat -c %s "$build/resources/uninstall.bin")" \
  "payload archive" "$payload_size" \
  "installer overhead" "$(($(stat -c %s "$setup") - payload_size))"

if ((memory)); then
  fresh_home "$scratch/home"
  rm -rf "$scratch/out-mem"
  run_setup "$scratch/home" /usr/bin/time -f '%M' -o "$scratch/rss" "$setup" -silent -installpath "$scratch/out-mem" >/dev/null
  rss_kb=$(tail -1 "$scratch/rss")
  echo
  # The payload is copied out of the executable's file, not read through its mapping, so what the
  # installer has resident is its own memory and the few pages of the program it ran.
  echo "Peak resident memory: $((rss_kb / 1024)) MB (the executable's $(($(stat -c %s "$setup") / 1048576)) MB mapped, its payload never read through the mapping)"
fi

if ((windows)); then
  wbuild=$root/build/windows-release
  cmake -S "$root" -B "$wbuild" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DVEL_BUILD_TESTS=OFF -DVEL_PAYLOAD_DIR="$payload" "${launcher[@]}" >/dev/null
  cmake --build "$wbuild" -j2 --target QuarrowStudioSetup >/dev/null
  wsetup=$wbuild/bin/QuarrowStudioSetup.exe
  wpayload=$(stat -c %s "$wbuild/resources/program.zip")
  echo
  # The installer carries the uninstaller compressed: both its size and the carried size are shown.
  echo "Windows: QuarrowStudioSetup.exe $(stat -c %s "$wsetup"), Uninstall.exe $(stat -c %s "$wbuild/bin/Uninstall.exe") (carried compressed: $(stat -c %s "$wbuild/resources/uninstall.bin")), overhead $(($(stat -c %s "$wsetup") - wpayload)) bytes"
  export WINEPREFIX=$work/wine-prefix WINEDEBUG=-all
  [ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1 || true
  wtimes=""
  for round in $(seq 0 3); do
    target=$(winepath -w "$scratch/wine-out-$round")
    start=$(now)
    wine "$wsetup" -silent -installpath "$target" >/dev/null 2>&1 || echo "round $round: exit code $?" >&2
    end=$(now)
    ((round)) && wtimes+="$(ms "$start" "$end") "
  done
  echo "Windows silent installation under Wine, median of 3: $(tr ' ' '\n' <<<"$wtimes" | grep . | median) ms"
fi
