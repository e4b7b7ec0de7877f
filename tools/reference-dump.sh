#!/usr/bin/env bash
# Prints the results of a large grid of requests through the command-line tool: every pair and
# side over the whole domain (tools/grid-requests.py, in SI, shortest round-trip digits), the
# tables, cycles and diagrams in JSON. Two builds that give the same dump give the same results
# bit for bit: take one before and one after a reorganisation and compare them.
# Usage: tools/reference-dump.sh ZELTRA5_CALC [scale] > dump.txt
set -euo pipefail
calc=$1
scale=${2:-1}
here=$(dirname "$0")
/usr/bin/python3 "$here/grid-requests.py" "$scale" | "$calc" --batch --units si-celsius --threads 2
for reference in default iir ashrae nbp; do
  "$calc" --batch --units si-celsius --reference "$reference" <<'REQ'
mode,side,first_value,second_value
0,0,500000,0.3
3,0,2e6,50
4,0,1e6,1500000
6,0,1e6,5000
8,0,20,600
REQ
done
run() { echo "== $*"; "$calc" "$@" --json || echo "status $?"; }
run table saturation t=-77:132.34:0.37 --units si-celsius
run table saturation p=0.0642:113.5:*1.07
run table isotherm t=20 p=0.1:800:*1.3
run table isotherm t=132.3 p=100:120:0.25
run table isobar p=10 t=-77:450:3.1
run table isobar p=113.5 t=120:140:0.1
run table isochore rho=224 t=100:450:2.5
run table isochore rho=600 t=-70:450:5
for t0 in -50 -20 0 10; do
  for tc in 20 40 60 100; do
    run cycle --evaporating "$t0" --condensing "$tc" --superheat 5 --subcooling 3 \
      --efficiency 0.7 --capacity 100
  done
done
run diagram ph
run diagram ts
run diagram ph --x 1000:1000.01 --state p-t 10 50 --cycle --evaporating -10 --condensing 35
run diagram ts --isochores 1,10,100,600 --qualities 0.1:0.9:0.2
