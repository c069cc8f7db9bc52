#!/usr/bin/env bash
# The exporting viewer in a real window on a private Xvfb server, stopped
# early: SIGTERM at a random moment and SIGINT while paused end it with 143
# and 130, a line with the steps and frames done, and a RIB file of whole
# frames that ribcheck passes; an output that fails (a full device, a
# renderer that exits at once) ends it with status 1 and one line naming the
# output and the reason.
#
# usage: viewer_stop_e2e.sh BLORP RIBCHECK WORKDIR [SEED]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
work=$3
RANDOM=${4:-15}
mkdir -p "$work"
cd "$work"
rm -rf ./*

test_name=viewer_stop_e2e
source "$here/xvfb_session.sh"

source "$here/stopped_run.sh"

# start_blorp LOG ARGS...: starts the exporting viewer, its standard error to LOG.
start_blorp() {
    local log=$1
    shift
    "$blorp" --export -geometry 200x200+0+0 "$@" 2>"$log" &
    blorp_pid=$!
}

# ---- a stop signal: the frame is finished, the output closed, a line said
# stop_by SIGNAL STATUS RIB [KEY]: waits for the window and the first
# exported frame, presses KEY if given, waits a random moment and sends SIGNAL.
stop_by() {
    local signal=$1 expected=$2 rib=$3 key=${4:-} log=$3.log
    start_blorp "$log" --scene 7 --bodies 5 --rib "$rib"
    wait_for_window "$log"
    for _ in $(seq 200); do
        [ -e "$rib" ] && break
        sleep 0.05
    done
    [ -e "$rib" ] || fail "$signal: no frame was exported within 10 s"
    if [ -n "$key" ]; then
        xdotool windowfocus --sync "$window"
        xdotool key "$key"
    fi
    sleep "0.$((RANDOM % 1000))"
    kill -0 "$blorp_pid" 2>/dev/null || fail "$signal: blorp ended before the signal: $(tail -n2 "$log")"
    kill -"$signal" "$blorp_pid"
    wait_exit "SIG$signal"
    [ "$status" = "$expected" ] || fail "$signal: exit status $status, not $expected: $(tail -n3 "$log")"
    check_stopped_by "$signal" "$log" "$rib" "$rib"
    note "$signal${key:+ after '$key'}: $said; $(cat "$rib.summary")"
}
stop_by TERM 143 term.rib
# Paused, the viewer steps no more, yet it still looks between frames.
stop_by INT 130 paused.rib space

# ---- outputs that fail: the viewer stops by itself
# stops_on TARGET REASON SCENE: the viewer must end with status 1 and one
# line naming TARGET and REASON.
stops_on() {
    local target=$1 reason=$2 scene=$3 log=failed-$3.log
    local started ended
    started=$(date +%s%N)
    start_blorp "$log" --scene "$scene" --rib "$target"
    wait_exit "the output to $target failed"
    ended=$(date +%s%N)
    [ "$status" = 1 ] || fail "$target: exit status $status, not 1: $(tail -n3 "$log")"
    check_failed_line "$log" "$target" "$reason"
    note "$target: $(own_lines "$log" | tail -n1) ($(((ended - started) / 1000000)) ms from the start)"
}
stops_on /dev/full "No space left on device" 7
# Scene 12's frames are small: the buffer would take seconds of frames to
# fill, so it is the look at the pipe that notices.
stops_on "|exit 0" "Broken pipe (the command is no longer reading)" 12

note "PASS"
