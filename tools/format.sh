#!/usr/bin/env bash
# Formats the tracked C++ and C sources with the project's .clang-format.
#   tools/format.sh           rewrites the files in place
#   tools/format.sh --check   changes nothing; lists the files that would
#                             change and exits 1 when there are any
# Files may be named after the mode to limit it to them.
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
if [ "${1:-}" = --check ]; then
  check=true
  shift
fi
command -v clang-format >/dev/null || { echo "format.sh: clang-format is not installed" >&2; exit 2; }

if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
fi

if ! $check; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi

differing=0
for f in "${files[@]}"; do
  if ! clang-format --style=file "$f" | cmp -s - "$f"; then
    echo "$f"
    differing=$((differing + 1))
  fi
done
[ "$differing" -eq 0 ] || { echo "format.sh: $differing file(s) differ from .clang-format" >&2; exit 1; }
