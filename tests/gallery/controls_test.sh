#!/usr/bin/env bash
# Runs `lux-gallery --controls` in the X server xvfb-run started and drives the controls window with the
# real pointer and keyboard, checking screenshot pixels and the event lines the gallery prints: hover
# changes a button's fill, a toggle turns accent and fires once, a held button repeats, a three-state
# check box cycles, radio groups exclude within themselves only, a progress bar glides to 60 %, a Yes/No
# dialog opens centred over the darkened window and answers 7 for No and 6 for Enter, T turns every
# control dark, Esc quits.
set -euo pipefail
gallery=$1
shots=$2
mkdir -p "$shots"
events=$shots/controls-events.txt

. "$(dirname "$0")/x11_lib.sh"

# Client point of the controls window to screen.
sx() { echo $((X + $1)); }
sy() { echo $((Y + $1)); }
click_at() { xdotool mousemove "$(sx "$1")" "$(sy "$2")" click 1; }
# Puts the pointer where no control is, so that nothing stays hovered.
park() { xdotool mousemove "$(sx 620)" "$(sy 630)"; }
at() { pixel "$(shot "$1")" "$(sx "$2")" "$(sy "$3")"; }
focus() { give_focus "$wid"; }

"$gallery" --controls >"$events" &
pid=$!
trap 'stop $pid' EXIT
wid=$(timeout 20 xdotool search --sync --onlyvisible --name "^Lux Controls$" | head -1)
[[ -n $wid ]] || fail "no controls window"
eval "$(xdotool getwindowgeometry --shell "$wid")"  # X, Y, WIDTH, HEIGHT
[[ $WIDTH == 1190 && $HEIGHT == 650 ]] || fail "window is ${WIDTH}x$HEIGHT"
park
wait_pixel is "$(sx 620)" "$(sy 630)" F3F3F3 controls-light >/dev/null
wait_line "controls: shown"

# Flat points inside controls, away from their text and edges (client coordinates).
normal=(30 97) accent_btn=(200 97) toggle=(30 142)
accent=$(at accent "${accent_btn[@]}")
rest=$(at normal-rest "${normal[@]}")
echo "accent: $accent, a normal button at rest: $rest"

# Hover blends the button's fill to its hover colour.
xdotool mousemove "$(sx 60)" "$(sy 97)"
hover=$(wait_pixel not "$(sx "${normal[0]}")" "$(sy "${normal[1]}")" "$rest" normal-hover)
echo "hovered: $hover"
park
wait_pixel is "$(sx "${normal[0]}")" "$(sy "${normal[1]}")" "$rest" normal-left >/dev/null

# A toggle click turns the button the accent colour and fires its event once.
[[ $(at toggle-off "${toggle[@]}") != "$accent" ]] || fail "the toggle starts in the accent colour"
click_at 80 142
park
wait_pixel is "$(sx "${toggle[0]}")" "$(sy "${toggle[1]}")" "$accent" toggle-on >/dev/null
wait_line "click: toggle"
[[ $(count "toggle: checked 1") == 1 ]] || fail "the toggle fired $(count "toggle: checked 1") times"

# Held down, the repeating button clicks again and again, counting into its text box.
xdotool mousemove "$(sx 100)" "$(sy 322)" mousedown 1
wait_line "repeat: 3"
xdotool mouseup 1
park
shot repeated >/dev/null

# A check box that allows the third state cycles through it; a plain one does not.
for state in checked grayed unchecked; do
  click_at 440 347
  wait_line "check: three $state"
done
shot check-cycled >/dev/null
# The disabled one first: the lines that follow prove its click had its turn and changed nothing.
click_at 440 379
click_at 440 315
wait_line "check: check checked"
click_at 440 315
wait_line "check: check unchecked"
[[ $(grep -c '^check: check grayed' "$events") == 0 ]] || fail "a two-state check box went grayed"
[[ $(grep -c '^check: check-disabled' "$events") == 0 ]] || fail "the disabled check box changed"

# Radio buttons exclude their own group's siblings only: groups are "a" (3) and "b" (2), printed
# left to right after every check. They start as a-1 and b-2.
click_at 440 525
wait_line "radio: a-3 groups 001 01"
click_at 600 461
wait_line "radio: b-1 groups 001 10"
click_at 440 493
wait_line "radio: a-2 groups 010 10"
shot radios >/dev/null

# The normal bar (370..530, 80..100; its track on rows 89 and 90) glides to 0, then to 60 %: the filled
# end then lies at 60 % of the 159-pixel track.
track_y=89 before_end=$((370 + 95 - 4)) after_end=$((370 + 95 + 6))
click_at 522 227
wait_line "progress: 0"
track=$(wait_pixel not "$(sx 380)" "$(sy $track_y)" "$accent" progress-0)
click_at 417 227
wait_line "progress: 60"
wait_pixel is "$(sx $before_end)" "$(sy $track_y)" "$accent" progress-60 >/dev/null
[[ $(at progress-60 $after_end $track_y) == "$track" ]] || fail "the bar runs past 60 %"
echo "progress track: $track, filled up to 60 %"

# The Yes/No dialog: a new window centred over this one, which darkens behind it.
windows_before=$(xdotool search --onlyvisible --name '' 2>/dev/null | sort || true)
new_window() {
  local w
  for _ in $(seq 300); do
    w=$(comm -13 <(echo "$windows_before") <(xdotool search --onlyvisible --name '' 2>/dev/null | sort) | head -1)
    [[ -n $w ]] && { echo "$w"; return 0; }
    sleep 0.1
  done
  fail "no dialog window"
}
background=$(at before-dialog 620 630)
open_yes_no() {
  click_at 120 458
  wait_line "dialog-open: yesno" "$1"
  dialog=$(new_window)
  eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/D/')"  # DX, DY, DWIDTH, DHEIGHT
}
open_yes_no 1
centre_dx=$((DX + DWIDTH / 2 - X - WIDTH / 2)) centre_dy=$((DY + DHEIGHT / 2 - Y - HEIGHT / 2))
echo "dialog ${DWIDTH}x$DHEIGHT at $DX,$DY; off centre by $centre_dx,$centre_dy"
((centre_dx >= -2 && centre_dx <= 2 && centre_dy >= -2 && centre_dy <= 2)) || fail "the dialog is not centred"
darkened=$(wait_pixel not "$(sx 620)" "$(sy 630)" "$background" dialog-smoke)
(($(brightness "$darkened") < $(brightness "$background"))) || fail "the window behind is not darker ($darkened)"

# The footer's buttons: the footer is the band at the dialog's bottom in one colour (found up its left
# edge); across its middle row, runs of pixels of another colour are the buttons, No first, then Yes.
footer=$(pixel "$shots/dialog-smoke.png" $((DX + 4)) $((DY + DHEIGHT - 3)))
footer_top=$(convert "$shots/dialog-smoke.png" -crop "1x$DHEIGHT+$((DX + 4))+$DY" +repage txt:- |
  awk -v f="$footer" 'NR > 1 { split($1, p, ","); y = p[2] + 0; c = substr($3, 2, 6); if (c != f) top = y + 1 } END { print top }')
row=$((DY + (footer_top + DHEIGHT) / 2))
runs=$(convert "$shots/dialog-smoke.png" -crop "${DWIDTH}x1+$DX+$row" +repage txt:- |
  awk -v f="$footer" 'NR > 1 { split($1, p, ","); c = substr($3, 2, 6); x = p[1] + 0
    if (c != f) { if (start < 0) start = x; last = x } else if (start >= 0) { print start, last; start = -1 } }
    BEGIN { start = -1 } END { if (start >= 0) print start, last }' | awk '$2 - $1 > 30')
[[ $(wc -l <<<"$runs") == 2 ]] || fail "expected two footer buttons, found: $runs"
read -r no_left no_right <<<"$(head -1 <<<"$runs")"
xdotool mousemove $((DX + (no_left + no_right) / 2)) $row click 1
wait_line "dialog: 7"
wait_pixel is "$(sx 620)" "$(sy 630)" "$background" dialog-closed >/dev/null

# Enter answers with the default button, Yes.
windows_before=$(xdotool search --onlyvisible --name '' 2>/dev/null | sort || true)
open_yes_no 2
give_focus "$dialog"
xdotool key Return
wait_line "dialog: 6"
wait_pixel is "$(sx 620)" "$(sy 630)" "$background" dialog-entered >/dev/null

# T turns every control dark: the window, a button, a check box, the progress bar's ground, a panel,
# a panel's content and a text box on it.
samples=("620 630" "30 97" "570 315" "525 82" "1150 140" "1110 220" "704 233")
focus
xdotool key t
wait_line "theme: dark"
wait_pixel is "$(sx 620)" "$(sy 630)" 202020 controls-dark >/dev/null
for point in "${samples[@]}"; do
  read -r px py <<<"$point"
  got=$(at controls-dark "$px" "$py")
  (($(brightness "$got") < 0x50)) || fail "($px, $py) stayed light in the dark theme: $got"
done

xdotool key Escape
wait_line "controls: closed"
wait_exit $pid || fail "Esc did not close the controls window"
wait $pid || fail "the gallery exited with $?"
trap - EXIT
echo "controls: all checks passed; screenshots and events in $shots"
