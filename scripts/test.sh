#!/usr/bin/env bash
# test.sh: builds everything (installing what is missing) and runs every test: the native unit
# tests, the checks of the shipped 32-bit binaries, the release kit, a short pass of every fuzzer,
# and the Windows tests under Wine and Xvfb: against the shipped 32-bit binaries where the host
# runs 32-bit code, else against the 64-bit build of the same sources (scripts/host-kind.sh).
# The Windows tests spend their time in the product's fixed sleeps, so they run side by side in
# several Wine sessions (testing/session/wine-tests.sh), in the background from the moment their
# tree is built; so does the release kit's test, which needs only the Windows trees. The native
# tree is built and the other groups run meanwhile, at a lower priority.
# One status line per stage, with its seconds; the whole output of each is in build/logs/
# (scripts/stage.sh). The last line says how long the whole command took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$SECONDS

source "$root/scripts/host-kind.sh"
source "$root/scripts/stage.sh"
wine_tree=${ORB_WINE_TREE#build/}

# The Windows tests' tree first: on a host that runs 32-bit code, the product tree they take the
# shipped binaries from, then theirs; elsewhere the 64-bit tree alone, and the product tree and the
# 32-bit tests tree while the Windows tests run.
if [ "$ORB_HOST_RUNS_32BIT" = yes ]; then first="win32 $wine_tree"; else first=$wine_tree; fi
ORB_TREES=$first "$root/scripts/build.sh"
orb_host_note
status=0
orb_stage "test-wine-$wine_tree" "$root/testing/session/wine-tests.sh" "$ORB_WINE_TREE" &
wine_tests=$!
# Everything started from here on yields the processor to the Windows tests, which wait on the
# product's fixed sleeps and the windows' messages: the builds and the other tests fill the time
# between, instead of slowing the longest chain.
renice -n 10 -p $$ >/dev/null
# Where the host runs no 32-bit code, the whole product tree now (the shipped binaries, the 32-bit
# tools and stand-ins), the release kit's test from it, and the 32-bit tests tree after it:
# compiled and linked, not run, so that a fault of 32-bit code alone fails here too.
[ "$ORB_HOST_RUNS_32BIT" = yes ] || ORB_INSTALLED=1 ORB_TREES=win32 "$root/scripts/build.sh" || status=1
orb_stage test-release-kit "$root/tests/kit/kit_test.sh" &
kit_test=$!
[ "$ORB_HOST_RUNS_32BIT" = yes ] || ORB_INSTALLED=1 ORB_TREES=win32-tests "$root/scripts/build.sh" || status=1

orb_stage test-shipped-binaries ctest --test-dir build/win32 --output-on-failure || status=1
if ORB_INSTALLED=1 ORB_TREES=native "$root/scripts/build.sh"; then
  orb_stage test-native ctest --test-dir build/native --output-on-failure -j "$(nproc)" || status=1
else
  status=1
fi
orb_stage test-fuzzers "$root/scripts/fuzz.sh" "${ORB_FUZZ_SECONDS:-8}" || status=1
wait "$kit_test" || status=1
wait "$wine_tests" || status=1

elapsed=$((SECONDS - start))
if [ "$status" -eq 0 ]; then echo "test.sh: all test groups passed ($elapsed s)"
else echo "test.sh: FAILED ($elapsed s)"; fi
exit "$status"
