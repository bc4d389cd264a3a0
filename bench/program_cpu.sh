#!/usr/bin/env bash
# CPU of the running program with one simulated cable mouse, over 10 s, with
# the mouse animating (wave, streamed by the program every 5 ms) and with it
# static. Offscreen, no session bus. Prints the share of one core.
#   bench/program_cpu.sh BIN_DIR [seconds]
set -euo pipefail
bin="${1:?usage: program_cpu.sh BIN_DIR [seconds]}"
seconds="${2:-10}"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {  # measure LABEL
  "$bin/vandrel" --simulate=mouse 2>/dev/null &
  local pid=$!
  sleep 3  # first scan, first synchronisation, lighting running
  local before after
  before=$(cpu_ticks $pid)
  sleep "$seconds"
  after=$(cpu_ticks $pid)
  kill $pid; wait $pid 2>/dev/null || true
  awk -v label="$1" -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" \
    'BEGIN { printf "%-34s %6.2f %% of one core (%d ticks in %d s)\n", label, 100 * t / hz / s, t, s }'
}

measure "mouse animating (wave, streamed)"
# The same profile with the static effect (mode 3 on the mouse).
profile=$(ls "$XDG_DATA_HOME"/VANDREL/mouse/*.Json | head -n 1)
python3 - "$profile" <<'PY'
import json, sys
path = sys.argv[1]
doc = json.load(open(path, encoding="utf-8"))
doc["Device"][0]["LightInfo"]["SelectItem"] = 3
json.dump(doc, open(path, "w", encoding="utf-8"), indent=3)
PY
measure "mouse static"
