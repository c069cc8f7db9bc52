#!/usr/bin/env bash
# Soak test of the viewer in a real window: blorp --export on a private Xvfb
# server takes a seeded storm of random key presses and mouse-button clicks
# for SECONDS, then 'q'. It must stay alive throughout, end with status 0
# and leave a RIB file that ribcheck passes.
#
# usage: viewer_soak.sh BLORP RIBCHECK WORKDIR SECONDS [SEED]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
work=$3
seconds=$4
RANDOM=${5:-12}
mkdir -p "$work"
cd "$work"
rm -rf ./*

test_name=viewer_soak
source "$here/xvfb_session.sh"

# Every key the viewer knows except 'q', a few it ignores, and upper case.
keys=(w z x c d s a o p n m W Q k 1 space space period r bracketleft bracketright h i t g
      Left Right Up Down Prior Next Home)
(exec "$blorp" --export --scene 7 --bodies 2 -geometry 300x300+0+0 2>blorp.log) &
blorp_pid=$!
wait_for_window blorp.log
xdotool windowfocus --sync "$window"

presses=0
clicks=0
end=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$end" ]; do
    if [ $((RANDOM % 3)) -eq 0 ]; then
        # GLUT's left, middle and right buttons are X buttons 1, 2 and 3;
        # 4 and 5 are the wheel.
        xdotool mousemove --window "$window" $((RANDOM % 300)) $((RANDOM % 300)) click $((RANDOM % 5 + 1))
        clicks=$((clicks + 1))
    elif [ $((RANDOM % 6)) -eq 0 ]; then
        # A Shift or Ctrl drag: an orbit or a grab.
        modifier=$([ $((RANDOM % 2)) -eq 0 ] && echo shift || echo ctrl)
        xdotool mousemove --window "$window" $((RANDOM % 300)) $((RANDOM % 300)) keydown $modifier mousedown 1 \
            mousemove --window "$window" $((RANDOM % 300)) $((RANDOM % 300)) sleep 0.1 mouseup 1 keyup $modifier
        clicks=$((clicks + 1))
    else
        xdotool key "${keys[RANDOM % ${#keys[@]}]}"
        presses=$((presses + 1))
    fi
    kill -0 "$blorp_pid" 2>/dev/null || fail "blorp ended during the storm: $(tail -n5 blorp.log)"
    sleep 0.0$((RANDOM % 5))
done

xdotool key q
wait_exit
[ "$status" = 0 ] || fail "'q' ended blorp with status $status: $(tail -n5 blorp.log)"

# RiEnd writes the last line end; without it the output was cut off.
[ "$(tail -c 10 blorp10.rib | od -An -c | tr -d ' \n')" = 'FrameEnd\n\n' ] ||
    fail "the file does not end with a finished frame: $(tail -c 40 blorp10.rib | od -c | tail -n3)"
"$ribcheck" blorp10.rib >ribcheck.out 2>ribcheck.summary ||
    fail "ribcheck found problems: $(head -n5 ribcheck.out) $(cat ribcheck.summary)"
grep -q ', 0 problems$' ribcheck.summary || fail "ribcheck says: $(cat ribcheck.summary)"
note "$presses key presses and $clicks clicks in ${seconds} s; $(cat ribcheck.summary)"
note "PASS"
