#!/usr/bin/env bash
# pacing.sh: prints the pacing of every wizard step (wall time over the fixed waits the step is
# made of) for both consoles, in a Wine session of its own on Wine's virtual desktop. Builds
# nothing: run scripts/build.sh first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source "$root/scripts/host-kind.sh"
build=$ORB_WINE_TREE
trap '"$root/testing/session/wine-session.sh" stop "$build" >/dev/null' EXIT
"$root/testing/session/wine-session.sh" start "$build"
run() { "$root/testing/session/wine-exec.sh" "$build" "$@" </dev/null 2>&1 | grep -v '^\[\|^Note:\|^Running main'; }
echo "== Matrix Storage Manager steps"
run "$build/bin/msm_wizard_test.exe" --gtest_filter='MsmPacing.*'
echo "== Rapid Storage Technology steps"
run "$build/bin/rst_wizard_test.exe" --gtest_also_run_disabled_tests --gtest_filter='*Pacing*'
