#!/usr/bin/env bash
# fuzz.sh [SECONDS_PER_TARGET]: builds the libFuzzer targets in build/fuzz, where every target,
# the product's logic included, carries libFuzzer's coverage counters, AddressSanitizer and UBSan
# (cmake/OrbBuild.cmake), and runs each from its committed corpus (tools/fuzz/corpus/<target>, the
# minimised corpus of a long run) with its dictionary (tools/fuzz/<target>.dict, where the input
# has keywords) for the given time (default 8 s, the short pass the test command runs), as many at
# once as there are cores. Fails when a product object that holds code has no coverage counters,
# on any finding (the input is left in build/fuzz/findings/), and when a target ends below its
# coverage floor (tools/fuzz/coverage-floors.txt, edges). Prints each target's executions and
# final coverage; the new inputs stay in build/fuzz/corpus/<target>.
#   ORB_FUZZ_RUNS=10000000 scripts/fuzz.sh 0   runs a fixed number of executions instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-8}

[ -f build/fuzz/build.ninja ] ||
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORB_FUZZ=ON >/dev/null
cmake --build build/fuzz --target fuzzers -j "$(nproc)" >/dev/null

# The fuzzers see what they fuzz: every product object with code carries coverage counters.
blind=0
for object in $(find build/fuzz/inventory build/fuzz/automation build/fuzz/common build/fuzz/tray -name '*.o' 2>/dev/null); do
  sections=$(llvm-objdump -h "$object")
  if grep -qE ' \.text +0*[1-9a-f]' <<<"$sections" && ! grep -q __sancov_cntrs <<<"$sections"; then
    echo "fuzz: $object has code but no coverage counters: its fuzzers run blind"
    blind=1
  fi
done
[ "$blind" -eq 0 ] || exit 1

mkdir -p build/fuzz/findings
targets=(raid_report descriptor identify key_script registry_position bounded_text)
run() {  # run TARGET: one target's pass, its output in build/fuzz/TARGET.log, its exit code in .status
  local target=$1 corpus=build/fuzz/corpus/$1 limit=(-max_total_time="$seconds") dictionary=() code=0
  mkdir -p "$corpus"
  [ -n "${ORB_FUZZ_RUNS:-}" ] && limit=(-runs="$ORB_FUZZ_RUNS")
  [ ! -f "tools/fuzz/$target.dict" ] || dictionary=(-dict="tools/fuzz/$target.dict")
  build/fuzz/tools/fuzz/fuzz_$target "${limit[@]}" "${dictionary[@]}" -artifact_prefix=build/fuzz/findings/$target- \
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
    coverage=$(sed -n 's/.*DONE *cov: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
    floor=$(awk -v t="$target" '$1 == t {print $2}' tools/fuzz/coverage-floors.txt)
    if [ "${coverage:-0}" -ge "${floor:?no floor for $target in tools/fuzz/coverage-floors.txt}" ]; then
      echo "fuzz_$target: $runs executions, coverage $coverage edges (floor $floor), no finding"
    else
      echo "fuzz_$target: coverage ${coverage:-unknown} edges, below its floor $floor ($log)"
      status=1
    fi
  else
    echo "fuzz_$target: FINDING (see $log and build/fuzz/findings/)"
    tail -n 30 "$log"
    status=1
  fi
done
exit "$status"
