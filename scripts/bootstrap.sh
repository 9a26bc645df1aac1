#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and nothing that is already there.
# Safe to run again: a second run only checks and prints "nothing to install".
# The Windows trees are compiled by clang 16 and linked by LLD 16 (CodeView and PDBs) against
# MinGW-w64's headers and libraries and its GCC runtime: the win32 thread-model runtime for the
# product on every host. The Windows tests need the posix runtime (GoogleTest) and Wine of the form
# the host can run: 32-bit Wine and the i686 runtime where the host runs 32-bit code, else 64-bit
# Wine and the x86-64 one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/host-kind.sh"

packages=(
  cmake ninja-build g++ clang llvm libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev nlohmann-json3-dev
  clang-16 lld-16
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686
  xvfb x11-apps imagemagick
  lld osslsigncode openssl zip unzip
  x11-utils libx11-dev
)
if [ "$ORB_HOST_RUNS_32BIT" = yes ]; then
  # gcc-multilib: the session's 32-bit Wine loads a 32-bit build of testing/x11/no_keymap_sync.
  packages+=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix wine32:i386 gcc-multilib)
else
  packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64)
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: nothing to install"
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "bootstrap: done"
