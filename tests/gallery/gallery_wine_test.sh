#!/usr/bin/env bash
# Runs the Windows build's lux-gallery.exe under Wine in the X server and prefix wine_x11_run.sh made,
# takes screenshots and drives it with the real pointer and keyboard: hovering the theme button lights
# it, clicking it turns the window dark, dragging the custom title bar moves the window, C opens the
# controls window and its Esc hides it, Esc closes the gallery and it exits with 0.
set -euo pipefail
gallery=$1
shots=$2
mkdir -p "$shots"

. "$(dirname "$0")/x11_lib.sh"

use_wine
wine "$gallery" >"$shots/wine-gallery.log" 2>&1 &
pid=$!
trap 'stop $pid' EXIT
wid=$(timeout 120 xdotool search --sync --onlyvisible --name "^Lux Gallery$" | head -1)
[[ -n $wid ]] || fail "no gallery window"
wait_size "$wid" 734 461

# The light theme's background beside the tiles, the theme button's accent in its middle.
bx=$((X + 10)) by=$((Y + 200))
button_x=$((X + 577)) button_y=$((Y + 420))
wait_pixel is $bx $by F3F3F3 wine-light >/dev/null
accent=$(pixel "$(shot wine-light)" $button_x $button_y)

xdotool mousemove $((button_x + 20)) $button_y
hover=$(wait_pixel not $button_x $button_y "$accent" wine-hover)
echo "button: $accent, hovered: $hover"

xdotool click 1
dark=$(wait_pixel is $bx $by 202020 wine-dark)
echo "background after the click: $dark"

# The title bar is the gallery's own: dragging it moves the window as the system's caption would.
xdotool mousemove $((X + 150)) $((Y + 15)) mousedown 1
xdotool mousemove $((X + 170)) $((Y + 30))
xdotool mousemove $((X + 190)) $((Y + 45)) mouseup 1
moved=no
for _ in $(seq 150); do
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  if [[ $X != "$((bx - 10))" ]]; then moved=yes; break; fi
  sleep 0.1
done
[[ $moved == yes ]] || fail "dragging the title bar did not move the window"
echo "window moved to $X,$Y"
bx=$((X + 10)) by=$((Y + 200))
wait_pixel is $bx $by 202020 wine-moved >/dev/null

# C opens the controls window over this one; its Esc only hides it again.
controls_shown() {
  local found
  for _ in $(seq 300); do
    found=$(xdotool search --onlyvisible --name "^Lux Controls$" 2>/dev/null | head -1 || true)
    if [[ $1 == yes && -n $found ]] || [[ $1 == no && -z $found ]]; then echo "$found"; return 0; fi
    sleep 0.1
  done
  fail "the controls window is not $([[ $1 == yes ]] && echo shown || echo hidden)"
}
# There is no window manager to give the focus: the window takes it from xdotool, and Wine hears of it
# before the keys that follow.
xdotool windowfocus --sync "$wid"
xdotool key c
cid=$(controls_shown yes)
shot wine-controls >/dev/null
xdotool windowfocus --sync "$cid"
xdotool key Escape
controls_shown no >/dev/null
kill -0 $pid 2>/dev/null || fail "closing the controls window ended the gallery"

xdotool windowfocus --sync "$wid"
xdotool key Escape
wait_exit $pid || fail "Esc did not close the gallery"
wait $pid || fail "the gallery exited with $?"
trap - EXIT
echo "gallery under Wine: all checks passed; screenshots in $shots"
