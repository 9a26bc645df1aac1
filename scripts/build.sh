#!/usr/bin/env bash
# build.sh: installs what is missing, then configures and builds the three trees:
#   build/native  portable logic and its unit tests (host g++, AddressSanitizer + UBSan)
#   build/win32   the product: orb2.dll, OrbLib.dll, OrbTray.exe and the stand-ins, 32-bit
#   build/win64   the same sources as 64-bit Windows binaries, with the tests that run under Wine
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/bootstrap.sh"

jobs=${ORB_JOBS:-$(nproc)}
configure() {  # configure TREE ARGS...
  local tree=$1; shift
  [ -f "build/$tree/build.ninja" ] || cmake -S . -B "build/$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}
configure native -DORB_SANITIZE=ON
configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
configure win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"

for tree in ${ORB_TREES:-native win32 win64}; do
  echo "== building build/$tree"
  cmake --build "build/$tree" -j "$jobs"
done
