#!/usr/bin/env bash
# Builds the Debian package of this source tree (binary only, unsigned),
# moves the .deb files, the .buildinfo and the .changes into build/package/
# and checks the package with lintian. Installs what is missing first.
# Exit status: dpkg-buildpackage's when the build fails, else lintian's
# (non-zero when it finds an error).
set -euo pipefail
cd "$(dirname "$0")/.."

# The build's dependencies and the packaging tools.
bash scripts/install-deps.sh debhelper dpkg-dev fakeroot lintian

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
