#!/usr/bin/env bash
# Builds libTavelin.so.1 and runs the example host program: against the first USB reader attached,
# or else against the simulated serial reader, served on a pseudo-terminal for the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
launcher=(); command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# A warning is no reason to stop a newcomer's build: warnings are errors in the suite's builds only.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAV_BUILD_BENCHMARKS=OFF \
  -DTAV_WARNINGS_AS_ERRORS=OFF "${launcher[@]}"
# Only what the example needs: the library, the example and the simulated reader's program.
cmake --build build/release --target tavelin_example serial_reader_sim

work=$(mktemp -d)
simulator=
cleanup() {
  [[ -n "$simulator" ]] && kill "$simulator" 2>/dev/null && wait "$simulator" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# The simulated reader shows a card every other 1.5 s, for the example's callback.
build/release/tests/programs/serial_reader_sim --cycle-card-ms 1500 </dev/null >"$work/sim.out" &
simulator=$!
for _ in $(seq 50); do [[ -s "$work/sim.out" ]] && break; sleep 0.1; done
port=$(head -n1 "$work/sim.out")
echo "(A simulated serial reader is served on $port in case no USB reader is attached.)"
echo
build/release/examples/tavelin_example --serial "$port" --backup "$work/backup.hwg"
