#!/usr/bin/env bash
# End-to-end test of the viewer in a real window: starts blorp on a private
# Xvfb server (Mesa's software OpenGL), finds the "Blorp Madness" window,
# reads its pixels from screenshots, drives it with xdotool and checks the
# exit status and the whole standard-error log.
#
# usage: viewer_e2e.sh BLORP WORKDIR [DOCSDIR]
#   WORKDIR receives the screenshots and logs of the run.
#   DOCSDIR, when given, receives scene12.png, scene7.png, room.png and
#   help.png for the README.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

blorp=$(realpath "$1")
work=$2
docs=${3:-}
mkdir -p "$work"
cd "$work"
rm -f ./*.png ./*.log display.txt

test_name=viewer_e2e
source "$here/xvfb_session.sh"
require_tools import convert compare

# pixels FILE KIND: "count meanX meanY" of the pixels of that kind.
#   red:    the scene-12 body (glass, colour 0.8, 0.2, 0.2)
#   green:  the spheres (material 0, 0.9, 0)
#   blue:   the tables' boxes (material 0, 0, 1)
#   grey:   spring lines (white material)
#   floor:  the room's floor (flat 0.22, 0.26, 0.38)
#   yellow: the help overlay's text
pixels() {
    convert "$1" txt:- | awk -F'[(),: ]+' -v kind="$2" '
        NR > 1 {
            x = $1; y = $2; r = $3; g = $4; b = $5
            if (kind == "red") hit = r > 100 && r > 2 * g && r > 2 * b
            else if (kind == "green") hit = g > 100 && g > 2 * r && g > 2 * b
            else if (kind == "blue") hit = b > 100 && b > 2 * r && b > 2 * g
            else if (kind == "floor") hit = r >= 53 && r <= 59 && g >= 63 && g <= 69 && b >= 94 && b <= 100
            else if (kind == "yellow") hit = r > 200 && g > 200 && b < 80
            else hit = r > 60 && r == g && g == b
            if (hit) { n++; sx += x; sy += y }
        }
        END { if (n) printf "%d %.1f %.1f\n", n, sx / n, sy / n; else print "0 0 0" }'
}

# press KEY: types a key into the focused blorp window.
press() {
    xdotool windowfocus --sync "$window"
    xdotool key "$1"
}

# differs A B: whether the two screenshots differ in any pixel.
differs() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != 0 ]; }

# shot_until FILE TEST...: takes screenshots into FILE until TEST (a command
# given the file) holds, for up to 10 s; fails naming the TEST otherwise.
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

# still FILE: two screenshots in a row show the same picture (FILE the second).
still() {
    shot "$1.before.png"
    ! differs "$1.before.png" "$1"
}
# at_least N KIND FILE: the screenshot has N or more pixels of that kind.
at_least() {
    local n
    read -r n _ _ <<<"$(pixels "$3" "$2")"
    [ "$n" -ge "$1" ]
}
differs_from() { differs "$1" "$2"; }
same_as() { ! differs "$1" "$2"; }

body_build() {
    printf '%s\n' "blorp: initialing members..." "blorp: initialize nodes array with actual nodes..." \
        "initializing springs..." "initializing faces..." "blorp has been created"
}

# ---- scene 12: the falling block, with a GLUT option on the command line
start_blorp scene12.log -geometry 400x400+0+0
size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$size" = 400x400 ] || fail "-geometry 400x400 did not reach GLUT: window is $size"

# The window may show before its first frame is drawn; then the body falls.
changed_since_first() { compare -metric AE first.png "$1" null: 2>&1 || true; }
moved() {
    local changed
    changed=$(changed_since_first "$1")
    at_least 500 red "$1" && [ "${changed%%.*}" -ge 30 ]
}
shot_until first.png at_least 500 red
shot_until second.png moved
read -r n1 x1 y1 <<<"$(pixels first.png red)"
read -r n2 x2 y2 <<<"$(pixels second.png red)"
note "body pixels: $n1 around ($x1, $y1), then $n2 around ($x2, $y2)"
note "pixels changed between the two screenshots: $(changed_since_first second.png)"

press w
for _ in $(seq 50); do
    sleep 0.1
    shot springs.png
    read -r red _ _ <<<"$(pixels springs.png red)"
    read -r grey _ _ <<<"$(pixels springs.png grey)"
    [ "$red" -lt 50 ] && [ "$grey" -ge 200 ] && break
done
note "spring view: $red red pixels, $grey grey line pixels"
[ "$red" -lt 50 ] && [ "$grey" -ge 200 ] || fail "'w' did not switch to the spring view"

press q
wait_exit
[ "$status" = 0 ] || fail "'q' ended blorp with status $status; log: $(cat scene12.log)"
{
    body_build
    echo "about to create the world..."
    body_build
    echo "world has been created..."
} >expected12.log
diff -u expected12.log scene12.log || fail "standard-error log of scene 12 differs (above)"
note "scene 12: window, motion, spring view, quit with status 0 and the log all as expected"

# ---- scene 3: the green spheres
start_blorp scene3.log --scene 3 -geometry 400x400+0+0
green=0
for _ in $(seq 50); do
    shot scene3.png
    read -r green _ _ <<<"$(pixels scene3.png green)"
    [ "$green" -ge 2000 ] && break
    sleep 0.1
done
note "scene 3: $green green pixels"
[ "$green" -ge 2000 ] || fail "scene 3 shows no green spheres ($green pixels)"
press q
wait_exit
[ "$status" = 0 ] || fail "'q' ended scene 3 with status $status"
{
    body_build
    echo "about to create the world..."
    body_build
    echo "world has been created..."
} >expected3.log
diff -u expected3.log scene3.log || fail "standard-error log of scene 3 differs (above)"

# ---- the controls beside the fixed display cycle, on scene 12
start_blorp controls.log -geometry 400x400+0+0
shot_until falling.png at_least 500 red
# Paused, the picture holds: once it has settled, screenshots a second apart agree.
press space
shot_until paused.png still
sleep 1
shot paused_later.png
differs paused.png paused_later.png && fail "paused, the picture changed within a second"
# 'r' shows the start; running again, the block falls from it.
press r
shot_until start.png still
press space
shot_until resumed.png differs_from start.png
note "space pauses and resumes; paused screenshots a second apart are identical"
press space
press r
shot_until restarted.png same_as start.png
note "'r' brings back the start's picture, pixel for pixel"
press Left
shot_until orbited.png differs_from start.png
press Home
shot_until home.png same_as start.png
note "an arrow key turns the view and Home brings the fixed view back"
at_least 100 floor home.png && fail "the floor shows before 'g'"
press g
shot_until room.png at_least 2000 floor
note "'g' shows the floor: $(pixels room.png floor | cut -d' ' -f1) pixels"
press g
at_least 100 yellow start.png && fail "yellow text before 'h'"
press h
shot_until help.png at_least 500 yellow
note "'h' shows text: $(pixels help.png yellow | cut -d' ' -f1) pixels"
press h
at_least 100 blue start.png && fail "blue boxes in scene 12"
press bracketright
shot_until next.png at_least 2000 blue
note "']' shows scene 0 and its table: $(pixels next.png blue | cut -d' ' -f1) blue pixels"
press q
wait_exit
[ "$status" = 0 ] || fail "'q' ended blorp with status $status; log: $(tail -n3 controls.log)"
{
    body_build
    echo "about to create the world..."
    body_build
    echo "world has been created..."
} >expected_start.log
head -n "$(wc -l <expected_start.log)" controls.log | diff -u expected_start.log - ||
    fail "the start-up log differs (above)"

# ---- no display: one line naming --headless
status=0
env -u DISPLAY "$blorp" 2>nodisplay.log || status=$?
[ "$status" = 1 ] || fail "without a display blorp ended with status $status, not 1"
last=$(tail -n1 nodisplay.log)
[[ $last == "blorp: no display"*"--headless"* ]] || fail "without a display blorp said: $last"

# ---- a bad option: one line with the usage, status 2, no window
status=0
"$blorp" --scene 13 2>bad.log || status=$?
[ "$status" = 2 ] || fail "--scene 13 gave status $status, not 2"
last=$(tail -n1 bad.log)
[[ $last == "blorp: --scene"*"usage: blorp"* ]] || fail "--scene 13 gave the line: $last"
grep -q "about to create the world" bad.log && fail "a bad option still built the world"

# ---- screenshots for the README, taken the same way
if [ -n "$docs" ]; then
    mkdir -p "$docs"
    cp second.png "$docs/scene12.png"
    start_blorp scene7.log --scene 7 --bodies 5 -geometry 400x400+0+0
    sleep 1.5
    shot "$docs/scene7.png"
    # The room seen from above and to the side, then the help over it.
    press g
    for key in Left Left Left Left Left Left Up Up Up Up Next; do xdotool key "$key"; done
    sleep 0.5
    shot "$docs/room.png"
    press q
    wait_exit
    [ "$status" = 0 ] || fail "'q' ended scene 7 with status $status"
    # The help needs a window wide enough for its lines.
    start_blorp help.log --scene 7 --bodies 5 --keep-aspect -geometry 760x560+0+0
    for key in g Left Left Left Up Up h i; do xdotool key "$key"; done
    sleep 1.5
    shot "$docs/help.png"
    press q
    wait_exit
    [ "$status" = 0 ] || fail "'q' ended the help's run with status $status"
    note "screenshots written to $docs"
fi

note "PASS"
