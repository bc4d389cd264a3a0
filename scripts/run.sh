#!/usr/bin/env bash
# Builds the program and starts it with simulated devices.
# Without a graphical session it renders the main window to build/shot.png
# instead and says where the picture is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target vandrel
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  ./build/bin/vandrel --simulate --screenshot build/shot.png
  echo "no graphical session: the main window is in build/shot.png"
  exit 0
fi
exec ./build/bin/vandrel --simulate "$@"
