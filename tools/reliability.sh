#!/usr/bin/env bash
# Reliability run: the whole native test suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the libFuzzer harnesses for a bounded time each, and the whole-domain soak and round trips of
# each model. Fails on any sanitizer report, test failure, fuzzer finding, soak failure or wrong
# round trip.
#
# Usage: tools/reliability.sh            (after tools/setup.sh; CI calls it after tools/test.sh)
# Environment: FUZZ_SECONDS (default 60 per fuzzer; the front end's fuzzer asks every model with
# each input), SOAK_GRID (default 140) and SOAK_GRID_GAO2023 (default 24), ROUNDTRIP_GRID
# (default 140) and ROUNDTRIP_GRID_GAO2023 (default 20), JOBS (default 2). The 2023 equation's
# requests cost about thirty times the 1993 one's, so each model's grid takes about half of
# the time the 1993 equation's 200-point grids took alone. FUZZ_WORK (default build/fuzz/work) is
# where the fuzzers keep what they add to the corpus; the corpus in fuzz/corpus is only read.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh native

jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-60}
fuzz_work=${FUZZ_WORK:-build/fuzz/work}
# The grid of each model, by its name in the registry.
declare -A soak_grid=([tr1993]=${SOAK_GRID:-140} [gao2023]=${SOAK_GRID_GAO2023:-24})
declare -A roundtrip_grid=([tr1993]=${ROUNDTRIP_GRID:-140} [gao2023]=${ROUNDTRIP_GRID_GAO2023:-20})
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
#    earlier runs on this machine added in $fuzz_work (libFuzzer adds to the first directory
#    only: fuzz/corpus is read, never written). The front end's fuzzer runs once per model, each
#    for half its time and with a work directory of its own. Any finding fails the run; its
#    input is left in build/fuzz/findings.
stamp "fuzzer build"
cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build/fuzz -j"$jobs"
mkdir -p build/fuzz/findings
# fuzz TARGET RUN SECONDS: one fuzzer run, named RUN in its work directory, log and findings.
fuzz() {
  local target=$1 run=$2 seconds=$3
  stamp "fuzzing $run for $seconds s"
  local work=$fuzz_work/$run
  mkdir -p "$work"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix=build/fuzz/findings/"$run"- -close_fd_mask=1)
  [ -f fuzz/"$target".dict ] && options+=(-dict=fuzz/"$target".dict)
  [ "$target" = calculate_properties ] || options+=(-max_len=4096)
  if ! build/fuzz/fuzz_"$target" "${options[@]}" "$work" fuzz/corpus/"$target" \
    2> build/fuzz/"$run".log; then
    tail -n 60 build/fuzz/"$run".log
    failed+=("fuzzer $run")
  fi
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|most equation)' \
    build/fuzz/"$run".log || true
}
for model in tr1993 gao2023; do
  ZELTRA5_FUZZ_MODEL=$model fuzz calculate_properties calculate_properties-$model \
    $((fuzz_seconds / 2))
done
for target in number_text batch chart_commands; do
  fuzz "$target" "$target" "$fuzz_seconds"
done

# 3. The soak of each model, optimised and with the evaluation counters (the configuration of
#    tools/test.sh).
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DZELTRA5_EVALUATION_COUNTERS=ON >/dev/null
cmake --build build/native -j"$jobs" --target zeltra5-soak zeltra5-roundtrip
for model in tr1993 gao2023; do
  stamp "soak of $model, grid ${soak_grid[$model]}"
  build/native/tests/reliability/zeltra5-soak --model "$model" --grid "${soak_grid[$model]}" ||
    failed+=("soak of $model")
done

# 4. The round trips of each model: every answered state given back through every other pair
#    and asked through the pairs beyond the menu. A wrong answer fails the run; for the 1993
#    equation, which gives every state back, also any refusal, phase change or value not
#    reproduced (the 2023 equation's are reported: its flat critical isotherm leaves (P, T)
#    feed-backs at the critical point short of 1e-9 in density).
declare -A roundtrip_options=([tr1993]=--strict [gao2023]=)
for model in tr1993 gao2023; do
  stamp "round trips of $model, grid ${roundtrip_grid[$model]}"
  build/native/tests/reliability/zeltra5-roundtrip --model "$model" \
    --grid "${roundtrip_grid[$model]}" ${roundtrip_options[$model]} ||
    failed+=("round trips of $model")
done

if [ ${#failed[@]} -gt 0 ]; then
  stamp "reliability run FAILED: ${failed[*]}"
  exit 1
fi
stamp "reliability run passed"
