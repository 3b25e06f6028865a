#!/usr/bin/env bash
# Runs lux-gallery in the X server xvfb-run started, takes screenshots of the screen and drives the
# window with the real pointer and keyboard: hovering the theme button lights it, clicking it turns
# the window dark, S lays the smoke overlay over it, Esc closes it.
set -euo pipefail
gallery=$1
shots=$2
mkdir -p "$shots"

fail() { echo "FAIL: $*" >&2; exit 1; }
# The colour of one screen pixel of a screenshot, as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
shot() { import -window root "$shots/$1.png"; echo "$shots/$1.png"; }
# Waits until the pixel at (x, y) of the screen is (or, with "not", is no longer) a colour.
wait_pixel() {
  local mode=$1 x=$2 y=$3 want=$4 name=$5 got
  for _ in $(seq 50); do
    got=$(pixel "$(shot "$name")" "$x" "$y")
    if [[ $mode == is && $got == "$want" ]] || [[ $mode == not && $got != "$want" ]]; then echo "$got"; return 0; fi
    sleep 0.1
  done
  fail "$name: pixel ($x, $y) is $got, wanted $mode $want"
}

"$gallery" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
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
xdotool windowfocus "$wid"
sleep 0.2
xdotool key s
smoke=$(wait_pixel not $bx $by 202020 smoke)
echo "background under the smoke overlay: $smoke"
[[ $((16#${smoke:0:2})) -lt $((16#20)) ]] || fail "the overlay did not darken the window ($smoke)"

xdotool key Escape
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "Esc did not close the gallery"
wait $pid || fail "the gallery exited with $?"
trap - EXIT
echo "gallery: all checks passed; screenshots in $shots"
