# Shared by the viewer's end-to-end scripts; sourced, not run. Set test_name
# first. Defines fail and note, starts a private Xvfb server and exports
# DISPLAY, and offers wait_for_window for the blorp started as $blorp_pid.
# The server and blorp are killed when the script exits. Each server gets a
# display number of its own, so parallel runs never meet, and -noreset keeps
# it from restarting (and refusing connections) whenever its last client leaves.

# In a sanitizer build, address errors still end the run, but leak checking
# is off for the real viewer: Mesa's driver leaves allocations behind in a
# library it unloads before the leak checker runs, so they cannot be told
# apart by name. The unit tests of the quit path check blorp's own memory.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
export LIBGL_ALWAYS_SOFTWARE=1

fail() {
    echo "$test_name: FAIL: $*" >&2
    exit 1
}
note() { echo "$test_name: $*"; }

# require_tools TOOL...: fails naming the first one that is missing.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is missing (tools/setup.sh installs it)"
    done
}
require_tools Xvfb xdotool xwininfo

xvfb_pid=
blorp_pid=
cleanup() {
    [ -n "$blorp_pid" ] && kill "$blorp_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>display.txt 2>xvfb.log &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s display.txt ] && break
    sleep 0.05
done
[ -s display.txt ] || fail "Xvfb did not start: $(cat xvfb.log)"
export DISPLAY=":$(head -n1 display.txt)"
note "Xvfb on $DISPLAY"

window=
# wait_for_window LOG: waits until blorp ($blorp_pid) shows its window and
# sets $window; fails with blorp's LOG if it ends first. The window is
# named before it is mapped, and focusing a window that is not yet viewable
# fails with BadMatch, so it also waits for the map (read whole: grep -q
# could stop xwininfo with SIGPIPE, a failure under pipefail).
wait_for_window() {
    local log=$1
    window=
    for _ in $(seq 200); do
        [ -z "$window" ] && window=$(xdotool search --name '^Blorp Madness$' 2>/dev/null | head -n1 || true)
        if [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep 'Map State: IsViewable' >/dev/null; then
            return 0
        fi
        kill -0 "$blorp_pid" 2>/dev/null || fail "blorp ended before opening its window: $(cat "$log")"
        sleep 0.05
    done
    fail "no viewable \"Blorp Madness\" window within 10 s"
}

status=
# wait_exit [WHAT]: waits up to 10 s for blorp to end after WHAT (default
# 'q'); its exit status goes to $status.
wait_exit() {
    for _ in $(seq 200); do
        kill -0 "$blorp_pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$blorp_pid" 2>/dev/null && fail "blorp still running 10 s after ${1:-'q'}"
    status=0
    wait "$blorp_pid" || status=$?
    blorp_pid=
}

# start_blorp LOG ARGS...: starts $blorp with ARGS, its standard error in LOG,
# and waits for its window. Scripts that start blorp another way define their own.
start_blorp() {
    local log=$1
    shift
    "$blorp" "$@" 2>"$log" &
    blorp_pid=$!
    wait_for_window "$log"
}

# shot FILE: the window's picture.
shot() { import -window "$window" "$1"; }
