#!/usr/bin/env bash
# A body far too stiff for its mass and the time step, run headless with
# --export: a warning when the scene is loaded, then the run stops at the
# step where the body blows up, with status 1, and the RIB holds every whole
# frame before that step and no NaN or infinity.
#
# usage: unstable_body.sh BLORP RIBCHECK WORKDIR
set -euo pipefail

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
work=$3
mkdir -p "$work"
cd "$work"
unset DISPLAY

fail() {
    echo "unstable_body: FAIL: $*" >&2
    exit 1
}

cat >stiff.toml <<'SCENE'
active-bodies = 3

[[body]]
cells = [3, 2, 2]
centred = true
spacing = 1.0
stiffness = 700.0
damping = 0.01
mass = 0.3

[[body]]
cells = [3, 3, 3]
corner = [-0.6, 1.0, -0.6]
spacing = 0.4
stiffness = 600.0
damping = 0.01
mass = 0.5

[[body]]
cells = [3, 3, 3]
corner = [1.0, 2.0, -0.6]
spacing = 0.4
stiffness = 1e6
damping = 0.01
mass = 0.3
SCENE

rm -f stiff.rib
status=0
"$blorp" --headless --steps 400 --export --rib stiff.rib --scene-file stiff.toml 2>stiff.log || status=$?
[ "$status" = 1 ] || fail "status $status, not 1; log: $(tail -n3 stiff.log)"

warning='blorp: warning: body 2 will not hold together: stiffness 1e+06 is too stiff for mass 0.3 at time step 0.005 (the largest stable time step for it is 0.000186045)'
grep -x -F -e "$warning" stiff.log >/dev/null || fail "no load warning; log: $(cat stiff.log)"
[ "$(grep -c 'warning' stiff.log)" = 1 ] || fail "warnings about the stable bodies too: $(grep warning stiff.log)"

stop=$(tail -n1 stiff.log)
pattern='^blorp: body 2 went unstable at step ([0-9]+) \(t = ([0-9]+\.[0-9]{2}) s\): stiffness 1e\+06 is too stiff for mass 0\.3 at time step 0\.005; it needs a time step below 0\.000186045, a lower stiffness or a larger mass$'
[[ $stop =~ $pattern ]] || fail "last line: $stop"
step=${BASH_REMATCH[1]}
seconds=${BASH_REMATCH[2]}
[ "$seconds" = "$(awk -v s="$step" 'BEGIN { printf "%.2f", s * 0.005 }')" ] || fail "t = $seconds for step $step"
grep -q 'steps of' stiff.log && fail "the run went on to its summary"

# Frames are written at steps 1, 9, 17, ... up to the last step before the
# bad one.
frames=$(((step - 2) / 8 + 1))
"$ribcheck" stiff.rib >stiff.check 2>stiff.summary || fail "ribcheck: $(head -n5 stiff.check)"
grep -q ", $frames frames, 0 problems\$" stiff.summary || fail "expected $frames frames: $(cat stiff.summary)"
if grep -q -i -w -E 'nan|inf' stiff.rib; then fail "the RIB holds a NaN or infinity"; fi
echo "unstable_body: stopped at step $step (t = $seconds s) after $frames frames; PASS"
