#!/usr/bin/env bash
# Runs each libFuzzer harness (RenderMan library, scene-file loader) for as long as asked
# (seconds per harness, default 600), one after the other at low priority.
# New inputs grow a scratch corpus beside the build; the committed corpus in
# tests/fuzz/corpus/ is only read. Crashing inputs land in the scratch
# artifacts folder: add each one to tests/fuzz/corpus/<harness>/ once fixed.
#
# The library keeps every interned name for the life of the process, by
# design, so a fuzzing process grows with every input (docs/performance.md
# has the rate); the run is therefore made of sessions of at most five
# minutes each, which share the scratch corpus.
#
# The per-input timeout is generous: on a shared machine a low-priority
# process can stall for seconds, and a real hang still shows as one.
#
#   tools/fuzz.sh [seconds [harness...]]   environment: FUZZ_DIR (scratch folder)
#   harnesses: those listed in tests/fuzz/harnesses.txt (default all of them)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
declare -A corpus_of
listed=()
while read -r harness corpus; do
  corpus_of[$harness]=$corpus
  listed+=("$harness")
done < <(grep -v -e '^#' -e '^[[:space:]]*$' tests/fuzz/harnesses.txt)
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=("${listed[@]}")
session_limit=300
build=build-fuzz
scratch=${FUZZ_DIR:-$build/fuzz-work}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBLORP_FUZZ=ON -DBLORP_BUILD_TESTS=OFF -DBLORP_BUILD_BENCH=OFF -DBLORP_BUILD_APP=OFF >/dev/null
cmake --build "$build" -j 2 --target "${harnesses[@]}"

status=0
for fuzzer in "${harnesses[@]}"; do
  corpus=${corpus_of[$fuzzer]:-}
  [ -n "$corpus" ] || { echo "unknown harness $fuzzer" >&2; exit 2; }
  mkdir -p "$scratch/corpus/$corpus" "$scratch/artifacts"
  left=$seconds
  session=0
  executions=0
  echo "== $fuzzer for ${seconds}s =="
  while [ "$left" -gt 0 ]; do
    now=$(( left < session_limit ? left : session_limit ))
    session=$((session + 1))
    log="$scratch/$fuzzer.$(date +%s).log"
    # -close_fd_mask=3 silences the library's own diagnostics; sanitizer
    # reports still reach the log.
    if ! nice -n 10 "$build/tests/fuzz/$fuzzer" -max_total_time="$now" -timeout=60 \
        -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$scratch/artifacts/$fuzzer-" "${extra[@]}" \
        "$scratch/corpus/$corpus" "tests/fuzz/corpus/$corpus" >"$log" 2>&1; then
      echo "$fuzzer: FAILED, see $log and $scratch/artifacts/" >&2
      status=1
      break
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    executions=$((executions + ${runs:-0}))
    left=$((left - now))
  done
  echo "$fuzzer: $executions executions in $session session(s); last: $(grep -E 'cov:' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*')"
done
exit $status
