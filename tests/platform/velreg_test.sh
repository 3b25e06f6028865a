#!/bin/sh
# velreg against a store of its own: the layout of query for every type, add and delete, prompts, exit codes.
# Usage: velreg_test.sh PATH-TO-VELREG
set -u
VELREG=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
export VEL_REGISTRY_DIR="$T/store" HOME="$T/home" XDG_CONFIG_HOME="$T/config" XDG_DATA_HOME="$T/data"
# No session bus unless a case gives one (VELREG_BUS): the runtime folder holds none.
export XDG_RUNTIME_DIR="$T"
failures=0

# run [INPUT] -- ARGS...: runs velreg with INPUT on standard input (none: end of input at once).
run() {
  input=
  if [ "$1" != -- ]; then input=$1; shift; fi
  shift
  printf '%b' "$input" | PATH="${VELREG_PATH:-$PATH}" DBUS_SESSION_BUS_ADDRESS="${VELREG_BUS:-}" "$VELREG" "$@" >"$T/out" 2>"$T/err"
  rc=$?
  last="velreg $*"
}

fail() {
  printf 'FAIL: %s: %s\n' "$last" "$1"
  failures=$((failures + 1))
}

expect_rc() { [ "$rc" -eq "$1" ] || fail "exit code $rc, expected $1"; }

# expect_out / expect_err: the whole of standard output / error equals the text on standard input.
expect_same() {
  cat >"$T/want"
  diff -u "$T/want" "$T/$1" >"$T/diff" || { fail "standard $2 differs"; cat "$T/diff"; }
}
expect_out() { expect_same out output; }
expect_err() { expect_same err error; }

# ok ARGS...: a change that succeeds silently apart from reg's message.
ok() {
  run -- "$@"
  expect_rc 0
  printf 'The operation completed successfully.\n' | expect_out
  : | expect_err
}

not_found() {
  expect_rc 1
  : | expect_out
  echo 'ERROR: The system was unable to find the specified registry key or value.' | expect_err
}

# --- every type, as query shows it -----------------------------------------------------------------
K='HKCU\Software\VelReg'
ok add "$K" /v Text /d 'hello world' /f
ok add "$K" /v Unicode /t REG_SZ /d 'Grüße ✓' /f
ok add "$K" /v Expand /t REG_EXPAND_SZ /d '%HOME%\bin' /f
ok add "$K" /v Dec /t REG_DWORD /d 42 /f
ok add "$K" /v Hex /t reg_dword /d 0xFFFFFFFF /f
ok add "$K" /v Big /t REG_QWORD /d 0x123456789 /f
ok add "$K" /v Bytes /t REG_BINARY /d 0aff10 /f
ok add "$K" /v Odd /t REG_BINARY /d abc /f
ok add "$K" /v NoBytes /t REG_BINARY /f
ok add "$K" /v List /t REG_MULTI_SZ /d 'one\0two\0' /f
ok add "$K" /ve /d 'the default' /f
ok add "$K\Sub\Deeper" /f
ok add "$K\Another" /v x /d y /f

run -- query "$K"
expect_rc 0
expect_out <<'EOF'

HKEY_CURRENT_USER\Software\VelReg
    (Default)    REG_SZ    the default
    Big    REG_QWORD    0x123456789
    Bytes    REG_BINARY    0AFF10
    Dec    REG_DWORD    0x2a
    Expand    REG_EXPAND_SZ    %HOME%\bin
    Hex    REG_DWORD    0xffffffff
    List    REG_MULTI_SZ    one\0two
    NoBytes    REG_BINARY    
    Odd    REG_BINARY    0ABC
    Text    REG_SZ    hello world
    Unicode    REG_SZ    Grüße ✓

HKEY_CURRENT_USER\Software\VelReg\Another
HKEY_CURRENT_USER\Software\VelReg\Sub
EOF

# A key without values lists only its subkeys; the key is shown as it was asked for.
run -- query 'hkey_current_user\software\velreg\SUB\'
expect_rc 0
expect_out <<'EOF'

HKEY_CURRENT_USER\software\velreg\SUB\Deeper
EOF

# A key made without a value name gets an empty default value, as reg makes it.
run -- query "$K\Sub\Deeper"
expect_out <<'EOF'

HKEY_CURRENT_USER\Software\VelReg\Sub\Deeper
    (Default)    REG_SZ    

EOF

run -- query "$K" /v dec
expect_rc 0
expect_out <<'EOF'

HKEY_CURRENT_USER\Software\VelReg
    dec    REG_DWORD    0x2a

EOF

run -- query "$K\Sub" /ve
expect_rc 0
expect_out <<'EOF'

HKEY_CURRENT_USER\Software\VelReg\Sub
    (Default)    REG_SZ    (value not set)
EOF

run -- query "$K" /v Missing
not_found
run -- query 'HKLM\Software\VelReg'
not_found

# The machine hive is a store of its own.
ok add 'HKEY_LOCAL_MACHINE\Software\VelReg' /v Where /d machine /f
[ -f "$T/store/HKEY_LOCAL_MACHINE.db" ] || fail "no machine hive file"
run -- query "$K" /v Where
not_found

# --- refused input writes nothing ------------------------------------------------------------------
bad_data() {
  run -- add "$K" /v Bad "$@" /f
  expect_rc 1
  : | expect_out
  run -- query "$K" /v Bad
  not_found
}
bad_data /t REG_DWORD /d abc
bad_data /t REG_DWORD /d 4294967296
bad_data /t REG_DWORD /d -1
bad_data /t REG_QWORD /d 0x
bad_data /t REG_BINARY /d 0g
bad_data /t REG_MULTI_SZ /d 'a\0\0b'
bad_data /t REG_FOO /d x
run -- add "$K" /v Bad /t REG_FOO /f
echo 'ERROR: Unsupported registry data type [REG_FOO]' | expect_err

syntax() {
  run -- "$@"
  expect_rc 1
  : | expect_out
  grep -q '^ERROR: Invalid syntax\.$' "$T/err" || fail "no syntax error"
}
syntax
syntax frobnicate "$K"
syntax query
syntax query "$K" /v
syntax query "$K" /v a /ve
syntax query "$K" /f
syntax query "$K" extra
syntax add "$K" /d a /d b
syntax delete "$K" /t REG_SZ

run -- query 'HKXX\Software'
expect_rc 1
grep -q '^ERROR: Invalid key name\.$' "$T/err" || fail "no key name error"

# --- asking before overwriting and deleting --------------------------------------------------------
run -- add "$K" /v Text /d changed
expect_rc 0
grep -q 'The operation was cancelled' "$T/out" || fail "end of input did not cancel"
run 'n\n' -- add "$K" /v TEXT /d changed
grep -q '^Value TEXT exists, overwrite (Yes/No)? ' "$T/out" || fail "no overwrite question"
run -- query "$K" /v Text
grep -q '    Text    REG_SZ    hello world$' "$T/out" || fail "value overwritten without a yes"
run 'maybe\nyes\n' -- add "$K" /v Text /d 'changed'
expect_rc 0
grep -q 'The operation completed successfully' "$T/out" || fail "yes did not overwrite"
[ "$(grep -o 'Yes/No' "$T/out" | wc -l)" -eq 2 ] || fail "an unclear answer was not asked again"
run -- query "$K" /v Text
grep -q '    Text    REG_SZ    changed$' "$T/out" || fail "value not overwritten"

run 'no\n' -- delete "$K" /v Text
run -- query "$K" /v Text
expect_rc 0
run 'y\n' -- delete "$K" /v text
grep -q 'The operation completed successfully' "$T/out" || fail "value not deleted"
run -- query "$K" /v Text
not_found

run -- delete "$K"
expect_rc 0
run -- query "$K\Sub\Deeper"
expect_rc 0

# --- deleting with /f ------------------------------------------------------------------------------
ok delete "$K" /ve /f
run -- query "$K" /ve
grep -q '(value not set)' "$T/out" || fail "default value not deleted"
run -- delete "$K" /v Missing /f
not_found
run -- delete "$K\Missing" /f
not_found
run -- delete HKCU /f
expect_rc 1
ok delete "$K" /f
run -- query "$K\Sub\Deeper"
not_found

# --- the app theme and accent, live from the desktop unless stored ----------------------------------
PERSONALIZE='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
mkdir -p "$T/bin"
cat >"$T/bin/gdbus" <<'FAKE'
#!/bin/sh
# A desktop that prefers dark and has a red accent.
case "$*" in
  *Settings.ReadAll*org.freedesktop.appearance*)
    echo "({'org.freedesktop.appearance': {'color-scheme': <uint32 1>, 'accent-color': <(1.0, 0.0, 0.0)>}},)" ;;
esac
FAKE
chmod +x "$T/bin/gdbus"
VELREG_PATH="$T/bin:$PATH"
# The portal lives on the session bus: without one nobody is asked (gdbus would try to launch a bus).
run -- query "$PERSONALIZE" /v AppsUseLightTheme
not_found
VELREG_BUS="unix:path=$T/bus"
run -- query "$PERSONALIZE" /v AppsUseLightTheme
expect_rc 0
grep -q 'AppsUseLightTheme    REG_DWORD    0x0' "$T/out" || fail "the desktop's dark preference is not answered"
run -- query 'HKCU\Software\Microsoft\Windows\DWM' /v AccentColor
grep -q 'AccentColor    REG_DWORD    0xff0000ff' "$T/out" || fail "the desktop's accent is not answered"
# Without a desktop to ask the key is there, the value is not.
VELREG_PATH=/nonexistent
run -- query "$PERSONALIZE" /v AppsUseLightTheme
not_found
run -- query "$PERSONALIZE"
expect_rc 0
# A stored value wins over the desktop.
ok add "$PERSONALIZE" /v AppsUseLightTheme /t REG_DWORD /d 1 /f
VELREG_PATH="$T/bin:$PATH"
run -- query "$PERSONALIZE" /v AppsUseLightTheme
grep -q 'AppsUseLightTheme    REG_DWORD    0x1' "$T/out" || fail "a stored value does not win"
unset VELREG_PATH VELREG_BUS

# --- a damaged store: an error naming the file, for reading and writing alike, and the file kept -------
DAMAGED="$T/damaged"
mkdir -p "$DAMAGED"
printf 'this is no database, whatever its name says %0600d' 0 >"$DAMAGED/HKEY_CURRENT_USER.db"
cp "$DAMAGED/HKEY_CURRENT_USER.db" "$T/damaged-copy"
VEL_REGISTRY_DIR="$DAMAGED"
for args in 'query HKCU\Software' 'query HKCU' 'add HKCU\Software\New /v X /d 1 /f' 'delete HKCU\Software /f'; do
  # shellcheck disable=SC2086
  run -- $args
  expect_rc 1
  : | expect_out
  grep -q "^ERROR: .*\"$DAMAGED/HKEY_CURRENT_USER.db\"" "$T/err" || fail "the error does not name the store: $(cat "$T/err")"
  cmp -s "$DAMAGED/HKEY_CURRENT_USER.db" "$T/damaged-copy" || fail "the damaged store was changed"
done
[ "$(ls "$DAMAGED")" = HKEY_CURRENT_USER.db ] || fail "files were added beside the damaged store: $(ls "$DAMAGED")"
VEL_REGISTRY_DIR="$T/store"

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "all passed"
