#!/usr/bin/env bash
# A staged install as a packager makes it: `cmake --install` into a temporary
# DESTDIR with the prefix /usr.
#   - the installed files are exactly those of install_manifest.txt here
#     (@UDEV_RULES_DIR@ and @BASH_COMPLETION_DIR@ stand for the configured
#     folders), and the install touched nothing outside DESTDIR;
#   - the installed program renders the same picture as the build tree's,
#     with its data and fonts found from its own folder;
#   - the desktop entry, the metainfo and the man pages pass their checkers;
#   - --help, --version and an unknown option end as a user expects.
#   install_test.sh BUILD_DIR MANIFEST UDEV_RULES_DIR BASH_COMPLETION_DIR
set -uo pipefail
build="${1:?usage: install_test.sh BUILD_DIR MANIFEST UDEV_RULES_DIR BASH_COMPLETION_DIR}"
manifest="$2"
udev_dir="${3#/}"
completion_dir="$4"
[[ "$completion_dir" = /* ]] && completion_dir="${completion_dir#/}" || completion_dir="usr/$completion_dir"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"

# --- The install -------------------------------------------------------------
touch "$work/before"
sleep 1  # file times of the install are later than the marker
DESTDIR="$root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1
check "cmake --install into DESTDIR" test $? -eq 0 || cat "$work/install.log"

listed() {
  sed -e "s|@UDEV_RULES_DIR@|$udev_dir|" -e "s|@BASH_COMPLETION_DIR@|$completion_dir|" "$manifest" \
    | grep -v '^#' | grep -v '^$' | sort >"$work/expected"
  (cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$work/installed"
  diff "$work/expected" "$work/installed" >"$work/diff" || { sed 's/^/  /' "$work/diff"; false; }
}
check "installed files match the manifest" listed

# cmake records what it installed without DESTDIR: none of those paths may
# have been written outside it.
outside() {
  local path written=0
  while read -r path; do
    [ -e "$root$path" ] || { echo "  not under DESTDIR: $path"; written=1; }
    if [ -e "$path" ] && [ "$path" -nt "$work/before" ]; then echo "  written outside DESTDIR: $path"; written=1; fi
  done <"$build/install_manifest.txt"
  [ $written -eq 0 ]
}
check "nothing written outside DESTDIR" outside

links() {
  local link broken=0
  while read -r link; do
    [ -e "$link" ] || { echo "  broken link: ${link#"$root"} -> $(readlink "$link")"; broken=1; }
  done < <(find "$root" -type l)
  [ $broken -eq 0 ]
}
check "the installed font links lead to fonts" links

# --- The installed program ---------------------------------------------------
shot() {  # shot PROGRAM PNG
  local home="$work/home-$RANDOM"
  env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    timeout 60 "$1" --simulate=headset --screenshot "$2" 2>/dev/null
}
same_picture() {
  shot "$build/bin/vandrel" "$work/build.png" && shot "$root/usr/bin/vandrel" "$work/installed.png" &&
    cmp -s "$work/build.png" "$work/installed.png"
}
check "the installed program renders the build tree's picture" same_picture

# --- The checkers ------------------------------------------------------------
# silent COMMAND...: succeeds and prints nothing (what it prints is shown).
silent() {
  local out
  out=$("$@" 2>&1) && [ -z "$out" ] && return 0
  printf '%s\n' "$out" | sed 's/^/  /'
  return 1
}
# AppStream's validator: status 0 is no error and no warning (a pedantic note
# may be printed).
passes() {
  local out
  out=$("$@" 2>&1) && return 0
  printf '%s\n' "$out" | sed 's/^/  /'
  return 1
}
check "desktop-file-validate is silent" silent desktop-file-validate "$root/usr/share/applications/org.vandrel.Vandrel.desktop"
check "appstreamcli validate --no-net passes" \
  passes appstreamcli validate --no-net "$root/usr/share/metainfo/org.vandrel.Vandrel.metainfo.xml"
for page in vandrel vandrelctl; do
  check "groff -man -z -ww $page.1 is silent" silent groff -man -z -ww "$root/usr/share/man/man1/$page.1"
done

# --- Command lines -----------------------------------------------------------
# program, arguments, status, which stream says something (out or err)
status_of() {  # status_of PROGRAM STATUS STREAM ARGS...
  local program="$1" status="$2" stream="$3"; shift 3
  env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" "$@" >"$work/out" 2>"$work/err"
  local code=$?
  local other=err; [ "$stream" = err ] && other=out
  [ $code -eq "$status" ] && [ -s "$work/$stream" ] && [ ! -s "$work/$other" ] ||
    { echo "  $program $*: status $code, out: $(head -c 200 "$work/out"), err: $(head -c 200 "$work/err")"; false; }
}
while read -r program status stream args; do
  # shellcheck disable=SC2086
  check "$program $args: status $status, on std$stream" status_of "$program" "$status" "$stream" $args
done <<'ROWS'
vandrel    0 out --help
vandrel    0 out -h
vandrel    0 out --version
vandrel    2 err --no-such-option
vandrel    2 err --simulate=toaster
vandrelctl 0 out --help
vandrelctl 0 out --version
vandrelctl 2 err --no-such-option
vandrelctl 2 err no-such-command
vandrelctl 2 err
ROWS
versions() {
  "$root/usr/bin/vandrel" --version | grep -qx "vandrel [0-9]*\.[0-9]*\.[0-9]*" &&
    "$root/usr/bin/vandrelctl" --version | grep -qx "vandrelctl [0-9]*\.[0-9]*\.[0-9]*" &&
    [ "$("$root/usr/bin/vandrel" --version | cut -d' ' -f2)" = "$("$root/usr/bin/vandrelctl" --version | cut -d' ' -f2)" ]
}
check "both programs tell one version" versions
named() {
  grep -q -- "--frobnicate" <<<"$("$root/usr/bin/vandrel" --frobnicate 2>&1)" &&
    grep -q "frobnicate" <<<"$("$root/usr/bin/vandrelctl" frobnicate 2>&1)"
}
check "an unknown option or command is named" named

checks_done
