#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and nothing that is already there.
# Safe to run again: a second run only checks and prints "nothing to install".
set -euo pipefail

packages=(
  cmake ninja-build g++ clang llvm libclang-rt-14-dev
  googletest nlohmann-json3-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 xvfb x11-apps imagemagick
)

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
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "bootstrap: done"
