#!/usr/bin/env bash
# Drives the real installer window through its wizard in the X server xvfb-run started, with the real
# pointer and keyboard, and checks the pages by pixels and the installation by what it left behind.
# Usage: installer_wizard_test.sh SETUP VELREG SCREENSHOTS CASE, where CASE is one of
#   main       welcome → licence (refused without Agree) → settings (a typed folder) → install →
#              success; the files, record and shortcuts; "Open application" starts the application
#   dark       the stored dark app theme: a dark window with light text
#   processes  a running copy holds the wizard on the processes page until "Terminate All"
#   error      an installation that fails ends on the error page; deleting the temporary files
#              removes only what this run wrote
#   info       Package Info: the report copied to the clipboard, Close closes the dialog
# The Windows build's QuarrowStudioSetup.exe runs under Wine (in the X server and prefix wine_x11_run.sh
# made; VELREG is then unused) with these cases:
#   wine       as main, the keyboard too, up to Close on the success page; the files and the record
#              (`wine reg query`) it left
#   wine_dialogs  the framework dialogs: -help, "Program is already running" beside the wizard, and
#              the newer-version question, each answered with the keyboard and ending with its code
set -euo pipefail
setup=$1
velreg=$2
shots=$3
case_name=$4
mkdir -p "$shots"

. "$(dirname "$0")/x11_lib.sh"

# A home, XDG folders and registry store of this case's own.
isolated_box
# The Windows build runs under Wine, whose prefix holds its registry; its menu builder stays off.
launcher=()
if [[ $setup == *.exe ]]; then
  launcher=(wine)
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
fi
mkdir -p "$HOME/Desktop"
printf 'XDG_DESKTOP_DIR="$HOME/Desktop"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
# The application leaves a line here when it runs.
export QUARROW_DEMO_MARKER=$box/demo-ran

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do stop "$pid"; done
  rm -rf "$box"
}
trap cleanup EXIT

record='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quarrow Studio'
title='Quarrow Studio Suite Installer'

# The pids of the running copies of the application on this machine, found as the installer finds
# them: by the name of their executable.
running_copies() {
  local exe pid
  for exe in /proc/[0-9]*/exe; do
    [[ $(basename "$(readlink "$exe" 2>/dev/null)") == QuarrowStudio.exe ]] || continue
    pid=${exe#/proc/}
    echo "${pid%/exe}"
  done
}
# Copies of others would turn the wizard to its processes page, and "Terminate All" would end them.
[[ -z $(running_copies) ]] || fail "another copy of QuarrowStudio.exe runs on this machine: $(running_copies | tr '\n' ' ')"

# Starts the installer with the given arguments, away from any console (under Wine for the Windows
# build); sets RUN_PID.
start_setup() {
  "${launcher[@]}" "$setup" "$@" </dev/null >>"$box/setup.out" 2>&1 &
  RUN_PID=$!
  pids+=("$RUN_PID")
}
# Starts the installer with the given arguments; sets SETUP_PID and X, Y (its window's place).
open_installer() {
  start_setup "$@"
  SETUP_PID=$RUN_PID
  local wid=""
  for _ in $(seq 150); do
    wid=$(xdotool search --all --onlyvisible --pid "$SETUP_PID" --name "^$title" 2>/dev/null | head -1 || true)
    [[ -n $wid ]] && break
    kill -0 "$SETUP_PID" 2>/dev/null || fail "the installer ended at once: $(cat "$box/setup.out")"
    sleep 0.2
  done
  [[ -n $wid ]] || fail "no window titled \"$title\"; the installer printed: $(cat "$box/setup.out")"
  WID=$wid
  local WINDOW WIDTH HEIGHT SCREEN
  # Wine may show the window a moment in the system's frame before the form takes its own title bar.
  for _ in $(seq 150); do
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    [[ $WIDTH == 734 && $HEIGHT == 461 ]] && break
    sleep 0.1
  done
  [[ $WIDTH == 734 && $HEIGHT == 461 ]] || fail "the installer window is ${WIDTH}x$HEIGHT, not 734x461"
}

# The visible windows of the installer (its own and its dialogs).
window_count() { xdotool search --onlyvisible --pid "$SETUP_PID" 2>/dev/null | wc -l; }

# Clicks at a place given in the window's client coordinates.
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }
# Places of the window (client coordinates).
NEXT=(656 427)       # Next, Install and Close share it
PREVIOUS=(503 427)
INFO=(330 427)
AGREE=(283 357)      # the licence page's Agree (page origin 248, 40)
PATH_EDIT=(480 152)  # the settings page's path edit
TERMINATE=(373 307)
RUN=(384 249)        # the success page's "Open application"
DELETE=(384 307)     # the error page's "Delete temporary files"
CLOSE_BOX=(711 11)   # the title bar's close button

# What a screenshot shows where the pages differ, as a word of seven letters, each 1 where the window
# is drawn there and 0 where it shows the plain background: the Previous button, the button in the
# Next/Install/Close place, the settings page's "Start Menu" box (checked, so filled; read below its tick, whose glyph is bolder under Wine), the processes
# page's "Terminate All" (the error page's button covers that place too), the success page's "Open
# application", the error page's "Delete temporary files", and the licence page's "Disagree". Buttons
# and the box are read at one pixel in their flat fill; the "Disagree" text as a region, whose darkest
# and lightest pixels differ where anything is written.
signature() {
  local image=$1 format="" p bg colours colour word="" spread
  # The background first (between the page area and the button row), then the probes, in one read.
  for p in 255,400 440,414 592,414 492,288 400,300 490,250 490,315; do
    format+="%[hex:p{$((X + ${p%,*})),$((Y + ${p#*,}))}] "
  done
  read -r bg colours <<<"$(convert "$image" -format "$format" info:)"
  for colour in $colours; do
    [[ ${colour:0:6} == "${bg:0:6}" ]] && word+=0 || word+=1
  done
  spread=$(convert "$image" -crop "100x22+$((X + 500))+$((Y + 346))" +repage -colorspace gray \
    -format "%[fx:int(100*(maxima-minima))]" info:)
  ((spread > 30)) && word+=1 || word+=0
  echo "$word"
}
declare -A PAGE_SIGNATURE=(
  [2]=0100000 [3]=1101000 [4]=1100001 [5]=1110000 [6]=1100000 [7]=0000000 [8]=0100100 [9]=0101010
)
# Waits until the window shows a page (the same signature on two screenshots in a row, so a page
# half slid in does not count) and no dialog is open; the screenshot is kept under the given name.
wait_page() {
  local page=$1 name=$2 want=${PAGE_SIGNATURE[$1]} got="" image matches=0
  for _ in $(seq 200); do
    image=$(shot "$name")
    got=$(signature "$image")
    if [[ $got == "$want" && $(window_count) == 1 ]]; then
      matches=$((matches + 1))
      ((matches >= 2)) && return 0
    else
      matches=0
    fi
    kill -0 "$SETUP_PID" 2>/dev/null || fail "$name: the installer ended while waiting for page $page"
    sleep 0.1
  done
  fail "$name: the window shows $got, not page $page ($want)"
}
# Waits until a second window of the installer (a dialog) is shown.
wait_dialog() {
  for _ in $(seq 200); do
    [[ $(window_count) -ge 2 ]] && return 0
    sleep 0.1
  done
  fail "$1: no dialog opened"
}
# Waits for the installer (or another run of it: its pid and a name for it) to end and checks its
# exit code.
expect_exit() {
  local want=$1 pid=${2:-$SETUP_PID} name=${3:-the installer} code
  wait_exit "$pid" || fail "$name did not end"
  set +e
  wait "$pid"
  code=$?
  set -e
  [[ $code == "$want" ]] || fail "$name ended with $code, not $want"
}

# The brightness of the darkest and the lightest pixel of a region of the window, 0 to 255.
darkest() { convert "$1" -crop "$4x$5+$((X + $2))+$((Y + $3))" +repage -colorspace gray -format "%[fx:int(255*minima)]" info:; }
lightest() { convert "$1" -crop "$4x$5+$((X + $2))+$((Y + $3))" +repage -colorspace gray -format "%[fx:int(255*maxima)]" info:; }

# Whether a colour is the accent's kind: far from grey.
saturated() {
  local r=$((16#${1:0:2})) g=$((16#${1:2:2})) b=$((16#${1:4:2}))
  local hi=$((r > g ? (r > b ? r : b) : (g > b ? g : b))) lo=$((r < g ? (r < b ? r : b) : (g < b ? g : b)))
  ((hi - lo > 60))
}
# Clicks a control until a pixel of it (client coordinates; with ROWS, any of that many pixels from
# there down) takes the accent colour: the Agree radio's ring, the focused edit's underline, which
# sits a line or two higher where the system's font metrics make the text boxes lower. A busy window
# can let a click go while it takes the focus; one that never reacts still fails.
click_until_accent() {
  local x=$1 y=$2 px=$3 py=$4 name=$5 rows=${6:-1} image colour
  for _ in 1 2 3 4 5; do
    click "$x" "$y"
    for _ in $(seq 40); do
      image=$(shot "$name")
      for colour in $(convert "$image" -crop "1x$rows+$((X + px))+$((Y + py))" +repage -depth 8 txt:- |
        sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p'); do
        saturated "$colour" && return 0
      done
      sleep 0.1
    done
  done
  fail "$name: the control at ($x, $y) did not take the accent colour"
}

# Moves the pointer onto a control (client coordinates of a flat point of it) and waits until the
# control shows it is hovered: the window has then dealt with all the input sent before.
hover_until_lit() {
  local x=$((X + $1)) y=$((Y + $2)) rest
  rest=$(pixel "$(shot "$3")" "$x" "$y")
  xdotool mousemove "$x" "$y"
  wait_pixel not "$x" "$y" "$rest" "$3" >/dev/null
}

# Goes from the welcome page to the settings page, answering the licence.
to_settings() {
  click "${NEXT[@]}"
  wait_page 4 "$case_name-license"
  click_until_accent "${AGREE[@]}" $((AGREE[0] - 6)) "${AGREE[1]}" "$case_name-agreed"
  click "${NEXT[@]}"
  wait_page 5 "$case_name-settings"
}

# Types a folder into the settings page's path edit in place of what it shows. The X server has no
# window manager to hand the keyboard back to the window when a dialog of it closed; this does.
type_path() {
  give_focus "$WID"
  click_until_accent "${PATH_EDIT[@]}" "${PATH_EDIT[0]}" 165 "$case_name-path-focused" 5
  xdotool key ctrl+a
  xdotool type --delay 5 "$1"
  # The window deals with its input in order: once the pointer moved onto Next afterwards lights it,
  # every key before has been dealt with.
  hover_until_lit 592 414 "$case_name-settings-typed"
}

# Whether an install report lists its files. The Windows build writes it in UTF-16 with its mark, so
# folders named outside the code page survive; the Linux one in UTF-8.
has_files_section() {
  local text
  if [[ $(head -c 2 "$1" | od -An -tx1 | tr -d ' ') == fffe ]]; then
    text=$(iconv -f UTF-16 -t UTF-8 "$1")
  else
    text=$(cat "$1")
  fi
  grep -q '^\[Files\]' <<<"${text//$'\r'/}"
}

case_main() {
  open_installer
  wait_page 2 main-welcome
  local image
  image=$(shot main-welcome)
  (($(brightness "$(pixel "$image" $((X + 255)) $((Y + 400)))") > 200)) || fail "the light window is not light"

  # The licence refuses Next until Agree: its dialog is a second window, Enter closes it, the page stays.
  click "${NEXT[@]}"
  wait_page 4 main-license
  click "${NEXT[@]}"
  wait_dialog main-license-refused
  shot main-license-refused >/dev/null
  xdotool key Return
  wait_page 4 main-license-after
  # Previous leads back to the welcome page, Next to the licence again.
  click "${PREVIOUS[@]}"
  wait_page 2 main-back
  click "${NEXT[@]}"
  wait_page 4 main-license-again
  click_until_accent "${AGREE[@]}" $((AGREE[0] - 6)) "${AGREE[1]}" main-agreed
  click "${NEXT[@]}"
  wait_page 5 main-settings

  local target=$box/apps/Quarrow
  type_path "$target"
  click "${NEXT[@]}"
  wait_page 6 main-ready
  click "${NEXT[@]}"
  wait_page 7 main-installing
  wait_page 8 main-success

  local file
  for file in QuarrowStudio.exe Uninstall.exe InstallReport.ini README.txt data/sample01.qsd; do
    [[ -f $target/$file ]] || fail "the installation has no $file in $target"
  done
  [[ -x $target/QuarrowStudio.exe ]] || fail "the application is not executable"
  has_files_section "$target/InstallReport.ini" || fail "the report has no [Files] section"
  local query
  query=$("$velreg" query "$record") || fail "no record: $query"
  grep -Eq "InstallLocation +REG_SZ +$target" <<<"$query" || fail "the record does not name $target: $query"
  [[ -f "$XDG_DATA_HOME/applications/Quarrow Studio.desktop" ]] || fail "no Start-menu shortcut"
  [[ -f "$HOME/Desktop/Quarrow Studio.desktop" ]] || fail "no desktop shortcut"
  grep -qF "$target/QuarrowStudio.exe" "$HOME/Desktop/Quarrow Studio.desktop" || fail "the desktop shortcut does not start the installed application"

  # "Open application" starts the application and the installer ends.
  [[ ! -e $QUARROW_DEMO_MARKER ]] || fail "the application ran before it was asked to"
  click "${RUN[@]}"
  expect_exit 0
  for _ in $(seq 100); do [[ -s $QUARROW_DEMO_MARKER ]] && break; sleep 0.1; done
  grep -q "ran" "$QUARROW_DEMO_MARKER" 2>/dev/null || fail "the application did not run"
}

case_dark() {
  "$velreg" add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' /v AppsUseLightTheme \
    /t REG_DWORD /d 0 /f >/dev/null
  open_installer
  wait_page 2 dark-welcome
  local image bg
  image=$(shot dark-welcome)
  bg=$(pixel "$image" $((X + 255)) $((Y + 400)))
  (($(brightness "$bg") < 60)) || fail "the dark window's background is $bg"
  # The welcome text: light letters on the dark ground, none dark.
  (($(lightest "$image" 268 165 400 130) > 200)) || fail "the welcome text is not light"
  (($(darkest "$image" 268 165 400 130) < 60)) || fail "the welcome text's ground is not dark"
  to_settings
  image=$(shot dark-settings)
  (($(lightest "$image" 268 45 330 35) > 200)) || fail "the settings heading is not light"
  (($(brightness "$(pixel "$image" $((X + 255)) $((Y + 400)))")< 60)) || fail "the settings page is not dark"
  # The title bar's close button ends the installer as a normal end.
  click "${CLOSE_BOX[@]}"
  expect_exit 0
}

case_processes() {
  local first=$box/first
  "$setup" -silent -installpath "$first" </dev/null >"$box/silent.out" 2>&1 || fail "the silent install failed: $(cat "$box/silent.out")"
  "$first/QuarrowStudio.exe" --stay 60 >/dev/null &
  local demo=$!
  pids+=("$demo")
  open_installer
  wait_page 2 processes-welcome
  click "${NEXT[@]}"
  wait_page 3 processes-page
  # Still running: Next keeps the page (once Terminate All lights under the pointer, the click on Next
  # before it has been dealt with).
  click "${NEXT[@]}"
  hover_until_lit 400 300 processes-next
  wait_page 3 processes-still
  kill -0 "$demo" 2>/dev/null || fail "the application ended without being asked"
  [[ $(running_copies) == "$demo" ]] || fail "copies other than ours run: $(running_copies | tr '\n' ' ')"
  click "${TERMINATE[@]}"
  wait_exit "$demo" || fail "Terminate All did not end the application"
  click "${NEXT[@]}"
  wait_page 4 processes-license
  click "${CLOSE_BOX[@]}"
  expect_exit 0
}

case_error() {
  # The folder holds a file of the user's, and a file where the application's data folder must go:
  # the extraction fails there, whoever runs it.
  local target=$box/target
  mkdir -p "$target"
  echo "mine" >"$target/notes.txt"
  echo "mine too" >"$target/data"
  open_installer
  wait_page 2 error-welcome
  to_settings
  type_path "$target"
  click "${NEXT[@]}"
  wait_page 6 error-ready
  click "${NEXT[@]}"
  wait_page 9 error-failed
  # "Delete temporary files" stays on one line: nothing is written in its fill above or below it.
  local image
  image=$(shot error-failed)
  (($(darkest "$image" 300 292 190 6) > 200 && $(darkest "$image" 300 318 190 4) > 200)) ||
    fail "the caption of \"Delete temporary files\" breaks out of its line"
  # Every file is checked and written beside its place before any is put there: the failed run put
  # none of the application's files in place and left none of its half-made ones.
  local left
  left=$(cd "$target" && ls -A | sort | tr '\n' ' ')
  [[ $left == "data notes.txt " ]] || fail "after the failure the install folder holds \"$left\""
  ! "$velreg" query "$record" >/dev/null 2>&1 || fail "a failed installation left a record"
  [[ ! -e "$HOME/Desktop/Quarrow Studio.desktop" ]] || fail "a failed installation left a shortcut"

  # Deleting the temporary files asks first; Yes (Enter) removes what this run wrote and nothing else.
  click "${DELETE[@]}"
  wait_dialog error-question
  shot error-question >/dev/null
  xdotool key Return
  wait_page 9 error-deleted
  left=$(cd "$target" && ls -A | sort | tr '\n' ' ')
  [[ $left == "data notes.txt " ]] || fail "the install folder holds \"$left\", not the user's two files"
  [[ $(cat "$target/notes.txt") == mine && $(cat "$target/data") == "mine too" ]] || fail "the user's files changed"
  click "${NEXT[@]}"  # Close
  expect_exit 0
}

case_info() {
  open_installer
  wait_page 2 info-welcome
  import -window root "$box/before-info.png"
  click "${INFO[@]}"
  wait_dialog info-dialog
  local did="" DX DY DW DH
  for _ in $(seq 100); do
    did=$(xdotool search --all --onlyvisible --pid "$SETUP_PID" --name '^Installer Package Information$' 2>/dev/null | head -1 || true)
    [[ -n $did ]] && break
    sleep 0.1
  done
  [[ -n $did ]] || fail "no \"Installer Package Information\" window"
  (wait_dialog_drawn "$did" info-dialog "$box/before-info.png")
  eval "$(xdotool getwindowgeometry --shell "$did" | sed 's/^X=/DX=/; s/^Y=/DY=/; s/^WIDTH=/DW=/; s/^HEIGHT=/DH=/')"
  # The bottom row's buttons sit at its right, Close outermost, each 110 wide with 5 around it.
  xdotool mousemove $((DX + DW - 180)) $((DY + DH - 20)) click 1
  local copied=""
  for _ in $(seq 50); do
    copied=$(timeout 10 xclip -o -selection clipboard 2>/dev/null || true)
    [[ -n $copied ]] && break
    sleep 0.2
  done
  [[ -n $copied ]] || fail "Copy put nothing on the clipboard"
  [[ $(head -1 <<<"$copied") == "🢂 Program information" ]] || fail "the copied report starts with \"$(head -1 <<<"$copied")\""
  grep -qx "Program name: Quarrow Studio" <<<"$copied" || fail "the copied report lacks the program name"
  xdotool mousemove $((DX + DW - 60)) $((DY + DH - 20)) click 1
  wait_page 2 info-closed
  click "${CLOSE_BOX[@]}"
  expect_exit 0
}

# The Windows build under Wine: the wizard to its end with the pointer and the keyboard, then what the
# installation left in the prefix and its registry.
case_wine() {
  local uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quarrow Studio'
  local target=$WINEPREFIX/drive_c/QuarrowTest/Quarrow
  mkdir -p "$(dirname "$target")"
  open_installer
  wait_page 2 wine-welcome
  # Enter presses the focused button, which is the page's way forward.
  give_focus "$WID"
  xdotool key Return
  wait_page 4 wine-license
  click "${NEXT[@]}"
  wait_dialog wine-license-refused
  shot wine-license-refused >/dev/null
  xdotool key Return
  wait_page 4 wine-license-after
  click_until_accent "${AGREE[@]}" $((AGREE[0] - 6)) "${AGREE[1]}" wine-agreed
  click "${NEXT[@]}"
  wait_page 5 wine-settings
  type_path 'C:\QuarrowTest\Quarrow'
  click "${NEXT[@]}"
  wait_page 6 wine-ready
  # Install: the installing page may pass between two screenshots here, so only its end is awaited.
  xdotool key Return
  wait_page 8 wine-success

  local file
  for file in QuarrowStudio.exe Uninstall.exe InstallReport.ini README.txt data/sample01.qsd; do
    [[ -f $target/$file ]] || fail "the installation has no $file in $target"
  done
  has_files_section "$target/InstallReport.ini" || fail "the report has no [Files] section"
  local query
  query=$(wine reg query "$uninstall" 2>&1 | tr -d '\r') || fail "no record: $query"
  printf '%s\n' "$query" >"$shots/wine-record.txt"
  local want
  for want in 'DisplayName +REG_SZ +Quarrow Studio' \
    'UninstallString +REG_SZ +"C:\\QuarrowTest\\Quarrow\\Uninstall\.exe"$' \
    'QuietUninstallString +REG_SZ +"C:\\QuarrowTest\\Quarrow\\Uninstall\.exe" -silent$' \
    'InstallDate +REG_SZ +[0-9]{8}$' 'VersionMajor +REG_DWORD +0x1$' 'VersionMinor +REG_DWORD +0x1$'; do
    grep -Eq "^ +$want" <<<"$query" || fail "the record has no line like \"$want\": $query"
  done
  click "${NEXT[@]}"  # Close
  expect_exit 0
}

# Waits for the dialog of a run (a process that shows nothing else) and gives it the keyboard; prints
# its id. The framework's message dialogs draw their title inside and leave the window's caption
# empty: they are known by their process. The dialog is stored as a screenshot of the given name, once
# it shows its own picture (a screenshot from before the run started tells).
focus_dialog() {
  local pid=$1 name=$2 before=$3 wid=""
  for _ in $(seq 300); do
    wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1 || true)
    [[ -n $wid ]] && break
    kill -0 "$pid" 2>/dev/null || fail "$name: the run ended before its dialog: $(cat "$box/setup.out")"
    sleep 0.1
  done
  [[ -n $wid ]] || fail "$name: no dialog"
  [[ -z $(xdotool getwindowname "$wid") ]] || fail "$name: the dialog's window is named \"$(xdotool getwindowname "$wid")\""
  give_focus "$wid"
  # In a subshell: the wizard's place (X, Y) stays.
  (wait_dialog_drawn "$wid" "$name" "$before")
  echo "$wid"
}
# The framework's dialogs of the Windows build, each answered with the keyboard.
case_wine_dialogs() {
  import -window root "$box/before.png"
  start_setup -help
  focus_dialog "$RUN_PID" wine-help "$box/before.png" >/dev/null
  xdotool key Return
  expect_exit 0 "$RUN_PID" "the help"

  # A second copy beside the wizard is refused; the wizard stays.
  open_installer
  wait_page 2 wine-first
  import -window root "$box/before.png"
  start_setup
  focus_dialog "$RUN_PID" wine-already-running "$box/before.png" >/dev/null
  xdotool key Return
  expect_exit 5 "$RUN_PID" "the second copy"
  kill -0 "$SETUP_PID" 2>/dev/null || fail "the refused copy ended the first one"
  click "${CLOSE_BOX[@]}"
  expect_exit 0

  # A newer version on record: the question comes before the wizard, and No declines.
  wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quarrow Studio' /v DisplayVersion \
    /t REG_SZ /d 9.0.0.0 /f >/dev/null 2>&1 || fail "the newer version could not be recorded"
  import -window root "$box/before.png"
  start_setup
  focus_dialog "$RUN_PID" wine-newer-version "$box/before.png" >/dev/null
  xdotool key Escape
  expect_exit 7 "$RUN_PID" "the newer-version question"
}

"case_$case_name"
echo "installer wizard ($case_name): all checks passed; screenshots in $shots"
