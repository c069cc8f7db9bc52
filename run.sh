#!/usr/bin/env bash
# Installs what is missing, builds blorp and starts the viewer; arguments go to blorp.
# On a machine without a display there is no window to open, so it runs the
# headless RenderMan export of scene 12 instead and writes blorp10.rib into
# the directory it was started from.
set -euo pipefail
here=$PWD
cd "$(dirname "$0")"
./tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target blorp
if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: no display (DISPLAY is not set), so instead of the viewer: the headless RenderMan export of scene 12 for 2000 steps"
    rib=$here/blorp10.rib
    ./build/app/blorp --headless --steps 2000 --export --scene 12 --rib "$rib"
    echo "run.sh: the RIB file is $rib"
    exit 0
fi
exec ./build/app/blorp "$@"
