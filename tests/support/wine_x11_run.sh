#!/usr/bin/env bash
# Runs a command with an X server and a Wine prefix of its own: starts Xvfb on a free display, makes a
# fresh prefix, runs the command with DISPLAY and WINEPREFIX set, then ends the prefix's Wine server and
# the X server by their ids. Exits 77 (skipped) where Xvfb is not installed.
# Usage: wine_x11_run.sh WINE_PREFIX_SCRIPT COMMAND [ARGS...]
set -uo pipefail
make_prefix=$1
shift

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is not installed: skipped"
  exit 77
fi

box=$(mktemp -d)
xvfb=
cleanup() {
  # The Wine server of our own prefix, then our X server: SIGTERM, SIGKILL only after a generous wait.
  [[ -d $box/prefix ]] && WINEPREFIX=$box/prefix wineserver -k >/dev/null 2>&1
  if [[ -n $xvfb ]] && kill -0 "$xvfb" 2>/dev/null; then
    kill -TERM "$xvfb" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$xvfb" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$xvfb" 2>/dev/null
  fi
  rm -rf "$box"
}
child=
trap cleanup EXIT
# Asked to end: the command first (by its id), then what cleanup ends.
trap '[[ -n $child ]] && kill -TERM "$child" 2>/dev/null; exit 143' TERM
trap '[[ -n $child ]] && kill -INT "$child" 2>/dev/null; exit 130' INT

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$box/display" >"$box/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 300); do
  [[ -s $box/display ]] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$box/xvfb.log"; echo "Xvfb did not start"; exit 1; }
  sleep 0.1
done
[[ -s $box/display ]] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -1 "$box/display")

# The prefix is made without the display, so no process of its making holds it; the command's first
# process starts the prefix's desktop with ours.
env -u DISPLAY "$make_prefix" "$box/prefix" || { echo "the Wine prefix could not be made"; exit 1; }
export WINEPREFIX=$box/prefix
# In the background, so a signal reaches our traps at once rather than after the command.
"$@" &
child=$!
wait "$child"
