#!/usr/bin/env bash
# Runs `lux-gallery --menus` in the X server xvfb-run started and drives the edit box's built-in menu with
# the real pointer and keyboard: a right click opens it at the pointer with see-through corners (a corner
# pixel of the menu's window shows the screen behind it), Down, Down, Enter runs Select All when that is
# the only item and Copy when Cut and Copy are there too (checked through the clipboard), and Escape
# closes it. The Windows build's gallery (a .exe) runs under Wine in the X server and prefix
# wine_x11_run.sh made.
set -euo pipefail
gallery=$1
shots=$2
mkdir -p "$shots"
events=$shots/menus-events.txt

. "$(dirname "$0")/x11_lib.sh"

sx() { echo $((X + $1)); }
sy() { echo $((Y + $1)); }
# The visible menu window's id, once it is there.
menu_window() {
  for _ in $(seq 150); do
    local id
    id=$(xdotool search --onlyvisible --name "^Popup Menu$" 2>/dev/null | head -1 || true)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no menu window"
}
no_menu_window() {
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "^Popup Menu$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the menu window is still open"
}
# Right-clicks the edit box, which opens its menu; waits until the n-th opening has ended (the menu
# grows to its height in a short animation, and its frames before the last are not the open menu).
open_edit_menu() {
  xdotool mousemove "$(sx 60)" "$(sy 95)" click 3
  wait_line "menu: edit open" "$1"
  menu_window
}

run=()
if [[ $gallery == *.exe ]]; then
  use_wine
  run=(wine)
fi
"${run[@]}" "$gallery" --menus >"$events" &
pid=$!
trap 'stop $pid' EXIT
wid=$(timeout 120 xdotool search --sync --onlyvisible --name "^Lux Menus$" | head -1)
[[ -n $wid ]] || fail "no menus window"
wait_size "$wid" 600 400
wait_line "menus: shown"
give_focus "$wid"
# The window's first frame is on the screen once its background shows beside the controls.
wait_pixel is "$(sx 10)" "$(sy 200)" F3F3F3 menus-before >/dev/null
before=$shots/menus-before.png

mid=$(open_edit_menu 1)
eval "$(xdotool getwindowgeometry --shell "$mid" | sed 's/^/M/')"  # MX, MY, MWIDTH, MHEIGHT
[[ $MX == $(sx 60) && $MY == $(sy 95) ]] || fail "the menu opened at $MX,$MY, not at the pointer"
after=$(shot menus-open)
# The top-left corner is cut out: the screen behind shows there; inside, the menu's surface does.
corner_before=$(pixel "$before" "$MX" "$MY")
corner_after=$(pixel "$after" "$MX" "$MY")
[[ $corner_after == "$corner_before" ]] || fail "the menu's corner shows $corner_after, the screen behind is $corner_before"
inside_before=$(pixel "$before" $((MX + MWIDTH / 2)) $((MY + 3)))
inside_after=$(pixel "$after" $((MX + MWIDTH / 2)) $((MY + 3)))
[[ $inside_after != "$inside_before" ]] || fail "the menu's surface does not show at its top edge"
echo "corner $corner_after as behind; the surface $inside_after over $inside_before"

# Nothing selected, an empty clipboard, no history: Select All is the only item.
xdotool key Down Down Return
wait_line "menu: edit Select All"
no_menu_window

# With a selection, Cut and Copy come first: Down, Down, Enter is Copy.
open_edit_menu 2 >/dev/null
xdotool key Down Down Return
wait_line "menu: edit Copy"
no_menu_window
for _ in $(seq 50); do
  clip=$(xclip -o -selection clipboard 2>/dev/null || true)
  [[ $clip == "menus in the gallery" ]] && break
  sleep 0.1
done
[[ $clip == "menus in the gallery" ]] || fail "the clipboard holds '$clip'"

# Escape closes the menu without running anything.
open_edit_menu 3 >/dev/null
xdotool key Escape
no_menu_window
[[ $(count "menu: edit Copy") == 1 && $(count "menu: edit Select All") == 1 ]] || fail "an item ran on Escape"

stop "$pid"
trap - EXIT
echo "menus: ok"
