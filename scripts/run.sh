#!/usr/bin/env bash
# Builds the program and starts it with simulated devices.
# For now the program is the command-line tool: it lists the simulated
# interfaces and reads the simulated mouse's information block.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target vandrelctl
./build/tools/vandrelctl/vandrelctl --simulate list
./build/tools/vandrelctl/vandrelctl --simulate --trace info 'sim:mouse?vid_320f&pid_221c&mi_01&col04'
