#!/usr/bin/env bash
# trace.sh PROGRAM [ARGS...]: runs a Windows program under Wine as the debuggee of trace_viewer.exe
# and prints every debug string it emits (orb2's and OrbLib's trace), one line each, with the
# milliseconds since it started; the program's own output and exit code pass through.
# PROGRAM is a Unix path or a Windows path. It runs in the Wine session of the Windows test tree
# (build/win32-tests, or build/win64 where the host runs no 32-bit code; ORB_TRACE_TREE=DIR picks
# another), which is started for the run and stopped after it when none was running.
#   scripts/trace.sh build/win32-tests/bin/orbinv.exe --machine Z:$PWD/testing/simulated_machine/machines/default.json
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ]; then
  echo "usage: scripts/trace.sh PROGRAM [ARGS...]" >&2
  exit 2
fi
source "$root/scripts/host-kind.sh"
build=${ORB_TRACE_TREE:-$root/$ORB_WINE_TREE}
viewer=$build/bin/trace_viewer.exe
if [ ! -f "$viewer" ]; then
  echo "trace.sh: $viewer is missing: build the tree first (scripts/build.sh)" >&2
  exit 2
fi

started=no
if [ ! -s "$build/wine-session/display" ]; then
  "$root/testing/session/wine-session.sh" start "$build" >&2
  started=yes
fi
stop() { [ "$started" = no ] || "$root/testing/session/wine-session.sh" stop "$build" >/dev/null; }
trap stop EXIT

program=$1
shift
# trace_viewer starts the program with CreateProcess, which takes Windows paths only.
if [ -e "$program" ]; then
  program="Z:$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
  program=${program//\//\\}
fi
status=0
"$root/testing/session/wine-exec.sh" "$build" "$viewer" "$program" "$@" || status=$?
exit "$status"
