#!/usr/bin/env bash
# Runs the example host against the simulated serial reader and checks that it showed what a
# newcomer should see: the reader's metadata, a card delivered to the callback, a saved backup.
#   run_example.sh <serial_reader_sim> <tavelin_example>
set -euo pipefail
work=$(mktemp -d)
simulator=
cleanup() {
  if [[ -n "$simulator" ]]; then kill "$simulator" 2>/dev/null || true; wait "$simulator" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
"$1" --cycle-card-ms 300 </dev/null >"$work/sim.out" &
simulator=$!
for _ in $(seq 50); do [[ -s "$work/sim.out" ]] && break; sleep 0.1; done
"$2" --serial "$(head -n1 "$work/sim.out")" --backup "$work/backup.hwg" | tee "$work/example.out"
for expected in "Part number:             TAV-SIM-0001" "Configurations:          4" \
                "Card delivered to the callback: 26 bits: 02 5A 3C 40" "Saved $work/backup.hwg and read it back"; do
  grep -qF "$expected" "$work/example.out" || { echo "missing from the example's output: $expected"; exit 1; }
done
