#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every .cpp under src/,
# prints the findings and a count per check and per file, and exits non-zero
# when there are any. Not part of the test command.
#   scripts/lint.sh [build folder]    default: build/
# The build folder is configured when it has no compile_commands.json yet,
# and Qt's generated sources (moc, uic) are made so that the UI files parse.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
tidy="$(command -v clang-tidy-14 || command -v clang-tidy || true)"
if [ -z "$tidy" ]; then
  echo "scripts/lint.sh: clang-tidy is not installed" >&2
  exit 2
fi

if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
fi
mapfile -t autogen < <(ninja -C "$build" -t targets all | sed -n 's/^\([A-Za-z0-9_]*_autogen\): phony$/\1/p')
if [ "${#autogen[@]}" -gt 0 ]; then
  cmake --build "$build" -j "$(nproc)" --target "${autogen[@]}" >/dev/null
fi

out="$(mktemp)"
trap 'rm -f "$out"' EXIT
find src -name '*.cpp' | sort |
  xargs -P "$(nproc)" -n 4 "$tidy" -p "$build" --quiet 2>/dev/null >"$out" || true

# One finding per "file:line:column: warning: text [check]" line; a header
# included from several files is reported once.
findings="$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error): .*\[[^]]+\]$' "$out" | sort -u || true)"
if [ -z "$findings" ]; then
  echo "clang-tidy: no findings"
  exit 0
fi
# Prints each finding with its context, once.
awk '/^[^ ]+:[0-9]+:[0-9]+: (warning|error): .*\[[^]]+\]$/ { show = !seen[$0]++ } show' "$out"
echo
echo "Findings per check:"
sed -E 's/.*\[([^]]+)\]$/\1/' <<<"$findings" | sort | uniq -c | sort -rn
echo
echo "Findings per file:"
sed -E "s|^$PWD/||; s/:[0-9]+:[0-9]+: .*//" <<<"$findings" | sort | uniq -c | sort -rn
echo
echo "clang-tidy: $(wc -l <<<"$findings") findings"
exit 1
