#!/usr/bin/env bash
# build.sh [-DNAME=VALUE...]: installs what is missing, then configures and builds the trees:
#   build/native       portable logic and its unit tests (host g++, AddressSanitizer + UBSan)
#   build/win32        the product: orb2.dll, OrbLib.dll, OrbTray.exe and the stand-ins, 32-bit,
#                      built with the win32 thread-model compilers so that they load on Windows XP
#   build/win32-tests  where the host runs 32-bit code: the Windows tests, run under 32-bit Wine
#                      against the shipped binaries of build/win32
#   build/win64        elsewhere: the same sources as 64-bit Windows binaries, with the Windows
#                      tests, run under 64-bit Wine
# (build/fuzz, the fuzzers' tree, is scripts/fuzz.sh's.) Every tree is configured on every run,
# with the options given here, so that a changed option (-DORB_RAIDCFG32=...) reaches a tree that
# exists already. ORB_TREES="native win32 ..." builds only the trees named.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/bootstrap.sh"
source "$root/scripts/host-kind.sh"

jobs=${ORB_JOBS:-$(nproc)}
options=("$@")
configure() {  # configure TREE ARGS...
  local tree=$1; shift
  cmake -S . -B "build/$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" "${options[@]}"
}
wine_tree=${ORB_WINE_TREE#build/}
for tree in ${ORB_TREES:-native win32 $wine_tree}; do
  case $tree in
    native) configure native -DORB_SANITIZE=ON ;;
    win32) configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" ;;
    win32-tests) configure win32-tests -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-tests.cmake" \
                   -DORB_WINDOWS_TESTS=ON -DORB_SHIPPED_BIN_DIR="$root/build/win32/bin" ;;
    win64) configure win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" ;;
    *) echo "build.sh: unknown tree $tree" >&2; exit 2 ;;
  esac
  echo "== building build/$tree"
  cmake --build "build/$tree" -j "$jobs"
done
