#!/usr/bin/env bash
# main-job.sh: builds (installing what is missing), then runs orbinv.exe under Wine on the bundled
# default simulated machine: orb2.dll is loaded as the main application loads it, query 0 runs
# the whole scan (the RAID tool chain for real, the drives from the machine description) and the
# inventory is printed. ORB_MACHINE=FILE picks another machine description. Then OrbLib at work:
# a create-volume run of the Rapid Storage Technology steps against the stand-in console, with
# OrbLib's trace interleaved with the console's log of what it received, and a screenshot taken
# in the middle of the run.
# One status line per set-up stage; their whole output is in build/logs/ (scripts/stage.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

source "$root/scripts/host-kind.sh"
source "$root/scripts/stage.sh"
# Only what runs: the programs below, the stand-in console and the product they load, in the tree
# they run in (on a host that runs 32-bit code, with the shipped binaries of the product tree).
if [ "$ORB_HOST_RUNS_32BIT" = yes ]; then trees="win32 win32-tests"; else trees=win64; fi
ORB_TREES=$trees ORB_TARGETS=main_job "$root/scripts/build.sh"

# Where the host runs 32-bit code, the shipped binaries run under 32-bit Wine.
build=$ORB_WINE_TREE
orb_host_note
machine=${ORB_MACHINE:-testing/simulated_machine/machines/default.json}
case $machine in /*) ;; *) machine=$root/$machine ;; esac

# The session's wineserver, Xvfb and every Wine process of the prefix end with it.
trap '"$root/testing/session/wine-session.sh" stop "$build" >"$orb_log_dir/wine-session-stop.log" 2>&1' EXIT
orb_stage wine-session "$root/testing/session/wine-session.sh" start "$build"

echo "== orbinv --machine $machine"
# Wine sees the Unix file system as drive Z:.
"$root/testing/session/wine-exec.sh" "$build" "$build/bin/orbinv.exe" --machine "Z:$machine"

echo
shot=$root/$build/wizard-demo.bmp
"$root/testing/session/wine-exec.sh" "$build" "$build/bin/wizard_demo.exe" "Z:$shot"
if [ -f "$shot" ] && convert "$shot" "${shot%.bmp}.png" 2>/dev/null; then
  rm -f "$shot"
  echo "screenshot of the console in the middle of the run: ${shot%.bmp}.png"
fi
