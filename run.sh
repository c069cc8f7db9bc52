#!/usr/bin/env bash
# Installs what is missing, builds blorp and starts the viewer; arguments go to blorp.
# On a machine without a display there is no window to open, so it runs the
# headless RenderMan export instead (2000 steps of scene 12 into blorp10.rib
# in the directory it was started from, unless the arguments say otherwise:
# they go on to that run, after these defaults, so they win).
set -euo pipefail
here=$PWD
cd "$(dirname "$0")"
repo=$PWD
./tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target blorp
if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: no display (DISPLAY is not set), so instead of the viewer: a headless RenderMan export${*:+ with $*}"
    cd "$here"
    exec "$repo/build/app/blorp" --headless --steps 2000 --export --rib blorp10.rib "$@"
fi
exec ./build/app/blorp "$@"
