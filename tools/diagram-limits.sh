#!/usr/bin/env bash
# The diagrams at the edges of what they accept: axis ranges tiny and huge, at the domain's edges,
# zoomed on the critical point and on logarithmic axes, many lines and states, and plot sizes
# from the smallest to the largest (through the Python package, the only surface that sets the
# size). Each case runs in its own process under /usr/bin/time -v; the script prints its wall
# time, peak resident memory and exit status (0 drawn, 2 refused with a reason), then the worst
# of each. The aim: every case drawn or refused in under 1 s and 100 MB.
# Usage: tools/diagram-limits.sh <build-dir>
set -euo pipefail
build=${1:?usage: tools/diagram-limits.sh <build-dir>}
calc="$build/cli/zeltra5-calc"
[ -x "$calc" ] || { echo "no $calc" >&2; exit 2; }
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

worst_time=0
worst_rss=0
worst_time_case=
worst_rss_case=
count=0

# Runs one case: a name, then the command. Records the wall time and the peak memory.
measure() {
  local name=$1
  shift
  local rc=0
  /usr/bin/time -v -o "$work/time" "$@" >"$work/out" 2>"$work/err" || rc=$?
  local wall rss
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {
           n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' \
         "$work/time")
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
  local reason=
  if [ "$rc" -ne 0 ]; then
    reason=$(tail -n 1 "$work/err" | head -c 110)
  fi
  # A Python case times its own call (the interpreter's start and imports take longer than it).
  if grep -q '^call ' "$work/out"; then
    wall=$(awk '/^call / {print $2}' "$work/out")
  fi
  printf '%-58s %7.2f s %7.1f MB  exit %d %s\n' "$name" "$wall" "$(echo "$rss" | awk '{print $1 / 1024}')" "$rc" "$reason"
  count=$((count + 1))
  if awk -v a="$wall" -v b="$worst_time" 'BEGIN {exit !(a > b)}'; then
    worst_time=$wall
    worst_time_case=$name
  fi
  if [ "$rss" -gt "$worst_rss" ]; then
    worst_rss=$rss
    worst_rss_case=$name
  fi
}

diagram() {
  local name="diagram $*"
  measure "$name" "$calc" diagram "$@" --out "$work/d.svg"
}

echo "zeltra5-calc diagram at its limits, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
printf '%-58s %9s %10s\n' case wall peak
# Default, zoomed, tiny, huge, at the domain's edges.
for type in ph ts; do
  diagram "$type"
done
for x in 1000:1000.01 1000:1001 1000:1000.0000001 1000:1000.0000000000002 -1e6:1e6 \
         -1e300:1e300 0:1e-300 1e300:1.0000000000000002e300 1250:1260 1268:1268.001 -200:0 \
         2000:3500; do
  diagram ph --x "$x"
done
for y in 1e-300:1e300 1e-6:1e6 0.06417:0.06418 844:845 10:10.000000001 113.2:113.4 \
         113.3:113.34 0.01:0.0642 900:1000; do
  diagram ph --y "$y"
done
diagram ph --x 1268:1268.001 --y 113.3:113.34
diagram ph --x 1200:1300 --y 100:120
diagram ph --x 1000:1001 --y 10:10.000000001
diagram ph --si --x 1e6:1.00001e6 --y 1e5:1.00001e5
for x in 4.35:4.3501 -100:100 0:1e-300 -1e300:1e300; do
  diagram ts --x "$x"
done
for y in -77:-76.999999 449.999:450 132:132.3 -200:500 -1e300:1e300 130:133; do
  diagram ts --y "$y"
done
diagram ts --x 4.3:4.4 --y 130:133
# The most lines (99 of every family) and a cycle, whole and zoomed.
many=(--isotherms -77:450:5.33 --isobars 0.07:800:*1.1 --isentropes -1:12:0.132
      --isenthalps -100:3000:31.5 --isochores 0.01:700:*1.12 --qualities 0:1:0.0102
      --cycle --evaporating -10 --condensing 35 --superheat 5 --efficiency 0.75)
diagram ph "${many[@]}"
diagram ts "${many[@]}"
diagram ph --x 1000:1001 "${many[@]}"
diagram ph --x 1200:1300 --y 100:120 "${many[@]}"
# Refused with a reason.
diagram ph --x 5:5
diagram ph --x -1e308:1e308
diagram ph --y 0:10
diagram ph --isotherms -77:450:1

# Plot sizes, through Python: the time of the call (chart and SVG), the peak of the process with
# the interpreter and numpy (the first line: the import alone).
if PYTHONPATH="$build/python" "$python" -c "import zeltra5" 2>/dev/null; then
  measure "python: import zeltra5 only" env PYTHONPATH="$build/python" "$python" -c \
    "import time; start = time.perf_counter(); import zeltra5; print('call', time.perf_counter() - start)"
  chart() {
    measure "python: chart($1)" env PYTHONPATH="$build/python" "$python" -c "
import time, zeltra5
start = time.perf_counter()
try:
    zeltra5.chart($1).to_svg()
finally:
    print('call', time.perf_counter() - start)"
  }
  for size in "100, 100" "100, 10000" "10000, 100" "1072, 660" "10000, 10000"; do
    read -r w h <<<"${size/,/}"
    chart "'ph', width=$w, height=$h"
    chart "'ts', width=$w, height=$h"
  done
  chart "'ph', width=10000, height=10000, x=(1000, 1000.01)"
  chart "'ph', width=10000, height=10000, font_size=2"
  chart "'ph', width=100, height=100, font_size=200"
  chart "'ph', width=10000, height=10000, isotherms='-77:450:5.33', isentropes='-1:12:0.132', isochores='0.01:700:*1.12', qualities='0:1:0.0102', states=[('p-t', 1 + i * 0.5, 25) for i in range(1000)]"
  # Refused with a reason.
  chart "'ph', width=1e300"
  chart "'ph', width=99"
  chart "'ph', x=(float('nan'), float('nan'))"
else
  echo "(no Python package in $build/python: plot sizes not measured)"
fi

echo
printf 'cases: %d; worst wall time %.2f s (%s); worst peak memory %.1f MB (%s)\n' "$count" \
  "$worst_time" "$worst_time_case" "$(awk -v r="$worst_rss" 'BEGIN {print r / 1024}')" \
  "$worst_rss_case"
