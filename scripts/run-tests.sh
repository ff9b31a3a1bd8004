#!/usr/bin/env bash
# Builds and runs the whole suite three ways: plain, under AddressSanitizer with
# UndefinedBehaviorSanitizer, and the threaded tests under ThreadSanitizer; then runs the fuzz
# harnesses briefly.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1
jobs=$(nproc)
launcher=(); command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
failed=()

run() {  # name, ctest arguments..., then -- cmake arguments
  local name=$1; shift
  local ctest_args=() cmake_args=()
  while (($#)) && [[ $1 != -- ]]; do ctest_args+=("$1"); shift; done
  shift
  cmake_args=("$@")
  echo "=== $name build"
  if ! cmake -S . -B "build/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "${cmake_args[@]}" ||
     ! cmake --build "build/$name" -j "$jobs"; then
    failed+=("$name (build)"); return
  fi
  echo "=== $name tests"
  ctest --test-dir "build/$name" -j "$jobs" --output-on-failure "${ctest_args[@]}" || failed+=("$name (tests)")
}

run plain -- -DTAV_SANITIZE=
run asan -- -DTAV_SANITIZE=address,undefined -DTAV_BUILD_BENCHMARKS=OFF -DTAV_BUILD_EXAMPLES=OFF
# gcc's ThreadSanitizer runtime cannot map its shadow memory under high mmap randomisation.
run tsan -L threaded -- -DTAV_SANITIZE=thread -DTAV_BUILD_BENCHMARKS=OFF -DTAV_BUILD_EXAMPLES=OFF

# Every harness in fuzz/ runs a fixed number of times over its seed corpus (clang's libFuzzer).
echo "=== fuzz build"
if CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
     -DTAV_BUILD_FUZZERS=ON -DTAV_BUILD_TESTS=OFF -DTAV_BUILD_BENCHMARKS=OFF -DTAV_BUILD_EXAMPLES=OFF &&
   cmake --build build/fuzz -j "$jobs"; then
  echo "=== fuzz runs"
  fuzz/run-fuzzers.sh build/fuzz 20000 || failed+=("fuzz (runs)")
else
  failed+=("fuzz (build)")
fi

if ((${#failed[@]})); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All builds passed."
