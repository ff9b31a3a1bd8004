#!/usr/bin/env bash
# Runs every fuzz harness of a build folder over its seed corpus for a fixed number of runs.
# Usage: fuzz/run-fuzzers.sh <build folder> [runs]   (a longer run: pass a larger count)
set -uo pipefail
build=$1
runs=${2:-20000}
source_dir=$(cd "$(dirname "$0")" && pwd)
status=0
for harness in "$build"/fuzz/*_fuzzer; do
  name=$(basename "$harness")
  scratch=$(mktemp -d)
  echo "--- $name ($runs runs)"
  if ! "$harness" -runs="$runs" -max_len=4096 -timeout=10 "$scratch" "$source_dir/corpus/$name" >"$scratch.log" 2>&1; then
    tail -n 40 "$scratch.log"
    status=1
  fi
  rm -rf "$scratch" "$scratch.log"
done
exit $status
