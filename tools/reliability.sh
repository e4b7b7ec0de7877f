#!/usr/bin/env bash
# Reliability run: the whole native test suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the three libFuzzer harnesses for a bounded time each, and the whole-domain soak. Fails on any
# sanitizer report, test failure, fuzzer finding or soak failure; the round-trip sweep reports.
#
# Usage: tools/reliability.sh            (after tools/setup.sh; CI calls it after tools/test.sh)
# Environment: FUZZ_SECONDS (default 60 per fuzzer), SOAK_GRID (default 200), ROUNDTRIP_GRID
# (default 200), JOBS (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh native

jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-60}
soak_grid=${SOAK_GRID:-200}
roundtrip_grid=${ROUNDTRIP_GRID:-200}
start=$(date +%s)
stamp() { echo "== $1 ($(($(date +%s) - start)) s)"; }
# Every stage runs even when an earlier one fails, so that one finding does not hide another.
failed=()

export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_string_checks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# 1. The native suite with both sanitizers (GCC: the shell's Windows-1251 texts need it). The
#    package test builds an outside project against the installed libraries without the
#    sanitizer runtime, so it stays with the plain build of tools/test.sh.
stamp "sanitizer build"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DZELTRA5_SANITIZE=ON \
  -DZELTRA5_EVALUATION_COUNTERS=ON -DZELTRA5_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/asan -j"$jobs"
stamp "sanitizer test suite"
ctest --test-dir build/asan --output-on-failure -j"$jobs" -E '^package_consumer$' ||
  failed+=("sanitizer test suite")

# 2. The fuzzers (Clang, libFuzzer), each from the seed corpus in the repository plus what
#    earlier runs on this machine added in build/fuzz/work. Any finding fails the run; its input
#    is left in build/fuzz/findings.
stamp "fuzzer build"
cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build/fuzz -j"$jobs"
mkdir -p build/fuzz/findings
for target in calculate_properties number_text batch chart_commands; do
  stamp "fuzzing $target for $fuzz_seconds s"
  work=build/fuzz/work/$target
  mkdir -p "$work"
  options=(-max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix=build/fuzz/findings/"$target"- -close_fd_mask=1)
  [ -f fuzz/"$target".dict ] && options+=(-dict=fuzz/"$target".dict)
  [ "$target" = calculate_properties ] || options+=(-max_len=4096)
  if ! build/fuzz/fuzz_"$target" "${options[@]}" "$work" fuzz/corpus/"$target" \
    2> build/fuzz/"$target".log; then
    tail -n 60 build/fuzz/"$target".log
    failed+=("fuzzer $target")
  fi
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|most equation)' \
    build/fuzz/"$target".log || true
done

# 3. The soak, optimised and with the evaluation counters (the configuration of tools/test.sh).
stamp "soak"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DZELTRA5_EVALUATION_COUNTERS=ON >/dev/null
cmake --build build/native -j"$jobs" --target zeltra5-soak
build/native/tests/reliability/zeltra5-soak --grid "$soak_grid" || failed+=("soak")

# 4. The round trips: every answered state given back through every other pair. Any refusal,
#    phase change or value not reproduced fails the run.
stamp "round trips"
cmake --build build/native -j"$jobs" --target zeltra5-roundtrip
build/native/tests/reliability/zeltra5-roundtrip --grid "$roundtrip_grid" ||
  failed+=("round trips")

if [ ${#failed[@]} -gt 0 ]; then
  stamp "reliability run FAILED: ${failed[*]}"
  exit 1
fi
stamp "reliability run passed"
