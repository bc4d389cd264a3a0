#!/usr/bin/env bash
# The desktop entry, the AppStream metadata and the manual pages pass the
# tools that distributions check them with, and name each other right.
#   metadata_test.sh PACKAGING_SOURCE_DIR PACKAGING_BUILD_DIR
# Exit 77 (skipped) when a checking tool is not installed.
set -uo pipefail
src="${1:?usage: metadata_test.sh PACKAGING_SOURCE_DIR PACKAGING_BUILD_DIR}"
build="${2:?usage: metadata_test.sh PACKAGING_SOURCE_DIR PACKAGING_BUILD_DIR}"
id=org.vandrel.Vandrel
desktop="$src/$id.desktop"
metainfo="$src/$id.metainfo.xml"

for tool in desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

passed=0
failed=0
check() {  # check NAME COMMAND...
  local name="$1"; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
# silent COMMAND...: succeeds and prints nothing (what it prints is shown).
silent() {
  local out
  out=$("$@" 2>&1) && [ -z "$out" ] && return 0
  printf '%s\n' "$out"
  return 1
}
# AppStream's validator: exit 0 means no error and no warning.
appstream_valid() {
  local out
  out=$(appstreamcli validate --no-net "$metainfo" 2>&1) && return 0
  printf '%s\n' "$out"
  return 1
}
desktop_key() { sed -n "s/^$1=//p" "$desktop"; }

check "desktop-file-validate accepts the desktop entry" silent desktop-file-validate "$desktop"
check "appstreamcli validate accepts the metainfo" appstream_valid
check "the metainfo launches the desktop entry" \
  grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
check "the desktop entry's icon is the installed icon's name" test "$(desktop_key Icon)" = "$id"
check "the desktop entry starts vandrel" test "$(desktop_key Exec)" = vandrel
# Qt sets WM_CLASS to (executable name, application name), and the program
# calls itself VANDREL.
check "the desktop entry's window class is the program's name" test "$(desktop_key StartupWMClass)" = VANDREL

for page in vandrel.1 vandrelctl.1; do
  check "$page has every @VARIABLE@ filled in" test "$(grep -c '@[A-Z_]*@' "$build/$page")" = 0
  check "groff reads $page without a warning" silent groff -man -z -ww "$build/$page"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
