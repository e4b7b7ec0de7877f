#!/usr/bin/env bash
# Instructions per call of benchmark cases, counted by callgrind: each case runs 200 and 1200
# times and the difference is divided by 1000, so set-up and start-up cancel out.
# Usage: tools/callgrind-case.sh <build-dir> [case ...]   (default: every case)
set -euo pipefail
build=${1:?usage: tools/callgrind-case.sh <build-dir> [case ...]}
shift
bench="$build/bench/zeltra5-bench"
[ -x "$bench" ] || { echo "no $bench: configure with -DZELTRA5_BUILD_BENCHMARKS=ON" >&2; exit 2; }
if [ $# -eq 0 ]; then mapfile -t cases < <("$bench" --list); else cases=("$@"); fi

count() {
  local out
  out=$(mktemp)
  valgrind --tool=callgrind --callgrind-out-file="$out" "$bench" --case="$1" --calls="$2" \
    2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
  rm -f "$out"
}
printf '%-32s %s\n' case instructions/call
for c in "${cases[@]}"; do
  a=$(count "$c" 200)
  b=$(count "$c" 1200)
  printf '%-32s %d\n' "$c" $(((b - a) / 1000))
done
