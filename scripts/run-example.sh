#!/usr/bin/env bash
# Builds libTavelin.so.1 and runs the example host program against it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
launcher=(); command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAV_BUILD_TESTS=OFF -DTAV_BUILD_BENCHMARKS=OFF \
  "${launcher[@]}"
cmake --build build/release
build/release/examples/tavelin_example
