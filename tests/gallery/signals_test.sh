#!/usr/bin/env bash
# lux-gallery, asked to end by SIGTERM and then by SIGINT while its loop runs, ends cleanly with
# exit code 0; one that does not end is killed by its process id and the test fails.
set -uo pipefail
# Job control: without it the shell would start the gallery with SIGINT ignored.
set -m
gallery=$1

shots=$(mktemp -d)
. "$(dirname "$0")/x11_lib.sh"
pid=
trap 'rm -rf "$shots"; [[ -n $pid ]] && kill -KILL $pid 2>/dev/null; true' EXIT

for sig in TERM INT; do
  "$gallery" &
  pid=$!
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name "^Lux Gallery$" | head -1)
  [[ -n $wid ]] || fail "no gallery window"
  eval "$(xdotool getwindowgeometry --shell "$wid")"  # X, Y, WIDTH, HEIGHT
  # The window's background is painted by the running loop: the signal comes while it runs.
  for _ in $(seq 100); do [[ $(pixel "$(shot painted)" $((X + 10)) $((Y + 200))) == F3F3F3 ]] && break; sleep 0.1; done

  kill -s $sig $pid
  for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then
    kill -KILL $pid
    fail "SIG$sig did not end the gallery"
  fi
  wait $pid
  code=$?
  pid=
  [[ $code == 0 ]] || fail "after SIG$sig the gallery exited with $code"
  echo "SIG$sig: the gallery ended with 0"
done
