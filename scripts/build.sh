#!/usr/bin/env bash
# build.sh [-DNAME=VALUE...]: installs what is missing, then configures and builds the trees:
#   build/native       portable logic and its unit tests (host g++, AddressSanitizer + UBSan)
#   build/win32        the product: orb2.dll, OrbLib.dll, OrbTray.exe and the stand-ins, 32-bit,
#                      linked with the win32 thread-model runtime so that they load on Windows XP
#   build/win32-tests  where the host runs 32-bit code: the Windows tests, run under 32-bit Wine
#                      against the shipped binaries of build/win32
#   build/win64        elsewhere: the same sources as 64-bit Windows binaries, with the Windows
#                      tests, run under 64-bit Wine
# (build/fuzz, the fuzzers' tree, is scripts/fuzz.sh's.) Every tree is configured on every run,
# with the options given here, so that a changed option (-DORB_RAIDCFG32=...) reaches a tree that
# exists already. ORB_TREES="native win32 ..." builds only the trees named; ORB_TARGETS="t ..." only
# those targets in each (the main job's: main_job).
# One status line per stage; the whole output of each is in build/logs/ (scripts/stage.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source "$root/scripts/stage.sh"

# ORB_INSTALLED=1: a caller that ran the install stage already.
[ "${ORB_INSTALLED:-}" = 1 ] || orb_stage install "$root/scripts/bootstrap.sh"
source "$root/scripts/host-kind.sh"

jobs=${ORB_JOBS:-$(nproc)}
options=("$@")
wine_tree=${ORB_WINE_TREE#build/}
for tree in ${ORB_TREES:-native win32 $wine_tree}; do
  case $tree in
    native) tree_options=(-DORB_SANITIZE=ON) ;;
    win32) tree_options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    win32-tests) tree_options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-tests.cmake"
                   -DORB_WINDOWS_TESTS=ON -DORB_SHIPPED_BIN_DIR="$root/build/win32/bin") ;;
    win64) tree_options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
    *) echo "build.sh: unknown tree $tree" >&2; exit 2 ;;
  esac
  orb_stage "configure-$tree" cmake -S . -B "build/$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "${tree_options[@]}" "${options[@]}"
  orb_stage "build-$tree" cmake --build "build/$tree" -j "$jobs" ${ORB_TARGETS:+--target $ORB_TARGETS}
done
