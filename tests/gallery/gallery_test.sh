#!/usr/bin/env bash
# Runs lux-gallery in the X server xvfb-run started, takes screenshots of the screen and drives the
# window with the real pointer and keyboard: hovering the theme button lights it, clicking it turns
# the window dark, C and the Controls button open the controls window and its Esc hides it again, S
# lays the smoke overlay over the gallery, Esc closes it.
set -euo pipefail
gallery=$1
shots=$2
mkdir -p "$shots"

. "$(dirname "$0")/x11_lib.sh"

"$gallery" &
pid=$!
trap 'stop $pid' EXIT
wid=$(timeout 20 xdotool search --sync --onlyvisible --name "^Lux Gallery$" | head -1)
[[ -n $wid ]] || fail "no gallery window"
eval "$(xdotool getwindowgeometry --shell "$wid")"  # X, Y, WIDTH, HEIGHT
[[ $WIDTH == 734 && $HEIGHT == 461 ]] || fail "window is ${WIDTH}x$HEIGHT"

# The light theme's background beside the tiles, the theme button's accent in its middle.
bx=$((X + 10)) by=$((Y + 200))
button_x=$((X + 577)) button_y=$((Y + 420))
wait_pixel is $bx $by F3F3F3 light >/dev/null
accent=$(pixel "$(shot light)" $button_x $button_y)

xdotool mousemove $((button_x + 20)) $button_y
hover=$(wait_pixel not $button_x $button_y "$accent" hover)
echo "button: $accent, hovered: $hover"

xdotool click 1
dark=$(wait_pixel is $bx $by 202020 dark)
echo "background after the click: $dark"

# There is no window manager to give the focus on a click: the window takes it from xdotool.
give_focus "$wid"

# C opens the controls window over this one and its Esc only hides it; the button opens it again.
controls_shown() {
  local found
  for _ in $(seq 300); do
    found=$(xdotool search --onlyvisible --name "^Lux Controls$" 2>/dev/null | head -1 || true)
    if [[ $1 == yes && -n $found ]] || [[ $1 == no && -z $found ]]; then echo "$found"; return 0; fi
    sleep 0.1
  done
  fail "the controls window is not $([[ $1 == yes ]] && echo shown || echo hidden)"
}
xdotool key c
cid=$(controls_shown yes)
give_focus "$cid"
xdotool key Escape
controls_shown no >/dev/null
xdotool mousemove $((X + 644)) $((Y + 362)) click 1
cid=$(controls_shown yes)
shot controls-from-button >/dev/null
give_focus "$cid"
xdotool key Escape
controls_shown no >/dev/null
kill -0 $pid 2>/dev/null || fail "closing the controls window ended the gallery"
give_focus "$wid"
xdotool key s
smoke=$(wait_pixel not $bx $by 202020 smoke)
echo "background under the smoke overlay: $smoke"
[[ $((16#${smoke:0:2})) -lt $((16#20)) ]] || fail "the overlay did not darken the window ($smoke)"

xdotool key Escape
wait_exit $pid || fail "Esc did not close the gallery"
wait $pid || fail "the gallery exited with $?"
trap - EXIT
echo "gallery: all checks passed; screenshots in $shots"
