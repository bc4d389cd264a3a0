#!/usr/bin/env bash
# The program as a user starts it: a picture of the main window without a
# display, a start with its fonts and a language file missing, one instance
# per session bus (a picture is always taken by its own process), and a clear
# word when there is no graphical session or no session bus.
#   start_test.sh BIN_DIR
set -uo pipefail
bin="${1:?usage: start_test.sh BIN_DIR}"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
is_png() { [ "$(head -c 8 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ]; }

# 1. A picture of the main window with the simulated devices, no display.
screenshot() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
    timeout 60 "$bin/vandrel" --simulate --screenshot "$work/shot.png" 2>"$work/shot.err"
  local code=$?
  [ $code -eq 0 ] && is_png "$work/shot.png" || { cat "$work/shot.err"; false; }
}
check "screenshot without a display" screenshot
no_bus_text='single instance and messages between programs are off'
check "a picture does not look for the session bus" test "$(grep -c "$no_bus_text" "$work/shot.err")" = 0

# A running start without a session bus says so once.
nobus() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
    "$bin/vandrel" --simulate 2>"$work/nobus.err" &
  local pid=$!
  for _ in $(seq 100); do grep -q "$no_bus_text" "$work/nobus.err" && break; sleep 0.1; done
  sleep 0.5
  kill $pid; wait $pid 2>/dev/null
  test "$(grep -c "$no_bus_text" "$work/nobus.err")" = 1
}
check "no session bus is said once" nobus

# 2. Fonts and a language file missing: the program still starts.
stripped() {
  local copy="$work/stripped"
  mkdir -p "$copy" && cp "$bin/vandrel" "$copy/" && cp -r "$bin/skin" "$bin/DefaultData" "$copy/"
  rm -f "$copy/skin/lang/English.json"
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
    timeout 60 "$copy/vandrel" --simulate --screenshot "$work/stripped.png" 2>/dev/null && is_png "$work/stripped.png"
}
check "starts without Font/ and a language file" stripped

# The receiver keyboard alone, as --simulate names it.
receiver_keyboard() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
    timeout 60 "$bin/vandrel" --simulate=keyboard-receiver --screenshot "$work/receiver.png" 2>/dev/null &&
    is_png "$work/receiver.png"
}
check "--simulate=keyboard-receiver starts" receiver_keyboard

# 3. The first run speaks the locale's language and remembers it; a choice
#    already remembered wins over the locale.
first_language() {  # first_language LANG REMEMBERED EXPECTED
  local home="$work/language-$RANDOM"
  mkdir -p "$home/config/VANDREL"
  [ -n "$2" ] && printf '[VANDREL]\nLANGUAGE=%s\n' "$2" >"$home/config/VANDREL/settings.ini"
  env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$1" QT_QPA_PLATFORM=offscreen \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    timeout 60 "$bin/vandrel" --simulate=mouse --screenshot "$home/shot.png" 2>/dev/null
  grep -qx "LANGUAGE=$3" "$home/config/VANDREL/settings.ini" || { echo "  $1 (remembered '$2'): $(cat "$home/config/VANDREL/settings.ini")"; false; }
}
while read -r lang remembered expected; do
  check "first language under LANG=$lang, remembered '${remembered#-}'" first_language "$lang" "${remembered#-}" "$expected"
done <<'ROWS'
zh_CN.UTF-8 - 2052
zh_TW.UTF-8 - 2052
de_DE.UTF-8 - 1033
C.UTF-8     - 1033
zh_CN.UTF-8 1033 1033
ROWS

# 4. One instance per session bus: the second start wakes the first and ends,
#    within a second (sanitizer builds, several times slower, set a larger bound).
bound_ms="${VANDREL_SECOND_START_MS:-1000}"

instances() {
  dbus-run-session -- bash -c '
    bin="$1"; work="$2"; bound_ms="$3"
    QT_QPA_PLATFORM=offscreen "$bin/vandrel" --simulate --trace 2>"$work/first.err" &
    first=$!
    for _ in $(seq 100); do
      dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:org.vandrel.Vandrel 2>/dev/null | grep -q "boolean true" && break
      sleep 0.1
    done
    start=$(date +%s%N)
    QT_QPA_PLATFORM=offscreen timeout 10 "$bin/vandrel" --simulate 2>"$work/second.err"
    code=$?
    elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
    woke=1
    for _ in $(seq 50); do grep -q "message TitleMessage 0 1" "$work/first.err" && { woke=0; break; }; sleep 0.1; done
    # A picture taken meanwhile is rendered by its own process, not handed over.
    QT_QPA_PLATFORM=offscreen timeout 60 "$bin/vandrel" --simulate --screenshot "$work/beside.png" 2>"$work/beside.err"
    shot=$?
    [ "$(head -c 4 "$work/beside.png" 2>/dev/null | od -An -tx1 | tr -d " \n")" = "89504e47" ] || shot=1
    kill $first; wait $first 2>/dev/null
    echo "second instance: exit $code after ${elapsed_ms} ms, first woken: $([ $woke = 0 ] && echo yes || echo no)"
    echo "picture beside the running instance: exit $shot"
    [ $code -eq 0 ] && [ $elapsed_ms -lt $bound_ms ] && [ $woke -eq 0 ] && [ $shot -eq 0 ]
  ' _ "$bin" "$work" "$bound_ms"
}
check "second instance wakes the first in time; a picture is taken beside it" instances

# 5. No graphical session and no screenshot: a clear message, no crash.
nodisplay() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$bin/vandrel" --simulate 2>"$work/nodisplay.err"
  local code=$?
  [ $code -ne 0 ] && [ $code -ne 124 ] && grep -q "no graphical session" "$work/nodisplay.err" && grep -q -- "--screenshot" "$work/nodisplay.err"
}
check "without a display it says how to try it headless" nodisplay

checks_done
