#!/usr/bin/env bash
# The viewer's long soak: a minute (or SECONDS) of random keys and clicks on
# `blorp --export` under Xvfb, ending with 'q'; the RIB file must pass ribcheck.
# usage: tools/soak_viewer.sh [SECONDS] [SEED]   (after ./test.sh or a build in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target blorp ribcheck >/dev/null
exec bash tests/app/viewer_soak.sh build/app/blorp build/tools/ribcheck/ribcheck build/viewer_soak "${1:-60}" "${2:-12}"
