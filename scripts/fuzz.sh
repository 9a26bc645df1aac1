#!/usr/bin/env bash
# fuzz.sh [SECONDS_PER_TARGET]: builds the libFuzzer targets (clang, AddressSanitizer + UBSan)
# in build/fuzz and runs each from its seed corpus (tools/fuzz/corpus/<target>) for the given
# time (default 8 s, the short pass the test command runs). Prints the executions per target and
# fails on any finding; a crashing input is left in build/fuzz/findings/.
#   ORB_FUZZ_RUNS=1000000 scripts/fuzz.sh 0   runs a fixed number of executions instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-8}

[ -f build/fuzz/build.ninja ] ||
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORB_FUZZ=ON >/dev/null
cmake --build build/fuzz --target fuzzers -j "$(nproc)" >/dev/null

mkdir -p build/fuzz/findings
status=0
for target in raid_report descriptor identify key_script registry_position bounded_text; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  limit=(-max_total_time="$seconds")
  [ -n "${ORB_FUZZ_RUNS:-}" ] && limit=(-runs="$ORB_FUZZ_RUNS")
  log=build/fuzz/$target.log
  if build/fuzz/tools/fuzz/fuzz_$target "${limit[@]}" -artifact_prefix=build/fuzz/findings/$target- \
       -print_final_stats=1 "$corpus" "tools/fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$target: $runs executions, no finding"
  else
    echo "fuzz_$target: FINDING (see $log and build/fuzz/findings/)"
    tail -n 30 "$log"
    status=1
  fi
done
exit "$status"
