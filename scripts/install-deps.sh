#!/usr/bin/env bash
# Installs every build and test dependency from Debian's archive, and the
# packages named on the command line (scripts/package.sh adds its tools).
# Idempotent: when everything is present it prints nothing and exits 0.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  libjsoncpp-dev libcurl4-openssl-dev
  qt6-base-dev qt6-tools-dev libqt6opengl6-dev libqt6svg6-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  xvfb xauth dbus-daemon dbus-bin
  fonts-dejavu-core fonts-inter fonts-droid-fallback fonts-noto-core
  udev bash-completion                      # their install folders, through pkg-config
  desktop-file-utils appstream groff-base   # the checkers of the installed files
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
