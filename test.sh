#!/usr/bin/env bash
# Installs what is missing, builds blorp and runs every test: once in a normal
# build and once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh

jobs=$(nproc)

build_and_test() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

echo "== normal build =="
build_and_test build -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== sanitizer build (address, undefined) =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DBLORP_SANITIZE=ON -DBLORP_BUILD_BENCH=OFF

echo "== thread sanitizer (the two-thread step) =="
# The step's two threads share the lattice without locks; ThreadSanitizer
# checks that the planes each one touches really are its own.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLORP_BUILD_BENCH=OFF -DBLORP_BUILD_APP=OFF \
  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
cmake --build build-tsan -j "$jobs" --target softbody_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/softbody/softbody_tests --gtest_filter='ParallelStep.*'

echo "== fuzz smoke (libFuzzer, address, undefined) =="
# Each harness replays the committed corpus and tries a fixed number of new
# inputs; tools/fuzz.sh runs them for as long as asked.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBLORP_FUZZ=ON -DBLORP_BUILD_TESTS=OFF -DBLORP_BUILD_BENCH=OFF -DBLORP_BUILD_APP=OFF
cmake --build build-fuzz -j "$jobs" --target declaration_fuzzer ri_call_fuzzer
for pair in declaration_fuzzer:declarations ri_call_fuzzer:ri_calls; do
  # New inputs go to a scratch folder, never into the committed corpus.
  scratch=build-fuzz/smoke/${pair#*:}
  rm -rf "$scratch" && mkdir -p "$scratch"
  build-fuzz/tests/fuzz/${pair%%:*} -runs=2000 -seed=1 -close_fd_mask=3 \
    "$scratch" tests/fuzz/corpus/${pair#*:}
done
