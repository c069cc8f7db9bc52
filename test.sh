#!/usr/bin/env bash
# ./test.sh        builds blorp once (RelWithDebInfo, in build/) and runs every
#                  test: the everyday command after a change.
# ./test.sh --all  also builds and tests under AddressSanitizer and
#                  UndefinedBehaviorSanitizer, runs the two-thread step under
#                  ThreadSanitizer and replays the fuzzing corpora: what CI runs.
# Extra arguments after the mode go to ctest (for instance -R pattern).
set -euo pipefail
cd "$(dirname "$0")"

usage() { echo "usage: ./test.sh [--all] [ctest arguments...]"; }
all=false
case "${1:-}" in
  --all) all=true; shift ;;
  -h|--help) usage; exit 0 ;;
esac

./tools/setup.sh

jobs=$(nproc)

# stage NAME: announces a stage with the wall time and the processor time
# (user + system of every command this script has finished) spent before it.
# The times come from the script's own process: `times` inside $(...) would
# count only the subshell's.
ticks=$(getconf CLK_TCK)
stage() {
  local cpu
  cpu=$(awk -v hz="$ticks" '{ printf "%.0f s user, %.0f s system", $16 / hz, $17 / hz }' /proc/$$/stat)
  echo "== $1 == (after ${SECONDS} s; processor time so far: $cpu)"
}

# A stage whose tests fail does not stop the later ones, so that one run
# shows every failure; the script then ends with status 1. A build that
# fails ends it at once.
failed=()
build_and_test() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" "${ctest_args[@]}") || failed+=("tests in $dir")
}
ctest_args=("$@")

finish() {
  stage done
  if [ ${#failed[@]} -gt 0 ]; then
    echo "test.sh: FAILED: ${failed[*]}" >&2
    exit 1
  fi
  exit 0
}

stage "normal build"
build_and_test build -DCMAKE_BUILD_TYPE=RelWithDebInfo

$all || finish

stage "sanitizer build (address, undefined)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DBLORP_SANITIZE=ON -DBLORP_BUILD_BENCH=OFF

stage "thread sanitizer (the two-thread step)"
# The step's two threads share the lattice without locks; ThreadSanitizer
# checks that the planes each one touches really are its own.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLORP_BUILD_BENCH=OFF -DBLORP_BUILD_APP=OFF \
  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
cmake --build build-tsan -j "$jobs" --target softbody_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/softbody/softbody_tests --gtest_filter='ParallelStep.*' ||
  failed+=("thread sanitizer")

stage "fuzz smoke (libFuzzer, address, undefined)"
# Each harness replays its committed corpus and tries a fixed number of new
# inputs; tools/fuzz.sh runs them for as long as asked.
pairs=()
while read -r harness corpus; do
  pairs+=("$harness:$corpus")
done < <(grep -v -e '^#' -e '^[[:space:]]*$' tests/fuzz/harnesses.txt)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBLORP_FUZZ=ON -DBLORP_BUILD_TESTS=OFF -DBLORP_BUILD_BENCH=OFF -DBLORP_BUILD_APP=OFF
cmake --build build-fuzz -j "$jobs" --target "${pairs[@]%%:*}"
for pair in "${pairs[@]}"; do
  # New inputs go to a scratch folder, never into the committed corpus.
  scratch=build-fuzz/smoke/${pair#*:}
  rm -rf "$scratch" && mkdir -p "$scratch"
  build-fuzz/tests/fuzz/${pair%%:*} -runs=2000 -seed=1 -close_fd_mask=3 \
    "$scratch" tests/fuzz/corpus/${pair#*:} || failed+=("fuzzing ${pair%%:*}")
done
finish
