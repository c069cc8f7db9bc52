#!/usr/bin/env bash
# The exporting viewer with one file per frame, in a real window on a private
# Xvfb server: 'q' and SIGTERM both leave whole files only, each passing
# ribcheck, and SIGTERM's line names the last file written.
#
# usage: viewer_frame_files.sh BLORP RIBCHECK WORKDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
app_tests=$here/../app

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
work=$3
rm -rf "$work"
mkdir -p "$work"
cd "$work"

test_name=viewer_frame_files
source "$app_tests/xvfb_session.sh"

# run_until FOLDER: starts the viewer exporting into FOLDER/s7.%04d.rib and
# returns once it has written five files.
run_until() {
    "$blorp" --export --rib "$1/s7.%04d.rib" --scene 7 --bodies 5 -geometry 200x200+0+0 2>"$1.log" &
    blorp_pid=$!
    wait_for_window "$1.log"
    for _ in $(seq 600); do
        [ "$(find "$1" -name '*.rib' 2>/dev/null | wc -l)" -lt 5 ] || return 0
        kill -0 "$blorp_pid" 2>/dev/null || fail "$1: blorp ended: $(tail -n2 "$1.log")"
        sleep 0.05
    done
    fail "$1: fewer than five frame files within 30 s"
}

source "$here/frame_check.sh"

# check_all FOLDER: check_whole over however many files the run wrote; the
# number goes to $files.
check_all() {
    files=$(find "$1" -name '*.rib' | wc -l)
    check_whole "$1" "$files"
}

run_until quit
xdotool windowfocus --sync "$window"
xdotool key q
wait_exit
[ "$status" = 0 ] || fail "q: exit status $status: $(tail -n2 quit.log)"
check_all quit
note "q: $files whole files"

run_until term
kill -TERM "$blorp_pid"
wait_exit SIGTERM
[ "$status" = 143 ] || fail "SIGTERM: exit status $status: $(tail -n2 term.log)"
check_all term
said=$(tail -n1 term.log)
last=$(printf 'term/s7.%04d.rib' $((files - 1)))
[[ $said =~ \;\ $files\ frames\ written\ to\ term/s7\.%04d\.rib,\ the\ last\ $last$ ]] || fail "SIGTERM: line: $said"
note "SIGTERM: $said"
note "PASS"
