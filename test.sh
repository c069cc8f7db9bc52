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
