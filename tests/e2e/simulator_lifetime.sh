#!/usr/bin/env bash
# The simulated serial reader outlives the end of its input without spinning on it, and ends with
# the process that started it, however that one ends.
#   simulator_lifetime.sh <serial_reader_sim>
set -euo pipefail
work=$(mktemp -d)
parent=
simulator=
cleanup() {
  for process in $parent $simulator; do { kill -KILL "$process" && wait "$process"; } 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "serial_reader_sim $*"; exit 1; }
# Whether the process still runs: a zombie has ended, whoever is yet to reap it.
running() { [[ -e /proc/$1/stat ]] && [[ $(cut -d' ' -f3 "/proc/$1/stat") != Z ]]; }

# A parent that starts the simulator on a pipe whose writer has already gone, then waits.
bash -c ': | "$1" >"$2" & echo $! >"$3"; wait' parent "$1" "$work/port" "$work/pid" &
parent=$!
for _ in $(seq 100); do [[ -s "$work/port" && -s "$work/pid" ]] && break; sleep 0.1; done
[[ -s "$work/port" ]] || fail "printed no port"
simulator=$(cat "$work/pid")

sleep 2
running "$simulator" || fail "ended with its input"
# utime + stime, in clock ticks: one that polls its ended input spends the whole two seconds.
ticks=$(awk '{ print $14 + $15 }' "/proc/$simulator/stat")
(( ticks * 10 < $(getconf CLK_TCK) * 2 )) || fail "spent $ticks clock ticks of CPU in 2 s with nothing to do"

{ kill -KILL "$parent" && wait "$parent"; } 2>/dev/null || true
for _ in $(seq 100); do running "$simulator" || exit 0; sleep 0.1; done
fail "still runs 10 s after the process that started it was killed"
