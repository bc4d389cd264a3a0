#!/usr/bin/env bash
# Builds the Debian package of this source tree (binary only, unsigned),
# moves the .deb files, the .buildinfo and the .changes into build/package/
# and checks the package with lintian. Installs what is missing first.
# Exit status: dpkg-buildpackage's when the build fails, else lintian's
# (non-zero when it finds an error).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# The packaging tools, and udev for its pkg-config file (the rule's folder).
tools=(debhelper dpkg-dev fakeroot lintian udev)
missing=()
for p in "${tools[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# dpkg-buildpackage writes its results next to the source tree; the
# .changes lists them.
dpkg-buildpackage -us -uc -b
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
changes="../vandrel_${version}_${arch}.changes"
out=build/package
mkdir -p "$out"
files=("$changes")
while read -r name; do files+=("../$name"); done < <(
  awk '/^Files:/ { inside = 1; next } /^[^ ]/ { inside = 0 } inside && NF == 5 { print $5 }' "$changes")
mv -f "${files[@]}" "$out/"
# The build's own leftovers (obj-*/, debian/vandrel/, ...).
debian/rules clean >/dev/null

echo
echo "package files in $out:"
ls -1 "$out"
echo
echo "lintian:"
lintian --display-info "$out/vandrel_${version}_${arch}.deb"
