# What a run stopped early must leave behind, shared by the headless and the
# viewer's scripts; sourced, not run. Uses the caller's fail and $ribcheck.

# own_lines LOG: the lines blorp wrote after the world's own build messages.
own_lines() { sed -n '/^world has been created\.\.\.$/,$p' "$1" | tail -n +2; }

# check_failed_line LOG TARGET REASON: LOG ends with the one line of a run
# stopped by a failed output; the steps it names go to $stopped_steps.
check_failed_line() {
    local said
    said=$(own_lines "$1" | grep -v '^sh: ' || true)
    [[ $said =~ ^blorp:\ stopped\ after\ ([0-9]+)\ steps?:\ (.*)$ ]] &&
        [ "${BASH_REMATCH[2]}" = "the RIB output to $2 failed: $3" ] ||
        fail "$2: not one line naming the output and the reason: $said"
    stopped_steps=${BASH_REMATCH[1]}
}

# check_stopped_by SIGNAL LOG TARGET RIB: LOG ends with the one line of a run
# stopped by SIGNAL (INT, TERM) with its steps and the frames written to
# TARGET, and RIB, where they went, holds exactly those frames, whole, and
# passes ribcheck. The line goes to $said.
check_stopped_by() {
    local signal=$1 log=$2 target=$3 rib=$4
    said=$(own_lines "$log")
    [[ $said =~ ^blorp:\ stopped\ by\ SIG$signal\ after\ ([0-9]+)\ steps?\;\ ([0-9]+)\ frames\ written\ to\ (.*)$ ]] ||
        fail "$signal: not one line with the steps and frames: $said"
    local steps=${BASH_REMATCH[1]} frames=${BASH_REMATCH[2]}
    [ "${BASH_REMATCH[3]}" = "$target" ] || fail "$signal: the line names ${BASH_REMATCH[3]}, not $target"
    # The first step writes a frame, then every eighth.
    [ "$frames" = $(((steps + 7) / 8)) ] || fail "$signal: $frames frames for $steps steps"
    local check=0
    "$ribcheck" "$rib" >"$rib.check" 2>"$rib.summary" || check=$?
    [ "$check" = 0 ] || fail "$signal: ribcheck: $(grep -v ': note: ' "$rib.check" | head -n3) $(cat "$rib.summary")"
    grep -q ", $frames frames, 0 problems\$" "$rib.summary" ||
        fail "$signal: the line says $frames frames, ribcheck: $(cat "$rib.summary")"
    [ "$(tail -c 10 "$rib" | od -An -c | tr -d ' \n')" = 'FrameEnd\n\n' ] ||
        fail "$signal: $rib does not end with a whole frame: $(tail -c 40 "$rib" | od -c | tail -n3)"
}
