#!/usr/bin/env bash
# wine-tests.sh BUILD_DIR [CTEST_ARGS...]: runs the build tree's Windows tests side by side, one
# test per Wine session (testing/session/wine-sessions.sh), ORB_WINE_SESSIONS sessions (default 4).
# CTest runs as many tests at once as there are sessions, and each takes a session no other test
# holds (testing/session/wine-claim.sh); the tests' own sleeps, not the two cores, are what takes
# the time, so four sessions keep both cores busy without making any test wait on another. The benchmarks (label "bench")
# only print figures: run them alone with ctest -L bench. Ends with the number of tests skipped for
# a condition of the host, and each (any other skip fails its test).
set -euo pipefail
build=$(cd "${1:?usage: wine-tests.sh BUILD_DIR [CTEST_ARGS...]}" && pwd)
shift
export ORB_WINE_SESSIONS=${ORB_WINE_SESSIONS:-4}
status=0
ctest --test-dir "$build" -j "$ORB_WINE_SESSIONS" --output-on-failure -LE bench "$@" || status=$?
# A session start that failed, even where the second try started it (testing/session/wine-sessions.sh):
# each line marked, for the stage's status line to show (scripts/stage.sh).
[ ! -s "$build/wine-session-retries.log" ] || sed 's/^/retried: /' "$build/wine-session-retries.log"
# A test may skip only for a condition of the host (testing/support/skip_policy.cpp): said here.
skips=$(grep -h "^skipped for a host condition: " "$build/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u || true)
echo "$(grep -c . <<<"$skips") tests skipped for a host condition${skips:+:}"
[ -z "$skips" ] || sed 's/^skipped for a host condition: /  /' <<<"$skips"
exit "$status"
