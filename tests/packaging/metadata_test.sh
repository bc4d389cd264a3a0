#!/usr/bin/env bash
# The desktop entry, the AppStream metadata and the manual pages name each
# other and the program right. (The tools distributions check them with run
# on the installed files, in install_test.sh.)
#   metadata_test.sh PACKAGING_SOURCE_DIR PACKAGING_BUILD_DIR
set -uo pipefail
src="${1:?usage: metadata_test.sh PACKAGING_SOURCE_DIR PACKAGING_BUILD_DIR}"
build="${2:?usage: metadata_test.sh PACKAGING_SOURCE_DIR PACKAGING_BUILD_DIR}"
id=org.vandrel.Vandrel
desktop="$src/$id.desktop"
metainfo="$src/$id.metainfo.xml"

# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
desktop_key() { sed -n "s/^$1=//p" "$desktop"; }

check "the metainfo launches the desktop entry" \
  grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
check "the desktop entry's icon is the installed icon's name" test "$(desktop_key Icon)" = "$id"
check "the desktop entry starts vandrel" test "$(desktop_key Exec)" = vandrel
# Qt sets WM_CLASS to (executable name, application name), and the program
# calls itself VANDREL.
check "the desktop entry's window class is the program's name" test "$(desktop_key StartupWMClass)" = VANDREL

for page in vandrel.1 vandrelctl.1; do
  check "$page has every @VARIABLE@ filled in" test "$(grep -c '@[A-Z_]*@' "$build/$page")" = 0
done

checks_done
