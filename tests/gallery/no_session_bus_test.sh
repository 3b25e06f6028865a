#!/usr/bin/env bash
# Started where there is no D-Bus session bus (no address given, none in the runtime folder), a
# framework program shows its window without trying to launch a bus (dbus-launch, which would leave
# one running after it) or asking gdbus, and leaves no bus address behind for the programs it starts.
set -uo pipefail
gallery=$1

home=$(mktemp -d)
pid=
trap 'rm -rf "$home"; [[ -n $pid ]] && kill -KILL $pid 2>/dev/null; true' EXIT
. "$(dirname "$0")/x11_lib.sh"

# Stand-ins that only say they were run.
mkdir -p "$home/bin" "$home/runtime" && chmod 700 "$home/runtime"
for tool in dbus-launch gdbus; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/asked"\nexit 1\n' "$tool" "$home" >"$home/bin/$tool"
  chmod +x "$home/bin/$tool"
done

env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_RUNTIME_DIR="$home/runtime" PATH="$home/bin:$PATH" \
  VEL_REGISTRY_DIR="$home/registry" "$gallery" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" --name "^Lux Gallery$" | head -1)
[[ -n $wid ]] || fail "no gallery window"
[[ ! -e $home/asked ]] || fail "a session bus was asked for: $(cat "$home/asked")"
tr '\0' '\n' <"/proc/$pid/environ" | grep -q '^DBUS_SESSION_BUS_ADDRESS=' &&
  fail "the gallery keeps a session bus address for the programs it starts"
kill -TERM $pid
for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the gallery did not end on SIGTERM"
wait $pid || fail "the gallery ended with $?"
pid=
echo "no session bus: none asked for, none left behind"
