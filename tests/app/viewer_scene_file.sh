#!/usr/bin/env bash
# The viewer with --scene-file on a private Xvfb server: 'r' after an edit
# of the file shows the edited scene; 'r' after an edit that breaks the file
# keeps the running scene and shows why on screen; a body that blows up
# pauses the simulation with the reason on screen.
#
# usage: viewer_scene_file.sh BLORP WORKDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

blorp=$(realpath "$1")
work=$2
mkdir -p "$work"
cd "$work"
rm -f ./*.png ./*.log display.txt

test_name=viewer_scene_file
source "$here/xvfb_session.sh"
require_tools import convert compare


# pixels FILE KIND: the number of pixels of that kind.
#   red:   the first body (glass, colour 0.8, 0.2, 0.2)
#   green: the spheres
#   alert: the on-screen alert's text (1, 0.45, 0.3)
pixels() {
    convert "$1" txt:- | awk -F'[(),: ]+' -v kind="$2" '
        NR > 1 {
            r = $3; g = $4; b = $5
            if (kind == "red") hit = r > 100 && r > 2 * g && r > 2 * b && g < 90
            else if (kind == "green") hit = g > 100 && g > 2 * r && g > 2 * b
            else hit = r > 200 && g >= 90 && g <= 140 && b >= 55 && b <= 100 && g - b >= 20
            n += hit
        }
        END { print n + 0 }'
}
# same_as A B: the two screenshots are the same in every pixel.
same_as() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" = 0 ]; }
# still FILE: a screenshot taken now is the same as FILE, taken just before.
still() {
    shot "$1.again.png"
    same_as "$1" "$1.again.png"
}
at_least() { [ "$(pixels "$3" "$2")" -ge "$1" ]; }
at_most() { [ "$(pixels "$3" "$2")" -le "$1" ]; }

press() {
    xdotool windowfocus --sync "$window"
    xdotool key "$1"
}

# shot_until FILE TEST...: screenshots until TEST holds, for up to 10 s.
shot_until() {
    local file=$1
    shift
    for _ in $(seq 100); do
        shot "$file"
        "$@" "$file" && return 0
        sleep 0.1
    done
    fail "no screenshot within 10 s satisfied: $*"
}

# log_until LOG TEXT: waits up to 10 s for a line of LOG holding TEXT.
log_until() {
    for _ in $(seq 100); do
        grep -q -F -e "$2" "$1" && return 0
        sleep 0.1
    done
    fail "$1 never said '$2': $(cat "$1")"
}

block='[[body]]
cells = [3, 2, 2]
centred = true
spacing = 1.0
stiffness = 700.0
damping = 0.01
mass = 0.3'
sphere='[[object]]
kind = "sphere"
centre = [0.0, -2.5, 0.0]
radius = 1.2'

# ---- edit, save, r
printf '%s\n' "$block" >scene.toml
start_blorp edit.log --scene-file scene.toml -geometry 400x400+0+0
shot_until block.png at_least 500 red
at_most 50 green block.png || fail "a sphere before the file has one"

printf '%s\n\n%s\n' "$sphere" "$block" >scene.toml
press r
shot_until sphere.png at_least 1500 green
note "after an edit and r: the sphere of the edited file is on screen"

# A broken edit: the scene runs on as it was, the reason is on screen.
printf '%s\n' "$block" | sed 's/^spacing = 1.0$/spacing = -1.0/' >scene.toml
press r
shot_until broken.png at_least 300 alert
log_until edit.log "scene.toml:4:11: 'spacing' must be a positive number, not -1.0"
at_least 1500 green broken.png || fail "the running scene went away at a failed r"
note "a broken file at r: the message on screen, the scene kept"

# Mended again, r starts it and the message goes.
printf '%s\n' "$block" >scene.toml
press r
shot_until mended.png at_most 20 alert
at_most 50 green mended.png || fail "the sphere stayed after r on the mended file"
press q
wait_exit
[ "$status" = 0 ] || fail "'q' ended blorp with status $status"

# ---- a body that blows up: paused, with the reason on screen
printf '%s\n' "$block" | sed 's/^stiffness = 700.0$/stiffness = 1e6/' >stiff.toml
start_blorp stiff.log --scene-file stiff.toml -geometry 400x400+0+0
log_until stiff.log "blorp: warning: body 0 will not hold together: stiffness 1e+06"
log_until stiff.log "blorp: body 0 went unstable at step "
# Paused with the reason on screen: two screenshots in a row alike, and no
# step has run since the one that found the body unstable (each would
# report it again); '.' takes one.
shot_until paused.png still
at_least 300 alert paused.png || fail "no message on screen"
reports=$(grep -c 'went unstable' stiff.log)
[ "$reports" = 1 ] || fail "the simulation ran on after the body blew up ($reports reports)"
press period
for _ in $(seq 100); do
    reports=$(grep -c 'went unstable' stiff.log)
    [ "$reports" -ge 2 ] && break
    sleep 0.1
done
[ "$reports" = 2 ] || fail "'.' while paused gave $reports reports, not 2"
press q
wait_exit
[ "$status" = 0 ] || fail "'q' ended blorp with status $status"
note "PASS"
