#!/usr/bin/env bash
# Start-up of the program with every simulated device, offscreen, no session
# bus, fresh user folders for each start. For each start: the time from the
# start to the main window's first frame (the program says it on stderr when
# VANDREL_REPORT_FIRST_FRAME is set) and the resident memory (VmRSS) once the
# first scan is done and the pages have read their devices. Prints each start
# and the minimum, median and maximum of both.
#   bench/startup.sh BIN_DIR [starts]
set -euo pipefail
bin="${1:?usage: startup.sh BIN_DIR [starts]}"
starts="${2:-10}"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent VANDREL_REPORT_FIRST_FRAME=1
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The first frame follows the first scan; the pages read their devices 500 ms
# after it.
settle_s=1.5

frames="$work/frames"
resident="$work/resident"
for i in $(seq "$starts"); do
  run="$work/start$i"
  mkdir -p "$run"
  XDG_CONFIG_HOME="$run/config" XDG_DATA_HOME="$run/data" "$bin/vandrel" --simulate 2>"$run/stderr" &
  pid=$!
  frame=""
  for _ in $(seq 200); do
    frame=$(sed -n 's/^vandrel: first frame \([0-9.]*\) ms$/\1/p' "$run/stderr")
    [ -n "$frame" ] && break
    sleep 0.05
  done
  if [ -z "$frame" ]; then
    echo "start $i: no first frame within 10 s" >&2
    cat "$run/stderr" >&2
    exit 1
  fi
  sleep "$settle_s"
  kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$frame" >>"$frames"
  echo "$kb" >>"$resident"
  awk -v i="$i" -v f="$frame" -v kb="$kb" 'BEGIN { printf "start %2d: first frame %6.1f ms, resident %5.1f MB\n", i, f, kb / 1024 }'
done

summary() {  # summary LABEL UNIT SCALE FILE
  sort -g "$4" | awk -v label="$1" -v unit="$2" -v scale="$3" '
    { v[NR] = $1 / scale }
    END {
      median = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%-12s min %6.1f  median %6.1f  max %6.1f %s (%d starts)\n", label, v[1], median, v[NR], unit, NR
    }'
}
echo "$(nproc) cores, $(uname -m), offscreen"
summary "first frame" ms 1 "$frames"
summary "resident" MB 1024 "$resident"
