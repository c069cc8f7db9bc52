#!/usr/bin/env bash
# Headless export of one scene with all its bodies active, 400 steps (50
# frames), once with text and once with binary floats, through the real
# blorp executable with no display at all; every file must pass ribcheck.
#
# usage: headless_export.sh BLORP RIBCHECK WORKDIR SCENE
set -euo pipefail

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
work=$3
scene=$4
mkdir -p "$work"
cd "$work"

# Without a display any GLUT or OpenGL call would fail: headless needs none.
unset DISPLAY

fail() {
    echo "headless_export scene $scene: FAIL: $*" >&2
    exit 1
}

steps=400
frames=50
for mode in text binary; do
    rib=scene$scene-$mode.rib
    rm -f "$rib" "$rib.log"
    flags=()
    [ "$mode" = binary ] && flags+=(--binary)
    status=0
    # All of a scene's bodies: no scene prepares more than 5.
    "$blorp" --headless --steps $steps --export --scene "$scene" --bodies 5 --rib "$rib" "${flags[@]}" \
        </dev/null 2>"$rib.log" || status=$?
    [ "$status" = 0 ] || fail "$mode: exit status $status; log: $(tail -n3 "$rib.log")"
    summary=$(tail -n1 "$rib.log")
    pattern="^blorp: $steps steps of scene $scene in [0-9]+\.[0-9]{2} s \([0-9]+ steps/s\); $frames frames written to $rib\$"
    [[ $summary =~ $pattern ]] || fail "$mode: summary line: $summary"

    # With no option at all: no problem and not even a note.
    check=0
    "$ribcheck" "$rib" >"$rib.check" 2>"$rib.summary" || check=$?
    [ "$check" = 0 ] || fail "$mode: ribcheck found problems: $(head -n5 "$rib.check")"
    [ ! -s "$rib.check" ] || fail "$mode: ribcheck notes: $(head -n5 "$rib.check")"
    grep -q ", $frames frames, 0 problems\$" "$rib.summary" || fail "$mode: ribcheck says: $(cat "$rib.summary")"

    # Every frame has point arrays (the room), so binary mode must show
    # binary-encoded floats and text mode none.
    if LC_ALL=C grep -q -P '[\x80-\xff]' "$rib"; then encoded=binary; else encoded=text; fi
    [ "$encoded" = "$mode" ] || fail "$mode: the file has $encoded floats"
    echo "headless_export scene $scene: $mode: $summary; $(cat "$rib.summary")"
done
echo "headless_export scene $scene: PASS"
