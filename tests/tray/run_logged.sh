#!/usr/bin/env bash
# run_logged.sh BUILD LOG PROGRAM [ARGS...]: runs a Windows program in the build tree's Wine
# session with its output in LOG, then prints LOG and exits with the program's code.
# Wine services and the desktop process started on demand by a test inherit its standard
# output and error; with a pipe there, CTest would wait for them until its time-out.
set -uo pipefail
build=$1 log=$2
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/testing/session/wine-exec.sh" "$build" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
exit "$status"
