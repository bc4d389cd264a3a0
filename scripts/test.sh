#!/usr/bin/env bash
# Builds and runs every test.
#   scripts/test.sh                    ordinary build (build/)
#   scripts/test.sh --sanitize address address+undefined sanitizer build (build-asan/)
#   scripts/test.sh --sanitize thread  thread sanitizer build (build-tsan/)
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=""
if [ "${1:-}" = "--sanitize" ]; then
  sanitize="${2:?--sanitize takes address or thread}"
fi
case "$sanitize" in
  "") build=build ;;
  address) build=build-asan ;;
  thread) build=build-tsan ;;
  *) echo "scripts/test.sh: --sanitize takes address or thread" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANDREL_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
# A sanitized program starts several times slower: the start test's bound
# for a second instance grows with it.
if [ -n "$sanitize" ]; then export VANDREL_SECOND_START_MS=5000; fi
if [ "$sanitize" = "thread" ]; then
  # Qt and GLib are not built with ThreadSanitizer: what their own threads do
  # with their own locks is invisible to it, so only our code is judged.
  # What Qt hands from a worker to the UI thread through its event queue is
  # ordered by Qt's own locks, which it cannot see either: tests/tsan.supp.
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$PWD/tests/tsan.supp"
fi
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
