#!/usr/bin/env bash
# The headless run's behaviour around the export, through the real blorp
# executable with no display: the summary alone when standard error is not a
# terminal, the progress bar on a terminal, RIB on standard output with
# "--rib -", outputs that fail, and options that do not go together.
#
# usage: headless_run.sh BLORP RIBCHECK WORKDIR
set -euo pipefail

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
work=$3
mkdir -p "$work"
cd "$work"
rm -rf ./*
unset DISPLAY

fail() {
    echo "headless_run: FAIL: $*" >&2
    exit 1
}
note() { echo "headless_run: $*"; }

body_build() {
    printf '%s\n' "blorp: initialing members..." "blorp: initialize nodes array with actual nodes..." \
        "initializing springs..." "initializing faces..." "blorp has been created"
}

# ---- not a terminal: the world's own messages, then only the summary
status=0
"$blorp" --headless --steps 16 </dev/null >plain.out 2>plain.log || status=$?
[ "$status" = 0 ] || fail "plain run: exit status $status: $(cat plain.log)"
{
    body_build
    echo "about to create the world..."
    body_build
    echo "world has been created..."
} >expected.log
head -n -1 plain.log | diff -u expected.log - || fail "plain run: the log before the summary differs (above)"
summary=$(tail -n1 plain.log)
[[ $summary =~ ^blorp:\ 16\ steps\ of\ scene\ 12\ in\ [0-9]+\.[0-9]{2}\ s\ \([0-9]+\ steps/s\)$ ]] ||
    fail "plain run: summary line: $summary"
if grep -q $'\r' plain.log; then fail "plain run: a progress bar reached a log file"; fi
[ ! -s plain.out ] || fail "plain run wrote to standard output: $(head -c 200 plain.out)"
[ ! -e blorp10.rib ] || fail "a run without --export wrote blorp10.rib"
note "no terminal: $summary"

# ---- a terminal (script gives the run a pseudo-terminal): the bar redraws
# in place, then the summary ends the run on a line of its own
status=0
script -qec "'$blorp' --headless --steps 600 --export --scene 1 --bodies 5 --rib tty.rib" /dev/null \
    </dev/null >tty.typescript || status=$?
[ "$status" = 0 ] || fail "terminal run: exit status $status: $(tail -c 300 tty.typescript)"
tr -d '\n' <tty.typescript | tr '\r' '\n' >tty.lines
bar='^\[[#.]{30}\] +[0-9]+/600 steps  ([0-9.]+|--) steps/s  (.+|--) left *$'
bars=$(grep -c -E "$bar" tty.lines || true)
[ "$bars" -ge 2 ] || fail "terminal run: $bars progress bars drawn, not 2 or more: $(cat -v tty.typescript | tail -c 400)"
grep -q -E '^\[#{30}\]|^\[[#.]{30}\] +[1-9][0-9]*/600 steps  [0-9.]+ steps/s  [0-9.]+ (s|min).* left' tty.lines ||
    fail "terminal run: no bar shows progress with a rate and the time left"
last=$(grep -v -E '^ *$' tty.lines | tail -n1)
[[ $last =~ ^blorp:\ 600\ steps\ of\ scene\ 1\ in\ .*\;\ 75\ frames\ written\ to\ tty\.rib$ ]] ||
    fail "terminal run: the last line is not the summary: $(printf %q "$last")"
# The bar is wiped before the summary, so no bar text is left on its line.
tail -c 400 tty.typescript | grep -q -P '\r +\rblorp: 600 steps' || fail "terminal run: the bar was not cleared before the summary"
"$ribcheck" tty.rib >/dev/null 2>tty.check || fail "terminal run: ribcheck: $(cat tty.check)"
note "terminal: $bars bars, then: $last"

# ---- a terminal narrower than the whole bar: every drawing fits in the
# width, short of its last column, so none wraps onto a new line
status=0
script -qec "stty cols 40; '$blorp' --headless --steps 600 --scene 1 --bodies 5" /dev/null \
    </dev/null >narrow.typescript || status=$?
[ "$status" = 0 ] || fail "narrow terminal: exit status $status: $(tail -c 300 narrow.typescript)"
sed -n '/^world has been created/,$p' narrow.typescript | tail -n +2 | tr -d '\n' | tr '\r' '\n' >narrow.lines
grep -q -E '[0-9]+/600 steps' narrow.lines || fail "narrow terminal: no progress drawn: $(cat -v narrow.lines | head -c 300)"
wide=$(grep -v '^blorp: 600 steps' narrow.lines | awk 'length($0) > 39' | head -n1)
[ -z "$wide" ] || fail "narrow terminal: a drawing of ${#wide} characters in 40 columns: $wide"
note "narrow terminal: $(grep -c . narrow.lines) drawings, none wider than 39"

# ---- "--rib -": the RIB on standard output, the messages on standard error
status=0
"$blorp" --headless --steps 16 --export --rib - </dev/null >stdout.rib 2>stdout.log || status=$?
[ "$status" = 0 ] || fail "--rib -: exit status $status: $(cat stdout.log)"
[ "$(head -n1 stdout.rib)" = "##RenderMan RIB-Structure 1.0" ] || fail "--rib -: standard output holds: $(head -c 100 stdout.rib)"
"$ribcheck" stdout.rib >/dev/null 2>stdout.check || fail "--rib -: ribcheck: $(cat stdout.check)"
grep -q ", 2 frames, 0 problems" stdout.check || fail "--rib -: ribcheck says: $(cat stdout.check)"
[[ $(tail -n1 stdout.log) == *"; 2 frames written to standard output" ]] || fail "--rib -: summary: $(tail -n1 stdout.log)"
if grep -q -a "FrameBegin" stdout.log; then fail "--rib -: RIB reached standard error"; fi
[ ! -e blorp10.rib ] && [ ! -e ./- ] || fail "--rib - wrote a file"
note "--rib -: $(cat stdout.check)"

# ---- "|command": the RIB goes through a pipe
status=0
"$blorp" --headless --steps 9 --export --binary --rib "|cat >piped.rib" </dev/null 2>pipe.log || status=$?
[ "$status" = 0 ] || fail "pipe: exit status $status: $(cat pipe.log)"
"$ribcheck" piped.rib >/dev/null 2>pipe.check || fail "pipe: ribcheck: $(cat pipe.check)"
grep -q ", 2 frames, 0 problems" pipe.check || fail "pipe: ribcheck says: $(cat pipe.check)"

# ---- an output that cannot be finished is a failure, never a success
status=0
"$blorp" --headless --steps 9 --export --rib "|cat >/dev/null; exit 3" </dev/null 2>broken.log || status=$?
[ "$status" = 1 ] || fail "failing renderer: exit status $status, not 1: $(tail -n2 broken.log)"
grep -q "exit status 3" broken.log || fail "failing renderer: not reported: $(tail -n2 broken.log)"
[[ $(tail -n1 broken.log) == *"2 frames written to |cat >/dev/null; exit 3, but the RIB output could not be finished" ]] ||
    fail "failing renderer: summary: $(tail -n1 broken.log)"
status=0
"$blorp" --headless --steps 9 --export --rib no/such/dir/a.rib </dev/null 2>nodir.log || status=$?
[ "$status" = 1 ] || fail "a file that cannot be made: exit status $status, not 1"
[ "$(tail -n1 nodir.log)" = "Error making RIB file: bad filename: no/such/dir/a.rib: No such file or directory" ] ||
    fail "a file that cannot be made: $(tail -n1 nodir.log)"
note "failing outputs: status 1 and $status, reported"

# ---- options that do not go together: one line with the usage, status 2
for bad in "--headless" "--steps 5" "--headless --steps 5 --binary" "--rib x.rib" "--headless --steps 0"; do
    status=0
    # shellcheck disable=SC2086
    "$blorp" $bad </dev/null 2>bad.log || status=$?
    [ "$status" = 2 ] || fail "'$bad': exit status $status, not 2"
    # Only the start-up world's messages come before the one line.
    head -n -1 bad.log | diff -q - <(body_build) >/dev/null || fail "'$bad': more than one line: $(cat bad.log)"
    tail -n1 bad.log | grep -q "^blorp: .*; usage: blorp " || fail "'$bad': $(tail -n1 bad.log)"
done
note "PASS"
