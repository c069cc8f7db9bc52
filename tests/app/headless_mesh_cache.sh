#!/usr/bin/env bash
# The mesh cache of a headless run beside its binary RIB export: 50 OBJ
# frames and 5 point caches for 400 steps of scene 7 with its 5 bodies, each
# checked by meshcache_check against the RIB; then a run stopped by SIGTERM
# and one whose cache directory cannot be written.
#
# usage: headless_mesh_cache.sh BLORP MESHCACHE_CHECK WORKDIR
set -euo pipefail

blorp=$(realpath "$1")
check=$(realpath "$2")
work=$3
mkdir -p "$work"
cd "$work"
rm -rf ./*
unset DISPLAY

fail() {
    echo "headless_mesh_cache: FAIL: $*" >&2
    exit 1
}

# ---- a whole run
status=0
"$blorp" --headless --scene 7 --bodies 5 --steps 400 --mesh-cache out --export --binary --rib run.rib \
    </dev/null 2>run.log || status=$?
[ "$status" = 0 ] || fail "exit status $status: $(tail -n3 run.log)"
summary=$(tail -n1 run.log)
[[ $summary == *"; 50 frames written to run.rib; 50 mesh cache frames in out" ]] || fail "summary: $summary"
objs=$(find out -name 'blorp.*.obj' | wc -l)
caches=$(find out -name 'body-*.pc2' | wc -l)
[ "$objs" = 50 ] || fail "$objs OBJ frames, not 50"
[ "$caches" = 5 ] || fail "$caches point caches, not 5"
[ -z "$(find out -name '.*')" ] || fail "files left aside: $(find out -name '.*')"
"$check" out run.rib 5 50 >check.log || fail "$(cat check.log)"
echo "headless_mesh_cache: $(tail -n1 check.log)"

# The cache alone, without --export, is the same files.
"$blorp" --headless --scene 7 --bodies 5 --steps 400 --mesh-cache alone </dev/null 2>alone.log ||
    fail "without --export: $(tail -n3 alone.log)"
diff -r out alone >/dev/null || fail "the cache differs without --export"

# ---- SIGTERM in the middle of a long run: whole files, headers that count
# what is there. The run is long enough that the signal comes first.
"$blorp" --headless --scene 7 --bodies 5 --steps 2000000 --mesh-cache stopped </dev/null 2>stopped.log &
pid=$!
for _ in $(seq 400); do
    [ -e stopped/blorp.0020.obj ] && break
    kill -0 "$pid" 2>/dev/null || fail "the long run ended early: $(tail -n3 stopped.log)"
    sleep 0.05
done
[ -e stopped/blorp.0020.obj ] || fail "no 20 frames within 20 s"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" = 143 ] || fail "SIGTERM: exit status $status: $(tail -n3 stopped.log)"
frames=$(find stopped -name 'blorp.*.obj' | wc -l)
# Every point cache's header must count exactly the samples its file holds.
for pc2 in stopped/body-*.pc2; do
    read -r points samples < <(od -An -t d4 -j 16 -N 16 "$pc2" | awk '{ print $1, $4 }')
    size=$(stat -c %s "$pc2")
    [ "$size" = $((32 + samples * points * 12)) ] || fail "$pc2: $size bytes for $samples samples of $points points"
    [ "$samples" = "$frames" ] || fail "$pc2: $samples samples for $frames OBJ frames"
done
[ -z "$(find stopped -name '.*')" ] || fail "SIGTERM left a file aside: $(find stopped -name '.*')"
[[ $(tail -n1 stopped.log) == "blorp: stopped by SIGTERM after "*" steps; $frames mesh cache frames in stopped" ]] ||
    fail "SIGTERM: $(tail -n1 stopped.log)"
echo "headless_mesh_cache: SIGTERM after $frames frames: $(tail -n1 stopped.log)"

# ---- a cache directory taken away in the middle of a run: the run stops
# after that step with status 1 and one line naming the file and the reason.
"$blorp" --headless --scene 12 --steps 2000000 --mesh-cache vanishing </dev/null 2>vanishing.log &
pid=$!
for _ in $(seq 400); do
    [ -e vanishing/blorp.0005.obj ] && break
    kill -0 "$pid" 2>/dev/null || fail "the vanishing run ended early: $(tail -n3 vanishing.log)"
    sleep 0.05
done
# A file may be made while the directory is emptied; then it goes again.
for _ in $(seq 100); do
    rm -rf vanishing 2>/dev/null && [ ! -e vanishing ] && break
done
status=0
wait "$pid" || status=$?
[ "$status" = 1 ] || fail "a vanished cache: exit status $status: $(tail -n3 vanishing.log)"
last=$(tail -n1 vanishing.log)
pattern="^blorp: stopped after [0-9]+ steps: the mesh cache in vanishing failed: cannot write vanishing/(blorp\.[0-9]{4}\.obj|body-1\.(obj|pc2)): No such file or directory\$"
[[ $last =~ $pattern ]] || fail "a vanished cache: $last"
echo "headless_mesh_cache: vanished: $last"

# ---- a cache that cannot be written: a device that is full, and a
# directory that cannot be made
status=0
"$blorp" --headless --scene 12 --steps 100 --mesh-cache /dev/full </dev/null 2>notdir.log || status=$?
[ "$status" = 1 ] || fail "/dev/full: exit status $status"
grep -q '^blorp: cannot write into /dev/full: Not a directory$' notdir.log || fail "/dev/full: $(cat notdir.log)"
status=0
"$blorp" --headless --scene 12 --steps 100 --mesh-cache missing/deeper </dev/null 2>missing.log || status=$?
[ "$status" = 1 ] || fail "missing/deeper: exit status $status"
grep -q '^blorp: cannot make the directory missing/deeper: No such file or directory$' missing.log ||
    fail "missing/deeper: $(cat missing.log)"
echo "headless_mesh_cache: PASS"
