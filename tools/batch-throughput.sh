#!/usr/bin/env bash
# Batch throughput of zeltra5-calc: a million (p, T) lines (SI, across the whole domain: liquid,
# vapour and supercritical states) through `--batch --units si-celsius` on one thread and on two, with the wall
# time and the peak resident memory of each run, and the instructions per line counted by
# callgrind (the figure that a busy machine does not move).
# Usage: tools/batch-throughput.sh <build-dir> [lines]   (default 1000000)
set -euo pipefail
build=${1:?usage: tools/batch-throughput.sh <build-dir> [lines]}
lines=${2:-1000000}
calc="$build/cli/zeltra5-calc"
[ -x "$calc" ] || { echo "no $calc" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# p log-spaced from 0.1 to 800 bar, T from -75 to 445 degC, interleaved so that every block of
# lines mixes the phases.
requests() {
  awk -v n="$1" 'BEGIN {
    for (i = 0; i < n; i++) {
      p = 1e4 * exp(log(8e7 / 1e4) * ((i * 7919) % 1000) / 999);
      t = -75 + 520 * ((i * 104729) % 997) / 996;
      printf "3,0,%.6g,%.6g\n", p, t;
    }
  }'
}
requests "$lines" >"$work/in.csv"

echo "zeltra5-calc --batch --units si-celsius, $lines (p, T) lines, $(nproc) cores"
printf '%-10s %12s %14s %12s\n' threads wall/s lines/s peak/MB
for threads in 1 2; do
  /usr/bin/time -f '%e %M' -o "$work/time" \
    "$calc" --batch --units si-celsius --threads "$threads" <"$work/in.csv" >"$work/out.csv"
  read -r wall peak_kb <"$work/time"
  awk -v t="$threads" -v w="$wall" -v n="$lines" -v m="$peak_kb" \
    'BEGIN { printf "%-10s %12.2f %14.0f %12.1f\n", t, w, n / w, m / 1024 }'
done
[ "$(wc -l <"$work/out.csv")" -eq $((lines + 2)) ] || { echo "wrong number of lines" >&2; exit 1; }

if command -v valgrind >/dev/null 2>&1; then
  count() {
    requests "$1" >"$work/small.csv"
    valgrind --tool=callgrind --callgrind-out-file="$work/cg" "$calc" --batch --units si-celsius \
      <"$work/small.csv" 2>&1 >/dev/null | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
  }
  a=$(count 2000)
  b=$(count 12000)
  echo "instructions per line (callgrind, one thread): $(((b - a) / 10000))"
fi
