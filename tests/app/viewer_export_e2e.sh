#!/usr/bin/env bash
# End-to-end test of the viewer's RenderMan export in a real window: blorp
# --export on a private Xvfb server (Mesa's software OpenGL), ended once with
# 'q' and once by closing the window the way a window manager does. Each run
# must end with status 0 and leave a complete blorp10.rib in its working
# directory that ribcheck passes.
#
# usage: viewer_export_e2e.sh BLORP RIBCHECK WM_CLOSE WORKDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
wm_close=$(realpath "$3")
work=$4
mkdir -p "$work"
cd "$work"
rm -rf ./*

test_name=viewer_export_e2e
source "$here/xvfb_session.sh"

# start_blorp DIR ARGS...: starts blorp in DIR (a fresh working directory,
# where the default blorp10.rib lands) and waits for its window.
start_blorp() {
    local dir=$1
    shift
    mkdir -p "$dir"
    (cd "$dir" && exec "$blorp" "$@" 2>blorp.log) &
    blorp_pid=$!
    wait_for_window "$dir/blorp.log"
}

# let_frames_pass DIR: waits up to 60 s until DIR/blorp10.rib holds more than
# one finished frame (the writer passes its output on in large blocks, so
# this may take many frames), failing if blorp ends first.
let_frames_pass() {
    local rib=$1/blorp10.rib frames=0
    for _ in $(seq 1200); do
        kill -0 "$blorp_pid" 2>/dev/null || fail "blorp ended while running"
        [ -e "$rib" ] && frames=$(grep -a -c '^FrameEnd' "$rib" || true)
        [ "$frames" -ge 2 ] && return 0
        sleep 0.05
    done
    fail "$1: fewer than two frames in blorp10.rib after 60 s"
}


# check_rib DIR FORMAT: DIR/blorp10.rib is complete and clean, with frames.
check_rib() {
    local rib=$1/blorp10.rib
    [ -s "$rib" ] || fail "$1: no blorp10.rib was written"
    local result=0
    "$ribcheck" "$rib" >"$1/ribcheck.out" 2>"$1/ribcheck.summary" || result=$?
    [ "$result" = 0 ] || fail "$1: ribcheck found problems: $(grep -v ': note: ' "$1/ribcheck.out" | head -n5)"
    local frames
    frames=$(sed -n 's/.*, \([0-9]*\) frames, 0 problems$/\1/p' "$1/ribcheck.summary")
    [ -n "$frames" ] && [ "$frames" -ge 2 ] || fail "$1: ribcheck says: $(cat "$1/ribcheck.summary")"
    # RiEnd writes the last line end; without it the output was cut off
    # rather than finished.
    [ "$(tail -c 10 "$rib" | od -An -c | tr -d ' \n')" = 'FrameEnd\n\n' ] ||
        fail "$1: the file does not end with a finished frame: $(tail -c 40 "$rib" | od -c | tail -n3)"
    if LC_ALL=C grep -q -P '[\x80-\xff]' "$rib"; then encoded=binary; else encoded=text; fi
    [ "$encoded" = "$2" ] || fail "$1: the file has $encoded floats, not $2"
    note "$1: $(cat "$1/ribcheck.summary")"
}

# ---- 'q' finishes the export of the default scene into blorp10.rib
start_blorp quit --export -geometry 200x200+0+0
let_frames_pass quit
xdotool windowfocus --sync "$window"
xdotool key q
wait_exit "'q'"
[ "$status" = 0 ] || fail "'q' ended blorp with status $status: $(cat quit/blorp.log)"
check_rib quit text

# ---- closing the window through the window manager finishes it too
start_blorp close --export --binary --scene 7 --bodies 5 -geometry 200x200+0+0
let_frames_pass close
"$wm_close" "$window" || fail "could not ask the window to close"
wait_exit "the window was closed"
[ "$status" = 0 ] || fail "closing the window ended blorp with status $status: $(cat close/blorp.log)"
tail -n1 close/blorp.log | grep -q "^world has been created...$" ||
    fail "closing the window left messages: $(tail -n3 close/blorp.log)"
check_rib close binary

note "PASS"
