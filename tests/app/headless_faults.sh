#!/usr/bin/env bash
# Long headless exports that meet a fault, through the real blorp executable
# with no display: an output that fails stops the run at once with one line
# and status 1, as does one that cannot be opened; SIGINT and SIGTERM at random moments stop it after a whole
# frame, with status 130 or 143, a line with the steps and frames done, and a
# file that ribcheck passes. The step counts are only upper bounds: every run
# ends long before them.
#
# usage: headless_faults.sh BLORP RIBCHECK WORKDIR [SEED]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

blorp=$(realpath "$1")
ribcheck=$(realpath "$2")
work=$3
RANDOM=${4:-15}
mkdir -p "$work"
cd "$work"
rm -rf ./*
unset DISPLAY

fail() {
    echo "headless_faults: FAIL: $*" >&2
    exit 1
}
note() { echo "headless_faults: $*"; }

steps=400000
run=(--headless --steps $steps --export --scene 7 --bodies 5)

source "$here/stopped_run.sh"

pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true' EXIT

# wait_for_end LOG: waits up to 60 s for blorp ($pid) to end; its exit status
# goes to $status.
wait_for_end() {
    for _ in $(seq 1200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$pid" 2>/dev/null && fail "blorp still running 60 s later: $(tail -n2 "$1")"
    status=0
    wait "$pid" || status=$?
    pid=
}

# ---- outputs that fail: the run stops at once, naming the output and why
check_failed_output() {
    local target=$1 reason=$2 log=failed-$3.log
    local started ended
    started=$(date +%s%N)
    status=0
    "$blorp" "${run[@]}" --rib "$target" </dev/null 2>"$log" || status=$?
    ended=$(date +%s%N)
    [ "$status" = 1 ] || fail "$target: exit status $status, not 1: $(tail -n2 "$log")"
    check_failed_line "$log" "$target" "$reason"
    [ "$stopped_steps" -lt $steps ] || fail "$target: ran to the end"
    note "$target: $(own_lines "$log" | tail -n1) ($(((ended - started) / 1000000)) ms)"
}
gone="Broken pipe (the command is no longer reading)"
check_failed_output "|exit 0" "$gone" exit
check_failed_output "|no-such-renderer-blorp" "$gone" missing
# A renderer that reads some frames and then ends.
check_failed_output "|head -c 300000 >/dev/null" "$gone" head
check_failed_output /dev/full "No space left on device" full
# Standard output into a pipe whose reader ends: reported, not a silent
# death by SIGPIPE.
status=0
"$blorp" "${run[@]}" --rib - </dev/null 2>failed-stdout.log | head -c 100000 >/dev/null || status=${PIPESTATUS[0]}
[ "$status" = 1 ] || fail "standard output: exit status $status, not 1: $(tail -n2 failed-stdout.log)"
check_failed_line failed-stdout.log "standard output" "Broken pipe"
note "standard output into head -c 100000: $(own_lines failed-stdout.log)"

# ---- outputs that cannot be opened: status 1 and the library's one line,
# with a reason of its own for each
# cannot_open TARGET LINE [COMMAND...]: runs blorp with --rib TARGET, through
# COMMAND if given.
cannot_open() {
    local target=$1 line=$2
    shift 2
    status=0
    "$@" "$blorp" "${run[@]}" --rib "$target" </dev/null 2>unopened.log || status=$?
    [ "$status" = 1 ] || fail "$target: exit status $status, not 1: $(tail -n2 unopened.log)"
    [ "$(own_lines unopened.log)" = "$line" ] || fail "$target: $(own_lines unopened.log)"
    note "$target: $line"
}
made="Error making RIB file: bad filename"
cannot_open /nonexistent-blorp-dir/x.rib "$made: /nonexistent-blorp-dir/x.rib: No such file or directory"
cannot_open . "$made: .: Is a directory"
mkdir -p read-only
chmod 555 read-only
if [ "$(id -u)" != 0 ]; then
    cannot_open read-only/x.rib "$made: read-only/x.rib: Permission denied"
elif command -v setpriv >/dev/null; then
    # The superuser writes anywhere: the run is made as nobody instead.
    cannot_open read-only/x.rib "$made: read-only/x.rib: Permission denied" \
        setpriv --reuid=65534 --regid=65534 --clear-groups
else
    note "read-only directory: not tried (run as the superuser, without setpriv)"
fi
# With no descriptors to spare the pipe cannot be made; the command never
# starts.
no_spare_descriptors() { (exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&- && ulimit -n 4 && exec "$@"); }
# Not grep -q: it would leave at the first match, ldd could then die of
# SIGPIPE, and under pipefail the test would read that as no sanitizer.
if ldd "$blorp" | grep -E 'lib(a|ub)san' >/dev/null; then
    # The sanitizers' run-time opens files of its own as it checks.
    note "a pipe without descriptors: not tried in a sanitizer build"
else
    cannot_open "|cat >/dev/null" "Error opening pipe to cat >/dev/null: Too many open files" no_spare_descriptors
fi

# ---- SIGINT and SIGTERM at random moments of a long export
# stop_at_random SIGNAL STATUS TARGET FILE: starts the export into TARGET,
# waits until FILE (where TARGET's bytes land) has grown past a random size,
# then after a random pause sends SIGNAL. The run must end with STATUS, say
# how far it got, and leave FILE with whole frames only.
stop_at_random() {
    local signal=$1 expected=$2 target=$3 rib=$4 log=$4.log
    rm -f "$rib" "$log"
    "$blorp" "${run[@]}" --rib "$target" </dev/null 2>"$log" &
    pid=$!
    # The writer passes on 128 KiB at a time; somewhere in its first 3 MB.
    local size=$(((RANDOM % 24 + 1) * 128 * 1024))
    for _ in $(seq 1200); do
        [ -e "$rib" ] && [ "$(stat -c %s "$rib")" -ge "$size" ] && break
        kill -0 "$pid" 2>/dev/null || fail "$target: blorp ended before the signal: $(tail -n2 "$log")"
        sleep 0.05
    done
    [ "$(stat -c %s "$rib")" -ge "$size" ] || fail "$target: $rib did not reach $size bytes within 60 s"
    sleep "0.$((RANDOM % 300))"
    kill -"$signal" "$pid"
    wait_for_end "$log"
    [ "$status" = "$expected" ] || fail "$signal: exit status $status, not $expected: $(tail -n2 "$log")"
    check_stopped_by "$signal" "$log" "$target" "$rib"
    note "$signal after ${size} bytes: $said; $(cat "$rib.summary")"
}
for round in 1 2; do
    stop_at_random INT 130 "int-$round.rib" "int-$round.rib"
    stop_at_random TERM 143 "term-$round.rib" "term-$round.rib"
done
# Through a pipe: the signal goes to blorp alone, as a batch system's does,
# and the command still gets every frame.
stop_at_random TERM 143 "|cat >piped.rib" piped.rib

note "PASS"
