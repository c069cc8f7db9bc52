#!/usr/bin/env bash
# Installs what is missing, builds blorp and starts the viewer; arguments go to blorp.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target blorp
exec ./build/app/blorp "$@"
