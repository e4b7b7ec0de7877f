#!/usr/bin/env bash
# Instructions per call of saturation_equilibrium_at_temperature and _at_pressure, counted by
# callgrind over a small driver linked against a build's equation-of-state library: 200 and 1200 calls spread
# over the whole range, the difference divided by 1000, so set-up and start-up cancel out (the
# driver's own loop, about 25 instructions a call, stays in).
# Usage: tools/saturation-equilibrium-cost.sh <build-dir>
set -euo pipefail
build=${1:?usage: tools/saturation-equilibrium-cost.sh <build-dir>}
root=$(cd "$(dirname "$0")/.." && pwd)
lib="$build/models/tr1993/libzeltra5_tr1993.a"
[ -f "$lib" ] || { echo "no $lib: build the target zeltra5_tr1993 first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/driver.cpp" <<'EOF'
#include <cstdlib>

#include "zeltra5/saturation_equilibrium.hpp"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const bool by_pressure = argv[1][0] == 'p';
    const int calls = std::atoi(argv[2]);
    const zeltra5::SaturationEquilibriumLimits lim = zeltra5::saturation_equilibrium_limits();
    volatile double sink = 0.0;
    for (int i = 0; i < calls; ++i) {
        // Golden-ratio steps: every call a different place in the range.
        const double f = i * 0.6180339887498949 - static_cast<int>(i * 0.6180339887498949);
        zeltra5::SaturationEquilibrium s{};
        if (by_pressure) {
            zeltra5::saturation_equilibrium_at_pressure(
                lim.lowest_pressure + f * (lim.highest_pressure - lim.lowest_pressure), s);
        } else {
            zeltra5::saturation_equilibrium_at_temperature(
                lim.lowest_temperature + f * (lim.highest_temperature - lim.lowest_temperature), s);
        }
        sink = sink + s.rho_liquid;
    }
    return 0;
}
EOF
g++ -O2 -std=c++20 -I"$root/models/tr1993/include" -I"$root/fluid/include" -I"$root/core/include" "$work/driver.cpp" "$lib" -o "$work/driver"

count() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$work/driver" "$1" "$2" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
printf '%-36s %s\n' call instructions/call
for mode in t p; do
  a=$(count "$mode" 200)
  b=$(count "$mode" 1200)
  name=$([ "$mode" = t ] && echo saturation_equilibrium_at_temperature ||
    echo saturation_equilibrium_at_pressure)
  printf '%-36s %d\n' "$name" $(((b - a) / 1000))
done
