#!/usr/bin/env bash
# End-to-end test of the viewer in a real window: starts blorp on a private
# Xvfb server (Mesa's software OpenGL), finds the "Blorp Madness" window,
# reads its pixels from screenshots, drives it with xdotool and checks the
# exit status and the whole standard-error log.
#
# usage: viewer_e2e.sh BLORP WORKDIR [DOCSDIR]
#   WORKDIR receives the screenshots and logs of the run.
#   DOCSDIR, when given, receives scene12.png and scene7.png for the README.
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

# start_blorp LOG ARGS...: starts blorp and waits for its window.
start_blorp() {
    local log=$1
    shift
    "$blorp" "$@" 2>"$log" &
    blorp_pid=$!
    wait_for_window "$log"
}

shot() { import -window "$window" "$1"; }

# pixels FILE KIND: "count meanX meanY" of the pixels of that kind.
#   red:   the scene-12 body (glass, colour 0.8, 0.2, 0.2)
#   green: the spheres (material 0, 0.9, 0)
#   grey:  spring lines (white material)
pixels() {
    convert "$1" txt:- | awk -F'[(),: ]+' -v kind="$2" '
        NR > 1 {
            x = $1; y = $2; r = $3; g = $4; b = $5
            if (kind == "red") hit = r > 100 && r > 2 * g && r > 2 * b
            else if (kind == "green") hit = g > 100 && g > 2 * r && g > 2 * b
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

body_build() {
    printf '%s\n' "blorp: initialing members..." "blorp: initialize nodes array with actual nodes..." \
        "initializing springs..." "initializing faces..." "blorp has been created"
}

# ---- scene 12: the falling block, with a GLUT option on the command line
start_blorp scene12.log -geometry 400x400+0+0
size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$size" = 400x400 ] || fail "-geometry 400x400 did not reach GLUT: window is $size"

# The window may show before its first frame is drawn.
n1=0
for _ in $(seq 50); do
    shot first.png
    read -r n1 x1 y1 <<<"$(pixels first.png red)"
    [ "$n1" -ge 500 ] && break
    sleep 0.1
done
sleep 0.6
shot second.png
read -r n2 x2 y2 <<<"$(pixels second.png red)"
note "body pixels: $n1 around ($x1, $y1), then $n2 around ($x2, $y2)"
[ "$n1" -ge 500 ] && [ "$n2" -ge 500 ] || fail "the red body is not on screen ($n1, $n2 pixels)"
changed=$(compare -metric AE first.png second.png null: 2>&1 || true)
note "pixels changed between the two screenshots: $changed"
[ "${changed%%.*}" -ge 30 ] || fail "the body did not move between the screenshots ($changed pixels changed)"

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
    press q
    wait_exit
    [ "$status" = 0 ] || fail "'q' ended scene 7 with status $status"
    note "screenshots written to $docs"
fi

note "PASS"
