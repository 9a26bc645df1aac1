#!/usr/bin/env bash
# main-job.sh: builds (installing what is missing), then loads orb2.dll under Wine the way the
# main application does and prints what it answers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

ORB_TREES="win32 win64" "$root/scripts/build.sh"

build=build/win64
trap '"$root/scripts/wine-session.sh" stop "$build" >/dev/null' EXIT
"$root/scripts/wine-session.sh" start "$build"
"$root/scripts/wine-exec.sh" "$build" "$build/bin/orbinv.exe"
