#!/usr/bin/env bash
# Scene files through the real blorp executable, with no display.
#
# usage: scene_files.sh BLORP RIBCHECK SCENES WORKDIR SCENE
#   SCENE 0-12: --write-scene SCENE gives the shipped SCENES/NN.toml byte for
#   byte, and --scene-file of it exports the same RIB, text and binary, as
#   --scene SCENE, all bodies active.
#   SCENE "errors": files with mistakes start nothing, create no output and
#   end with status 2 after one FILE:LINE:COLUMN line per problem.
set -euo pipefail

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
scenes=$(realpath "$3")
work=$4
scene=$5
mkdir -p "$work"
cd "$work"
unset DISPLAY

fail() {
    echo "scene_files $scene: FAIL: $*" >&2
    exit 1
}

if [ "$scene" != errors ]; then
    shipped=$(printf '%s/%02d.toml' "$scenes" "$scene")
    written=written$scene.toml
    rm -f "$written"
    "$blorp" --write-scene "$scene" "$written" 2>/dev/null || fail "--write-scene $scene failed"
    cmp "$shipped" "$written" || fail "--write-scene $scene differs from $shipped"
    for mode in text binary; do
        flags=(--headless --steps 240 --export --bodies 5)
        [ "$mode" = binary ] && flags+=(--binary)
        rm -f "catalogue$scene-$mode.rib" "file$scene-$mode.rib"
        "$blorp" "${flags[@]}" --scene "$scene" --rib "catalogue$scene-$mode.rib" 2>"catalogue$scene-$mode.log" ||
            fail "$mode: --scene $scene: $(tail -n2 "catalogue$scene-$mode.log")"
        "$blorp" "${flags[@]}" --scene-file "$shipped" --rib "file$scene-$mode.rib" 2>"file$scene-$mode.log" ||
            fail "$mode: --scene-file: $(tail -n2 "file$scene-$mode.log")"
        cmp "catalogue$scene-$mode.rib" "file$scene-$mode.rib" || fail "$mode: the RIB of the file differs"
        "$ribcheck" "file$scene-$mode.rib" >/dev/null 2>&1 || fail "$mode: ribcheck rejects the RIB"
        # The same construction messages, in the same order, before the summary.
        diff <(head -n -1 "catalogue$scene-$mode.log") <(head -n -1 "file$scene-$mode.log") >/dev/null ||
            fail "$mode: the construction log differs"
    done
    echo "scene_files $scene: PASS"
    exit 0
fi

# check NAME EXPECTED-LINES...: the file NAME.toml (already written) makes
# blorp print exactly EXPECTED-LINES and end with status 2, creating no RIB.
check() {
    local name=$1
    shift
    rm -f "$name.rib"
    local status=0
    "$blorp" --headless --steps 10 --export --rib "$name.rib" --scene-file "$name.toml" >"$name.out" \
        2>"$name.log" || status=$?
    [ "$status" = 2 ] || fail "$name: status $status, not 2; log: $(cat "$name.log")"
    [ ! -e "$name.rib" ] || fail "$name: an output file was created"
    [ ! -s "$name.out" ] || fail "$name: wrote to standard output"
    # The global world's build before main logs its body, as in every run.
    grep -v -x -e 'blorp: initialing members...' -e 'blorp: initialize nodes array with actual nodes...' \
        -e 'initializing springs...' -e 'initializing faces...' -e 'blorp has been created' "$name.log" >"$name.problems" ||
        true
    printf '%s\n' "$@" | diff - "$name.problems" || fail "$name: the messages differ (above)"
}

printf '[[body]]\ncells = [2, 2, 2]\ncentred = true\nspacing = 0.0\nstiffness = 600.0\ndamping = 0.01\nmass = 0.5\n' \
    >spacing.toml
check spacing "spacing.toml:4:11: 'spacing' must be a positive number, not 0.0"

printf 'time-step = 0\n\n[[object]]\nkind = "sphere"\ncentre = [0.0, 1.0]\nradius = 1.0\n\n[[body]]\ncells = [2, 2, 2]\n' \
    >three.toml
printf 'corner = [0.0, 0.0, 0.0]\nspacing = 0.4\nstiffness = 600.0\ndamping = -1\nmass = 0.5\n' >>three.toml
check three "three.toml:1:13: 'time-step' must be a positive number, not 0.0" \
    "three.toml:5:10: 'centre' must be an array of 3 numbers, not of 2" \
    "three.toml:13:11: 'damping' must be 0 or more, not -1.0"

printf 'cells = [1, 2' >broken.toml
check broken "broken.toml:1:14: not TOML: Error while parsing array: encountered end-of-file"

rm -f missing.toml
check missing "missing.toml:1:1: cannot read the file (No such file or directory)"

# The viewer refuses the same way, before it opens any window.
status=0
"$blorp" --scene-file three.toml 2>viewer.log || status=$?
[ "$status" = 2 ] || fail "the viewer ended with status $status, not 2"
[ "$(grep -c '^three.toml:' viewer.log)" = 3 ] || fail "the viewer said: $(cat viewer.log)"
echo "scene_files errors: PASS"
