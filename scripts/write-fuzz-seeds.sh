#!/usr/bin/env bash
# Writes the catalogue fuzzers' seeds in fuzz/corpus anew from the simulated reader. The program
# that writes them is built first, in build/plain (the folder scripts/run-tests.sh uses), which is
# configured here as the suite configures it when it is not there yet.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
[[ -f build/plain/CMakeCache.txt ]] || scripts/configure.sh plain -DTAV_SANITIZE=
cmake --build build/plain -j "${TAV_JOBS:-$(nproc)}" --target fuzz_seeds
build/plain/tests/programs/fuzz_seeds fuzz/corpus
