#!/usr/bin/env bash
# One RIB file per frame through the real blorp executable: scene 7 with five
# bodies, 400 steps, in text and in binary, gives 50 whole files that each
# pass ribcheck on their own; a run stopped by SIGINT leaves whole files only
# and names the last; a frame file that cannot be made stops the run.
#
# usage: frame_files.sh BLORP RIBCHECK WORKDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
work=$3
rm -rf "$work"
mkdir -p "$work"
cd "$work"
unset DISPLAY

fail() {
    echo "frame_files: FAIL: $*" >&2
    exit 1
}

source "$here/frame_check.sh"

for mode in text binary; do
    flags=()
    [ "$mode" = text ] || flags=(--binary)
    status=0
    "$blorp" --headless --scene 7 --bodies 5 --steps 400 --export --rib "$mode/s7.%04d.rib" "${flags[@]}" \
        --image-size 160x120 </dev/null 2>"$mode.log" || status=$?
    [ "$status" = 0 ] || fail "$mode: status $status: $(tail -n2 "$mode.log")"
    summary=$(tail -n1 "$mode.log")
    [[ $summary =~ \;\ 50\ frames\ written\ to\ $mode/s7\.%04d\.rib,\ the\ last\ $mode/s7\.0049\.rib$ ]] ||
        fail "$mode: summary: $summary"
    check_whole "$mode" 50
    grep -q '^Format 160 120 1$' "$mode/s7.0049.rib" || fail "$mode: no Format 160 120 1"
    echo "frame_files: $mode: $summary"
done
cmp -s text/s7.0000.rib binary/s7.0000.rib && fail "the binary files are the same as the text ones"

# SIGINT in the middle: a long run is stopped once some files exist. It
# finishes the frame under way, so every file is whole and the line names
# the last one.
"$blorp" --headless --scene 7 --bodies 5 --steps 2000000 --export --rib 'stopped/s7.%04d.rib' \
    </dev/null 2>stopped.log &
pid=$!
for ((tries = 0; tries < 6000; tries++)); do
    [ "$(find stopped -name '*.rib' 2>/dev/null | wc -l)" -lt 20 ] || break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[ "$status" = 130 ] || fail "SIGINT: status $status: $(tail -n2 stopped.log)"
said=$(tail -n1 stopped.log)
[[ $said =~ ^blorp:\ stopped\ by\ SIGINT\ after\ ([0-9]+)\ steps\;\ ([0-9]+)\ frames\ written\ to\ stopped/s7\.%04d\.rib,\ the\ last\ (.*)$ ]] ||
    fail "SIGINT: line: $said"
steps=${BASH_REMATCH[1]} frames=${BASH_REMATCH[2]} last=${BASH_REMATCH[3]}
[ "$frames" = $(((steps + 7) / 8)) ] || fail "SIGINT: $frames frames for $steps steps"
[ "$last" = "$(printf 'stopped/s7.%04d.rib' $((frames - 1)))" ] || fail "SIGINT: the last file named is $last"
check_whole stopped "$frames"
echo "frame_files: SIGINT: $said"

# A frame file that cannot be made: a folder stands in the place of frame
# 2's partial file. Frames 0 and 1 stay, whole; the run stops with status 1.
mkdir -p blocked/s7.0002.rib.part
status=0
"$blorp" --headless --scene 7 --steps 400 --export --rib 'blocked/s7.%04d.rib' </dev/null 2>blocked.log || status=$?
[ "$status" = 1 ] || fail "blocked: status $status: $(tail -n2 blocked.log)"
said=$(tail -n1 blocked.log)
[ "$said" = "blorp: stopped after 17 steps: the RIB output to blocked/s7.0002.rib failed: Is a directory; the last whole file is blocked/s7.0001.rib" ] ||
    fail "blocked: line: $said"
rmdir blocked/s7.0002.rib.part
check_whole blocked 2

# Mistakes in the pattern are named before anything runs.
status=0
"$blorp" --headless --steps 8 --export --rib 'x/%s.rib' </dev/null 2>bad.log || status=$?
[ "$status" = 2 ] || fail "bad pattern: status $status"
# The lines before it are the static world's construction, before main.
! grep -q 'about to create the world' bad.log || fail "bad pattern: a world was built: $(cat bad.log)"
[[ $(tail -n1 bad.log) =~ ^blorp:\ --rib\ \'x/%s.rib\'\ cannot\ name\ one\ file\ per\ frame:\ .*\;\ usage:\ blorp\  ]] ||
    fail "bad pattern: $(tail -n1 bad.log)"
[ ! -e x ] || fail "bad pattern: something was written"
echo "frame_files: PASS"
