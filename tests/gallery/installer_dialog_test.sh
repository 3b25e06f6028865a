#!/usr/bin/env bash
# Runs the real installer in the X server xvfb-run started, away from any shell (so it has no console
# to print to): "-help" shows the framework's help dialog, whose accent "Ok" button ends it; a second
# copy started meanwhile shows "Program is already running". Screenshots go to the given folder.
set -euo pipefail
setup=$1
shots=$2
mkdir -p "$shots"

. "$(dirname "$0")/x11_lib.sh"

# A home, XDG folders and registry store of the test's own.
isolated_box

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$box"
}
trap cleanup EXIT

# Starts the installer as a child of `timeout` (no shell above it, output not a terminal); sets
# RUNNER (the timeout process, a child of this shell) and CHILD (the installer itself).
start() {
  local name=$1; shift
  timeout 100 "$setup" "$@" </dev/null >"$box/$name.out" 2>&1 &
  local runner=$!
  pids+=("$runner")
  local child=""
  for _ in $(seq 50); do
    child=$(grep -l "^PPid:[[:space:]]*$runner\$" /proc/[0-9]*/status 2>/dev/null | head -1 | cut -d/ -f3 || true)
    [[ -n $child ]] && break
    sleep 0.1
  done
  [[ -n $child ]] || fail "$name did not start"
  pids+=("$child")
  RUNNER=$runner CHILD=$child
}

# The visible window of a process.
window_of() {
  local wid=""
  for _ in $(seq 100); do
    wid=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1 || true)
    [[ -n $wid ]] && break
    sleep 0.1
  done
  [[ -n $wid ]] || fail "no window for process $1"
  echo "$wid"
}

import -window root "$box/before-help.png"
start help -help
help_runner=$RUNNER help_pid=$CHILD
wid=$(window_of "$help_pid")
wait_dialog_drawn "$wid" help "$box/before-help.png"
echo "help dialog: ${WIDTH}x$HEIGHT at $X,$Y; $BUTTON"
[[ $WIDTH -gt 300 && $HEIGHT -gt 300 ]] || fail "the help dialog is ${WIDTH}x$HEIGHT"
r=$((16#${BCOLOR:0:2})) g=$((16#${BCOLOR:2:2})) b=$((16#${BCOLOR:4:2}))
# The accent look: a saturated colour, not the grey of a plain button or the footer.
spread=$(( (r > g ? (r > b ? r : b) : (g > b ? g : b)) - (r < g ? (r < b ? r : b) : (g < b ? g : b)) ))
[[ $spread -gt 60 ]] || fail "the Ok button is not in the accent colour ($BCOLOR)"
help_x=$BX help_y=$BY
[[ ! -s $box/help.out ]] || fail "the installer printed: $(cat "$box/help.out")"

# A second copy while the first one runs.
import -window root "$box/before-second.png"
start second
second_runner=$RUNNER second_pid=$CHILD
wid2=$(window_of "$second_pid")
wait_dialog_drawn "$wid2" already_running "$box/before-second.png"
echo "already-running dialog: ${WIDTH}x$HEIGHT at $X,$Y; $BUTTON"
xdotool mousemove "$BX" "$BY" click 1
set +e
wait "$second_runner"
code=$?
set -e
# A refused second copy installs nothing: it says so with its own exit code.
[[ $code == 5 ]] || fail "the second copy ended with $code, not 5"

# Back to the help dialog: its Ok ends the first copy with 0.
xdotool mousemove "$help_x" "$help_y" click 1
set +e
wait "$help_runner"
code=$?
set -e
[[ $code == 0 ]] || fail "the help run ended with $code"
echo "installer dialogs: all checks passed; screenshots in $shots"
