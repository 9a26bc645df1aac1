#!/usr/bin/env bash
# usage_check.sh BUILD CODE PROGRAM [ARGS...]: PROGRAM, run with ARGS in the build tree's Wine
# session, must exit with CODE and print the stand-in's usage line; a missing program, a crash or
# no session exits otherwise and fails. The output goes through a file, not a pipe: Wine services
# started on demand inherit it (tests/tray/run_logged.sh).
set -uo pipefail
build=$1 code=$2
shift 2
root=$(cd "$(dirname "$0")/../../../.." && pwd)
log=$(mktemp)
"$root/testing/session/wine-exec.sh" "$build" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
echo "exit $status"
grep -q "^Usage: raidcfg32.exe /I" "$log" && [ "$status" -eq "$code" ]
result=$?
rm -f "$log"
exit "$result"
