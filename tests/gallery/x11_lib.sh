# Shared by the gallery's X tests (sourced): screenshots, pixels, waiting for states, and ending the
# program under test by its pid. Expects $shots (the screenshot folder) to be set, and $events (the
# file the program's event lines go to) for the event helpers.

fail() { echo "FAIL: $*" >&2; exit 1; }
# The colour of one screen pixel of a screenshot, as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
shot() { import -window root "$shots/$1.png"; echo "$shots/$1.png"; }
# How many event lines equal a text exactly (lines of the Windows build end with a carriage return too).
count() { tr -d '\r' <"$events" | grep -cxF -- "$1" || true; }
# Waits until the event line has been printed N times (default once).
wait_line() {
  local want=${2:-1}
  for _ in $(seq 300); do
    [[ $(count "$1") -ge $want ]] && return 0
    sleep 0.1
  done
  fail "no event line '$1' (x$want); the program printed:$(printf '\n  %s' "$(cat "$events")")"
}
# Waits until the pixel at (x, y) of the screen is (or, with "not", is no longer) a colour; prints it.
# The limits are generous: a loaded machine draws late, and only a state that never comes fails.
wait_pixel() {
  local mode=$1 x=$2 y=$3 want=$4 name=$5 got
  for _ in $(seq 150); do
    got=$(pixel "$(shot "$name")" "$x" "$y")
    if [[ $mode == is && $got == "$want" ]] || [[ $mode == not && $got != "$want" ]]; then echo "$got"; return 0; fi
    sleep 0.1
  done
  fail "$name: pixel ($x, $y) is $got, wanted $mode $want"
}
# A message dialog's rightmost footer button, its window at X, Y, WIDTH, HEIGHT of a screenshot: the
# rightmost run of pixels on the footer row that is not the footer's colour (the row is read in one
# go). Sets BX, BY (its middle), BCOLOR and BUTTON (what was found); answers false when there is none.
dialog_button() {
  local image=$1 row=$((Y + HEIGHT - 26)) found footer left right
  found=$(convert "$image" -crop "${WIDTH}x1+${X}+${row}" +repage -depth 8 txt:- |
    awk -F'[ ,:]+' 'NR > 1 { split($0, f, "#"); c[$1] = substr(f[2], 1, 6); n = $1 }
      END {
        footer = c[3]; right = -1; left = -1
        for (x = n - 3; x > n - 220 && x >= 0; x--) {
          if (c[x] != footer) { if (right < 0) right = x; left = x }
          else if (right >= 0 && right - x > 60) break
        }
        print footer, left, right, (left >= 0 ? c[left + 6] : "none")
      }')
  read -r footer left right BCOLOR <<<"$found"
  BUTTON="footer $footer on row $row, button $((X + left))..$((X + right)), colour $BCOLOR"
  [[ $right -ge 0 ]] || return 1
  BX=$((X + (left + right) / 2)) BY=$row
}
# Waits until a message dialog's window shows its own picture, and keeps that screenshot under a name.
# A window is on the screen a moment before its first frame, showing what was behind it: its area must
# differ from the same area of a screenshot taken before it opened, and show a footer button. Sets X, Y,
# WIDTH, HEIGHT (the window) and what dialog_button sets.
# Usage: wait_dialog_drawn WINDOW NAME SCREENSHOT_BEFORE
wait_dialog_drawn() {
  local wid=$1 name=$2 before=$3 image area
  for _ in $(seq 150); do
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    image=$(shot "$name")
    area="${WIDTH}x$HEIGHT+$X+$Y"
    if [[ $(convert "$image" -crop "$area" +repage -format '%#' info:) != \
          "$(convert "$before" -crop "$area" +repage -format '%#' info:)" ]] && dialog_button "$image"; then
      return 0
    fi
    sleep 0.1
  done
  fail "$name: the dialog does not show its own picture with a button (${BUTTON:-nothing found})"
}
# Gives a window the keyboard (there is no window manager to hand it over on a click) and waits until
# the X server says the window has it: the program hears of it before any key sent after this.
# Waits until window $1 is $2 x $3 and sets X, Y, WIDTH and HEIGHT from its place. Under Wine a window
# may show a moment in the system's frame, elsewhere and larger, before the form takes its own title
# bar: its place counts once the X window is the form's client area.
wait_size() {
  for _ in $(seq 150); do
    eval "$(xdotool getwindowgeometry --shell "$1")"  # X, Y, WIDTH, HEIGHT
    [[ $WIDTH == "$2" && $HEIGHT == "$3" ]] && return 0
    sleep 0.1
  done
  fail "window $1 is ${WIDTH}x$HEIGHT, not $2x$3"
}

give_focus() { timeout 60 xdotool windowfocus --sync "$1" || fail "window $1 did not take the keyboard"; }
# The mean of a colour's three channels.
brightness() { echo $(((16#${1:0:2} + 16#${1:2:2} + 16#${1:4:2}) / 3)); }

# Waits for the program to end by itself; fails when it is still running after a generous wait.
wait_exit() {
  for _ in $(seq 300); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

# Ends the program by its pid: SIGTERM first, SIGKILL only when it outlives a generous wait.
stop() {
  local pid=$1
  kill -0 "$pid" 2>/dev/null || return 0
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
}

# A home, XDG folders and registry store of the test's own in a new folder, named in $box (the
# instance lock lives in its runtime folder); the caller removes $box when it ends.
isolated_box() {
  box=$(mktemp -d)
  export HOME=$box/home XDG_DATA_HOME=$box/home/.local/share XDG_CONFIG_HOME=$box/home/.config
  export XDG_RUNTIME_DIR=$box/run VEL_REGISTRY_DIR=$box/registry
  mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$VEL_REGISTRY_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

# Programs of the Windows build run under Wine in the prefix wine_x11_run.sh made, with Wine's desktop
# integration kept inside the prefix, away from the real home.
use_wine() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export HOME=$WINEPREFIX/unix-home XDG_DATA_HOME=$WINEPREFIX/unix-home/.local/share
  export XDG_CONFIG_HOME=$WINEPREFIX/unix-home/.config
}
