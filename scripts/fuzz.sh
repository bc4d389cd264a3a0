#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it.
#   scripts/fuzz.sh hid_descriptor_fuzz [seconds]
#   scripts/fuzz.sh profile_fuzz [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:?usage: scripts/fuzz.sh TARGET [seconds]}"
seconds="${2:-180}"
bash scripts/install-deps.sh
CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DVANDREL_FUZZ=ON -DVANDREL_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "$target"
corpus="build-fuzz/corpus-$target"
mkdir -p "$corpus"
seeds="fuzz/corpus/${target%_fuzz}"
[ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
"./build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus"
