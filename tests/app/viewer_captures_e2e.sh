#!/usr/bin/env bash
# The viewer's captures in a real window on a private Xvfb server: F2 writes
# a PNG of the window's size that shows the scene; --record makes a video
# that plays and lasts as long as the simulated time it shows, whether the
# run ends by 'q' or by SIGTERM; a missing or failing ffmpeg is reported
# once and the viewer goes on. Skipped (status 77) without ffmpeg.
#
# usage: viewer_captures_e2e.sh BLORP WM_CLOSE WORKDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

blorp=$(realpath "$1")
wm_close=$(realpath "$2")
work=$3
mkdir -p "$work"
cd "$work"
rm -rf ./*

for tool in ffmpeg ffprobe; do
    if ! command -v "$tool" >/dev/null; then
        echo "viewer_captures_e2e: SKIP: $tool is missing (tools/setup.sh installs it)"
        exit 77
    fi
done

test_name=viewer_captures_e2e
source "$here/xvfb_session.sh"
require_tools convert identify pgrep


press() {
    xdotool windowfocus --sync "$window"
    xdotool key "$1"
}

# red_pixels FILE: the pixels of scene 12's red glass block.
red_pixels() {
    convert "$1" txt:- | awk -F'[(),: ]+' 'NR > 1 && $3 > 100 && $3 > 2 * $4 && $3 > 2 * $5 { n++ } END { print n + 0 }'
}

# wait_for TEST...: waits up to 20 s for TEST to hold.
wait_for() {
    for _ in $(seq 400); do
        "$@" && return 0
        kill -0 "$blorp_pid" 2>/dev/null || fail "blorp ended while waiting for: $*"
        sleep 0.05
    done
    fail "not within 20 s: $*"
}

# recording_for SECONDS: blorp's ffmpeg has started (the first video frame
# was due) and has been recording for SECONDS. ffmpeg's file is no sign: it
# may hold its output in a buffer for long.
recording_since=
recording_for() {
    pgrep -P "$blorp_pid" -x ffmpeg >/dev/null || return 1
    [ -n "$recording_since" ] || recording_since=$SECONDS
    [ $((SECONDS - recording_since)) -ge "$1" ]
}

# check_video FILE LOG: FILE decodes without an error and lasts within 10 %
# of the simulated time LOG's "recorded" line gives.
check_video() {
    local file=$1 log=$2 line simulated duration errors
    line=$(grep "^blorp: recorded [0-9]* frames (" "$log") || fail "$file: no recorded line: $(cat "$log")"
    simulated=$(sed -E 's/.*\(([0-9.]+) s of simulated time\).*/\1/' <<<"$line")
    duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$file") || fail "$file: ffprobe failed"
    errors=$(ffmpeg -v error -i "$file" -f null - 2>&1) || fail "$file does not decode: $errors"
    [ -z "$errors" ] || fail "$file decodes with errors: $errors"
    awk -v d="$duration" -v s="$simulated" 'BEGIN { exit !(s > 0 && d >= 0.9 * s && d <= 1.1 * s) }' ||
        fail "$file lasts $duration s for $simulated s of simulated time"
    note "$file: $duration s for $simulated s of simulated time ($line)"
}

# ---- F2: a PNG of the window's size showing the block
mkdir shots
start_blorp shot.log --shots shots -geometry 320x240+0+0
press F2
png_written() { [ -n "$(find shots -name 'blorp-12-*.png')" ]; }
wait_for png_written
png=$(find shots -name 'blorp-12-*.png' | head -n1)
size=$(identify -format '%wx%h' "$png")
[ "$size" = 320x240 ] || fail "$png is $size, not the window's 320x240"
red=$(red_pixels "$png")
[ "$red" -ge 200 ] || fail "$png shows only $red pixels of the block"
grep -q "^blorp: screenshot $png (320x240)\$" shot.log || fail "no line for $png: $(cat shot.log)"
press q
wait_exit
[ "$status" = 0 ] || fail "'q' after F2: status $status"
note "F2: $png, $size, $red block pixels"

# ---- --record, ended by 'q', by closing the window and by SIGTERM
start_blorp q.log --record s12.mp4 -geometry 200x200+0+0
recording_since=
wait_for recording_for 3
press q
wait_exit
[ "$status" = 0 ] || fail "'q' while recording: status $status: $(tail -n3 q.log)"
check_video s12.mp4 q.log

# A gif, every fourth step, in a window closed through the window manager.
start_blorp close.log --record close.gif --record-every 4 -geometry 120x90+0+0
recording_since=
wait_for recording_for 2
"$wm_close" "$window" || fail "could not ask the window to close"
wait_exit "closing the window"
[ "$status" = 0 ] || fail "closing the window while recording: status $status: $(tail -n3 close.log)"
check_video close.gif close.log

start_blorp term.log --record term.mp4 -geometry 200x200+0+0
recording_since=
wait_for recording_for 2
kill -TERM "$blorp_pid"
wait_exit SIGTERM
[ "$status" = 143 ] || fail "SIGTERM while recording: status $status: $(tail -n3 term.log)"
check_video term.mp4 term.log

# ---- no ffmpeg, and an ffmpeg that fails: said once, the viewer goes on
for case in missing failing; do
    if [ $case = missing ]; then
        mkdir -p nothing
        # Only blorp goes without: the script's own tools stay within reach.
        PATH=$PWD/nothing "$blorp" --record x.mp4 -geometry 100x100+0+0 2>$case.log &
        blorp_pid=$!
        wait_for_window $case.log
        expected="^blorp: cannot record to x.mp4: cannot run ffmpeg: No such file or directory; the viewer goes on without it\$"
    else
        start_blorp $case.log --record nowhere/x.mp4 -geometry 100x100+0+0
        expected="^blorp: the recording to nowhere/x.mp4 failed: .*No such file or directory.*; the viewer goes on without it\$"
    fi
    said() { grep -q "$expected" $case.log; }
    wait_for said
    press w
    press q
    wait_exit
    [ "$status" = 0 ] || fail "$case ffmpeg: status $status: $(tail -n3 $case.log)"
    [ "$(grep -c "$expected" $case.log)" = 1 ] || fail "$case ffmpeg: not said once: $(cat $case.log)"
    note "$case ffmpeg: $(grep "$expected" $case.log)"
done
note "PASS"
