#!/usr/bin/env bash
# blorp-render end to end with a real renderer: the 12 per-frame files of
# scene 7 become 12 images of the size asked and a movie of 12 frames; a
# broken frame among others is named and fails the run; a single export file
# of many frames, text or binary, renders too.
#
# usage: render_movie.sh BLORP BLORP_RENDER STAND_IN_ASSETS WORKDIR
# Exits 77 (skipped) when aqsis, GNU parallel or ffmpeg is missing.
set -euo pipefail

blorp=$(realpath "$1")
render=$(realpath "$2")
stand_in=$(realpath "$3")
work=$4
for tool in aqsis parallel ffmpeg ffprobe; do
    command -v "$tool" >/dev/null || { echo "render_movie: SKIP: $tool is not installed"; exit 77; }
done
rm -rf "$work"
mkdir -p "$work"
cd "$work"
unset DISPLAY

fail() {
    echo "render_movie: FAIL: $*" >&2
    exit 1
}

# The shipped shaders and textures when they are built beside blorp-render,
# plain stand-ins otherwise.
assets=()
[ -x "$(dirname "$render")/blorp-assets" ] || assets=(--assets "$stand_in")

# size IMAGE: "WIDTHxHEIGHT" as ffprobe reads it.
size() { ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$1"; }

"$blorp" --headless --scene 7 --bodies 5 --steps 96 --export --rib 'out/s7.%04d.rib' --image-size 160x120 \
    </dev/null 2>export.log || fail "export: $(tail -n2 export.log)"

status=0
"$render" out --jobs 2 --movie s7.mp4 --renderer aqsis "${assets[@]}" </dev/null >render.log 2>&1 || status=$?
[ "$status" = 0 ] || fail "render: status $status: $(tail -n5 render.log)"
images=$(find out -maxdepth 1 -name 'blorp*.tif' | wc -l)
[ "$images" = 12 ] || fail "render: $images images, not 12"
for n in 000 005 011; do
    [ "$(size "out/blorp$n.tif")" = 160x120 ] || fail "render: blorp$n.tif is $(size "out/blorp$n.tif")"
done
grep -q '^blorp-render: 12/12 frames done, 0 failed, [0-9]*:[0-9][0-9] left$' render.log ||
    fail "render: no progress line: $(tail -n3 render.log)"
counted=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames,r_frame_rate \
    -of csv=p=0 s7.mp4)
[ "$counted" = "25/1,12" ] || fail "movie: frame rate and frames $counted, not 25/1,12"
[ "$(size s7.mp4)" = 160x120 ] || fail "movie: $(size s7.mp4)"
echo "render_movie: $(tail -n2 render.log | tr '\n' ' ')"

# A broken file among good ones: named with the renderer's words, the others
# still render, no movie, status 1.
mkdir broken
cp out/s7.0003.rib out/s7.0004.rib broken/
head -c 3000 out/s7.0005.rib >broken/s7.0005.rib
status=0
"$render" broken --jobs 2 --movie broken.mp4 "${assets[@]}" </dev/null >broken.log 2>&1 || status=$?
[ "$status" = 1 ] || fail "broken: status $status: $(tail -n3 broken.log)"
grep -q '^blorp-render: frame s7.0005.rib failed: .*ERROR' broken.log || fail "broken: not named: $(cat broken.log)"
grep -q 'frame s7.000[34].rib failed' broken.log && fail "broken: a good frame failed: $(cat broken.log)"
grep -q '^blorp-render: 1 of 3 frames failed' broken.log || fail "broken: summary: $(tail -n1 broken.log)"
[ -s broken/blorp003.tif ] && [ -s broken/blorp004.tif ] || fail "broken: the good frames have no images"
[ ! -e broken.mp4 ] || fail "broken: a movie was made of a failed render"

# One export file of many frames: text is split into frames that render
# side by side; binary renders whole. The images go beside the file.
for mode in text binary; do
    flags=()
    [ "$mode" = text ] || flags=(--binary)
    mkdir "single-$mode"
    "$blorp" --headless --scene 1 --bodies 2 --steps 17 --export --rib "single-$mode/all.rib" "${flags[@]}" \
        --image-size 96x64 </dev/null 2>/dev/null || fail "single $mode: export failed"
    status=0
    "$render" "single-$mode/all.rib" --jobs 2 "${assets[@]}" </dev/null >"single-$mode.log" 2>&1 || status=$?
    [ "$status" = 0 ] || fail "single $mode: status $status: $(tail -n3 "single-$mode.log")"
    for n in 000 001 002; do
        [ "$(size "single-$mode/blorp$n.tif")" = 96x64 ] || fail "single $mode: blorp$n.tif missing or not 96x64"
    done
    grep -q "^blorp-render: rendering $([ $mode = text ] && echo '3 frames' || echo '1 file of frames') with aqsis" "single-$mode.log" ||
        fail "single $mode: $(cat "single-$mode.log")"
done
echo "render_movie: PASS"
