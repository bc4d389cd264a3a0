#!/usr/bin/env bash
# Builds and runs the benchmarks (bench/). Pass a benchmark name to run one
# (a *_bench executable, program_cpu or startup).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANDREL_BENCH=ON -DVANDREL_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
for exe in build-bench/bench/*_bench; do
  if [ -z "${1:-}" ] || [ "$(basename "$exe")" = "$1" ]; then
    echo "== $(basename "$exe")"
    "$exe"
  fi
done
if [ -z "${1:-}" ] || [ "$1" = program_cpu ]; then
  echo "== program_cpu"
  bash bench/program_cpu.sh build-bench/bin
fi
if [ -z "${1:-}" ] || [ "$1" = startup ]; then
  echo "== startup"
  bash bench/startup.sh build-bench/bin
fi
