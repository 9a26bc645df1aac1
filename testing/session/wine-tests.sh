#!/usr/bin/env bash
# wine-tests.sh BUILD_DIR [CTEST_ARGS...]: runs the build tree's Windows tests side by side, one
# test per Wine session (testing/session/wine-sessions.sh), ORB_WINE_SESSIONS sessions (default 4).
# CTest hands each test a session through its resource "wine" (a resource file of one slot per
# session); the tests' own sleeps, not the two cores, are what takes the time, so four sessions
# keep both cores busy without making any test wait on another. The benchmarks (label "bench")
# only print figures: run them alone with ctest -L bench.
set -euo pipefail
build=$(cd "${1:?usage: wine-tests.sh BUILD_DIR [CTEST_ARGS...]}" && pwd)
shift
export ORB_WINE_SESSIONS=${ORB_WINE_SESSIONS:-4}
sessions=$build/wine-sessions.json  # CTest's resource file: one slot per session
{
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"wine": ['
  for ((k = 0; k < ORB_WINE_SESSIONS; k++)); do
    printf '%s{"id": "%d", "slots": 1}' "$([ "$k" -gt 0 ] && echo ', ')" "$k"
  done
  printf ']}]}\n'
} >"$sessions"
exec ctest --test-dir "$build" --resource-spec-file "$sessions" -j "$ORB_WINE_SESSIONS" \
  --output-on-failure -LE bench "$@"
