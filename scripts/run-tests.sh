#!/usr/bin/env bash
# Builds and runs the whole suite three ways: plain, under AddressSanitizer with
# UndefinedBehaviorSanitizer, and the threaded tests under ThreadSanitizer; then runs the fuzz
# harnesses briefly. Any failure, and any sanitizer report (each one ends its process with a
# non-zero status), fails the run.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1
jobs=${TAV_JOBS:-$(nproc)}
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
failed=()

run() {  # name, [command prefix...] --, ctest arguments... --, cmake arguments...
  local name=$1; shift
  local prefix=() ctest_args=()
  while [[ $1 != -- ]]; do prefix+=("$1"); shift; done
  shift
  while [[ $1 != -- ]]; do ctest_args+=("$1"); shift; done
  shift
  echo "=== $name build"
  if ! scripts/configure.sh "$name" "$@"; then
    failed+=("$name (build)"); return
  fi
  # A label filter builds only the test programs that carry it (named tav_*_<label>_tests).
  local targets=()
  if [[ ${ctest_args[0]:-} == -L ]]; then
    mapfile -t targets < <(cmake --build "build/$name" --target help |
                           sed -n "s/^\(tav_[a-z_]*_${ctest_args[1]}_tests\):.*/--target\n\1/p")
  fi
  if ! "${prefix[@]}" cmake --build "build/$name" -j "$jobs" "${targets[@]}"; then
    failed+=("$name (build)"); return
  fi
  echo "=== $name tests"
  "${prefix[@]}" ctest --test-dir "build/$name" -j "$jobs" --output-on-failure "${ctest_args[@]}" ||
    failed+=("$name (tests)")
}

# gcc 12's ThreadSanitizer cannot place its shadow memory when the kernel randomises mmap with
# many bits ("unexpected memory mapping"); without address randomisation it always can. The build
# runs the test programs too (to list their tests), so it gets the same treatment.
no_aslr=()
setarch "$(uname -m)" -R true 2>/dev/null && no_aslr=(setarch "$(uname -m)" -R)

run plain -- -- -DTAV_SANITIZE=
run asan -- -- -DTAV_SANITIZE=address,undefined -DTAV_BUILD_BENCHMARKS=OFF -DTAV_BUILD_EXAMPLES=OFF
run tsan "${no_aslr[@]}" -- -L threaded -- -DTAV_SANITIZE=thread -DTAV_BUILD_BENCHMARKS=OFF \
  -DTAV_BUILD_EXAMPLES=OFF

# Every harness in fuzz/ runs a fixed number of times over its seed corpus (clang's libFuzzer).
echo "=== fuzz build"
if CC=clang CXX=clang++ scripts/configure.sh fuzz -DTAV_BUILD_FUZZERS=ON -DTAV_BUILD_TESTS=OFF -DTAV_BUILD_BENCHMARKS=OFF -DTAV_BUILD_EXAMPLES=OFF &&
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
