#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and nothing that is already there.
# Safe to run again: a second run only checks and prints "nothing to install".
# The Windows trees are compiled by clang 16 and linked by LLD 16 (CodeView and PDBs) against
# MinGW-w64's headers and libraries and its GCC runtime: the win32 thread-model runtime for the
# product on every host. The Windows tests need the posix runtime (GoogleTest): the i686 one on
# every host, which builds the 32-bit tests tree even where it cannot run it; and Wine of the form
# the host can run: 32-bit Wine where the host runs 32-bit code, else 64-bit Wine and the x86-64
# posix runtime for the 64-bit build that runs there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/host-kind.sh"

packages=(
  cmake ninja-build g++ clang llvm libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev nlohmann-json3-dev
  clang-16 lld-16
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  xvfb x11-apps imagemagick
  lld osslsigncode openssl zip unzip wixl msitools
  x11-utils libx11-dev
)
if [ "$ORB_HOST_RUNS_32BIT" = yes ]; then
  # gcc-multilib: the session's 32-bit Wine loads a 32-bit build of testing/x11/no_keymap_sync.
  packages+=(wine32:i386 gcc-multilib)
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
# A mirror in the middle of a sync can fail one index for an hour ("File has unexpected size ...
# Mirror sync in progress?"): three tries, then on with the indexes that did load. When the one
# missing is a security index, the libraries already installed stand at their security versions
# while the other architecture's resolve from the release, and only an install from the release
# (-t CODENAME) agrees.
update_log=$(mktemp)
updated=no
for try in 1 2 3; do
  if $sudo apt-get update -q >"$update_log" 2>&1; then updated=yes; break; fi
  [ "$try" -eq 3 ] || sleep 30
done
cat "$update_log"
release=()
if [ "$updated" = no ]; then
  failed=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$update_log" | head -n 1)
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  release=(-t "$codename")
  echo "bootstrap: apt-get update failed 3 times (${failed:-no index named}); installing from the indexes that loaded, from the $codename release (-t $codename)"
fi
rm -f "$update_log"
$sudo apt-get install -y -q --no-install-recommends "${release[@]}" "${missing[@]}"
echo "bootstrap: done"
