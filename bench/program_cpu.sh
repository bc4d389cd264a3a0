#!/usr/bin/env bash
# CPU and wake-ups of the running program, whole process, offscreen, no
# session bus, over a window of N seconds after a 3 s settling time:
#   - one simulated cable mouse animating (wave), window shown and hidden;
#   - the same mouse with the colour cycle at top speed, and static;
#   - one simulated cable keyboard playing the rainbow (at the template's
#     speed and at top speed), window shown and hidden, and a static effect
#     (its record set through VANDREL_SIM_RECORD);
#   - all simulated devices, static;
#   - no device (the real hidraw back end with nothing plugged).
# Prints the share of one core, context switches a second (all threads) and
# the voluntary ones among them, which are the wake-ups.
#   bench/program_cpu.sh BIN_DIR [seconds]
set -euo pipefail
bin="${1:?usage: program_cpu.sh BIN_DIR [seconds]}"
seconds="${2:-10}"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Voluntary and involuntary context switches summed over the process's threads.
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^voluntary_ctxt_switches/ {v += $2} /^nonvoluntary_ctxt_switches/ {n += $2} END {print v, n}'
}

measure() {  # measure LABEL ARGS...
  local label="$1"
  shift
  "$bin/vandrel" "$@" 2>/dev/null &
  local pid=$!
  sleep 3  # first scan, first synchronisation, lighting running
  local t0 t1 v0 n0 v1 n1
  t0=$(cpu_ticks $pid)
  read -r v0 n0 < <(switches $pid)
  sleep "$seconds"
  t1=$(cpu_ticks $pid)
  read -r v1 n1 < <(switches $pid)
  kill $pid
  wait $pid 2>/dev/null || true
  awk -v label="$label" -v t=$((t1 - t0)) -v hz="$ticks" -v s="$seconds" -v v=$((v1 - v0)) -v n=$((n1 - n0)) \
    'BEGIN { printf "%-42s %6.2f %% of one core  %7.1f switches/s  %7.1f wake-ups/s\n",
             label, 100 * t / hz / s, (v + n) / s, v / s }'
}

# Sets the lighting effect and speed of every profile of a kind.
set_effect() {  # set_effect KIND SELECTITEM SPEED
  python3 - "$XDG_DATA_HOME/VANDREL/$1" "$2" "$3" <<'PY'
import glob, json, sys
folder, item, speed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for path in glob.glob(folder + "/*.Json"):
    doc = json.load(open(path, encoding="utf-8"))
    info = doc["Device"][0]["LightInfo"]
    info["SelectItem"], info["Speed"] = item, speed
    json.dump(doc, open(path, "w", encoding="utf-8"), indent=3)
PY
}

# The simulated keyboard's record of onboard profile 0 with this effect and
# speed (the keyboard's effect codes are the effect numbers), full brightness.
keyboard_record() {  # keyboard_record EFFECT SPEED
  python3 - "$1" "$2" <<'PY'
import sys
effect, speed = int(sys.argv[1]), int(sys.argv[2])
record = [0] * 27
record[1], record[2], record[3], record[5], record[6] = effect, 4, 4 - speed, 1, 255
print("keyboard:" + " ".join("%02x" % b for b in record))
PY
}

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), window ${seconds} s"
measure "no device" --hidden
measure "mouse wave, window shown" --simulate=mouse
measure "mouse wave, window hidden" --simulate=mouse --hidden
set_effect mouse 1 4
measure "mouse colour cycle top speed, shown" --simulate=mouse
set_effect mouse 3 2
measure "mouse static, shown" --simulate=mouse
measure "all simulated devices, mouse static, shown" --simulate
VANDREL_SIM_RECORD=$(keyboard_record 11 2) measure "keyboard rainbow, window shown" --simulate=keyboard
VANDREL_SIM_RECORD=$(keyboard_record 11 4) measure "keyboard rainbow top speed, shown" --simulate=keyboard
VANDREL_SIM_RECORD=$(keyboard_record 11 2) measure "keyboard rainbow, window hidden" --simulate=keyboard --hidden
VANDREL_SIM_RECORD=$(keyboard_record 6 2) measure "keyboard static, window shown" --simulate=keyboard
