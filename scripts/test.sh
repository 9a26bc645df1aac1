#!/usr/bin/env bash
# test.sh: builds everything (installing what is missing) and runs every test: the native unit
# tests, the checks of the shipped 32-bit binaries, the release kit, a short pass of every fuzzer,
# and the Windows tests under Wine and Xvfb: against the shipped 32-bit binaries where the host
# runs 32-bit code, else against the 64-bit build of the same sources (scripts/host-kind.sh).
# One status line per stage; the whole output of each is in build/logs/ (scripts/stage.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/build.sh"
source "$root/scripts/host-kind.sh"
source "$root/scripts/stage.sh"

status=0
orb_stage test-native ctest --test-dir build/native --output-on-failure -j "$(nproc)" || status=1
orb_stage test-shipped-binaries ctest --test-dir build/win32 --output-on-failure || status=1
orb_stage test-release-kit "$root/tests/kit/kit_test.sh" || status=1
orb_stage test-fuzzers "$root/scripts/fuzz.sh" "${ORB_FUZZ_SECONDS:-8}" || status=1
orb_host_note
# Benchmarks (label "bench") only print figures: run them with ctest -L bench. Two at a time: a
# test of the desktop group beside one of the Windows-folder group (cmake/OrbBuild.cmake).
orb_stage "test-wine-${ORB_WINE_TREE#build/}" \
  ctest --test-dir "$ORB_WINE_TREE" --output-on-failure -LE bench -j 2 || status=1

if [ "$status" -eq 0 ]; then echo "test.sh: all test groups passed"; else echo "test.sh: FAILED"; fi
exit "$status"
