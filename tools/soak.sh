#!/usr/bin/env bash
# The long soak: every scene, all bodies active, 20,000 steps (or as many as
# asked) under the seeded storm of pushes, kicks and activations, each scene
# in its own test. Uses the normal build in build/ unless BUILD_DIR says
# otherwise.
#
#   tools/soak.sh [steps [seed]]
set -euo pipefail
cd "$(dirname "$0")/.."

steps=${1:-20000}
seed=${2:-9000}
build=${BUILD_DIR:-build}

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j 2 --target reliability_tests
BLORP_SOAK_STEPS=$steps BLORP_SOAK_SEED=$seed "$build/tests/reliability/reliability_tests" --gtest_filter='EveryScene/Soak.*' \
  --gtest_output="xml:$build/soak-$steps-$seed.xml"
echo "figures per scene: $build/soak-$steps-$seed.xml"
