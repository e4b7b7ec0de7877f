#!/usr/bin/env bash
# Instructions per call of benchmark cases, counted by callgrind: each case runs 200 and 1200
# times and the difference is divided by 1000, so set-up and start-up cancel out.
# Usage: tools/callgrind-case.sh <build-dir> [case ...]   (default: every case)
# CALLS="2 12" for the slow cases (tables/ph_diagram): other call counts, same difference.
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
read -r calls_a calls_b <<< "${CALLS:-200 1200}"
for c in "${cases[@]}"; do
  a=$(count "$c" "$calls_a")
  b=$(count "$c" "$calls_b")
  printf '%-32s %d\n' "$c" $(((b - a) / (calls_b - calls_a)))
done
