#!/usr/bin/env bash
# Configures build/<name> the way the test suite builds it: RelWithDebInfo with line tables only,
# warnings as errors, Ninja, ccache when there is one. The arguments after the name go to cmake as
# they are.
#
#   scripts/configure.sh plain -DTAV_SANITIZE=
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1; shift
launcher=(); command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Line tables are enough for sanitizer reports and cost far less to build than full debug data.
exec cmake -S . -B "build/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAV_WARNINGS_AS_ERRORS=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  "${launcher[@]}" "$@"
