#!/usr/bin/env bash
# What a kill or a power cut costs a recording: records from the simulated
# turntable in real time, ends the tool at several moments (SIGKILL, or the
# simulated power cut of CARTOVA_FAULT_POWER_CUT), recovers the recording
# and prints how much recorded time was lost: for a kill, the last recorded
# time the tool printed minus what was recovered; for a power cut, the
# moment of the cut minus what was recovered. Beside it, as the anchor of
# the same run, the time a plain 'dd' write of one second of the recording's
# bytes with fsync takes. Usage: scripts/measure-recovery.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build}/tools/cartova/cartova
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "cores: $(nproc); load average: $(cut -d' ' -f1-3 /proc/loadavg)"

# The recovered length, in seconds, of the newest recording in $work/temp.
recovered() {
  "$tool" recover --list --temp-dir "$work/temp" | head -1 | grep -o '[0-9]*:[0-9]*\.[0-9]' |
    awk -F: '{ print $1 * 60 + $2 }'
}

for format in "-r 96000 -b 24" "--dsd 64" "--dsd 256"; do
  for moment in 3 6.5 10; do
    for how in kill cut; do
      rm -rf "$work/temp" && mkdir -p "$work/temp"
      if [ "$how" = cut ]; then
        (CARTOVA_FAULT_POWER_CUT=$moment "$tool" --simulate record $format -t 60 --temp-dir "$work/temp" \
          -o "$work" >"$work/log" 2>&1) 2>/dev/null || true
        at=$moment
      else
        "$tool" --simulate record $format -t 60 --temp-dir "$work/temp" -o "$work" >"$work/log" 2>&1 &
        pid=$!
        until grep -q "recording 00:$(printf '%02d' "${moment%.*}")" "$work/log" 2>/dev/null; do sleep 0.05; done
        kill -9 "$pid"; wait "$pid" 2>/dev/null || true
        at=$(tr '\r' '\n' <"$work/log" | grep -o 'recording [0-9]*:[0-9.]*' | tail -1 |
          awk '{ split($2, t, ":"); print t[1] * 60 + t[2] }')
      fi
      got=$(recovered)
      printf '%-16s %-4s at %5.1f s  recovered %6.1f s  lost %4.1f s\n' "$format" "$how" "$at" "$got" \
        "$(echo "$at - $got" | bc)"
      "$tool" recover --discard "$("$tool" recover --list --temp-dir "$work/temp" | head -1 | cut -d' ' -f1)" \
        --temp-dir "$work/temp" >/dev/null 2>&1
    done
  done
done
# The anchor: one second of stereo 96 kHz/32-bit storage written and synced.
start=$(date +%s.%N)
dd if=/dev/zero of="$work/anchor" bs=768000 count=1 conv=fsync status=none
echo "anchor: dd of one second of stereo 96 kHz float storage with fsync: $(echo "$(date +%s.%N) - $start" | bc) s"
