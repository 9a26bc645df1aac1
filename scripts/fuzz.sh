#!/usr/bin/env bash
# fuzz.sh [SECONDS_PER_TARGET]: builds the libFuzzer targets (clang, AddressSanitizer + UBSan)
# in build/fuzz and runs each from its seed corpus (tools/fuzz/corpus/<target>) for the given
# time (default 8 s, the short pass the test command runs), as many at once as there are cores.
# Prints the executions per target and fails on any finding; a crashing input is left in
# build/fuzz/findings/.
#   ORB_FUZZ_RUNS=1000000 scripts/fuzz.sh 0   runs a fixed number of executions instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-8}

[ -f build/fuzz/build.ninja ] ||
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORB_FUZZ=ON >/dev/null
cmake --build build/fuzz --target fuzzers -j "$(nproc)" >/dev/null

mkdir -p build/fuzz/findings
targets=(raid_report descriptor identify key_script registry_position bounded_text)
run() {  # run TARGET: one target's pass, its output in build/fuzz/TARGET.log, its exit code in .status
  local target=$1 corpus=build/fuzz/corpus/$1 limit=(-max_total_time="$seconds") code=0
  mkdir -p "$corpus"
  [ -n "${ORB_FUZZ_RUNS:-}" ] && limit=(-runs="$ORB_FUZZ_RUNS")
  build/fuzz/tools/fuzz/fuzz_$target "${limit[@]}" -artifact_prefix=build/fuzz/findings/$target- \
    -print_final_stats=1 "$corpus" "tools/fuzz/corpus/$target" >"build/fuzz/$target.log" 2>&1 || code=$?
  echo "$code" >"build/fuzz/$target.status"
}
# As many targets at once as there are cores (each fuzzer uses one); results in the list's order.
pids=()
for ((i = 0; i < ${#targets[@]}; i++)); do
  [ "$i" -ge "$(nproc)" ] && wait "${pids[i - $(nproc)]}"
  rm -f "build/fuzz/${targets[i]}.status"
  run "${targets[i]}" &
  pids+=($!)
done
wait
status=0
for target in "${targets[@]}"; do
  log=build/fuzz/$target.log
  if [ "$(cat "build/fuzz/$target.status" 2>/dev/null)" = 0 ]; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$target: $runs executions, no finding"
  else
    echo "fuzz_$target: FINDING (see $log and build/fuzz/findings/)"
    tail -n 30 "$log"
    status=1
  fi
done
exit "$status"
