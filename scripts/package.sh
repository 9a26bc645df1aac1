#!/usr/bin/env bash
# package.sh [--release]: builds the 32-bit product (installing what is missing) and packs the
# release kit build/kit/orb-support-<version>-win32.zip, what the main application's team and the
# release engineer take from us:
#   bin/      orb2.dll, OrbLib.dll, OrbTray.exe, stripped (and signed, see below)
#   debug/    their debug information, linked to them with .gnu_debuglink
#   include/  orb2.h, OrbLib.h
#   lib/      import libraries: MinGW (.dll.a) and Microsoft (.lib), made from the .def files
#   def/      orb2.def, OrbLib.def
#   INTEGRATION.txt, SHA256SUMS
# The version is the project's (top CMakeLists.txt). A kit whose orb2.dll carries this project's
# raidcfg32.exe stand-in instead of Intel's tool is named ...-win32-standin.zip and says so on the
# first line of INTEGRATION.txt; --release refuses to pack one.
# Signing: with ORB_SIGN_CERT (PEM certificate chain) and ORB_SIGN_KEY (PEM private key) set, every
# binary is signed with osslsigncode before packing; without them the kit is unsigned.
# Two unsigned kits of one commit built in trees at the same path are byte-identical (no time
# stamps in the PE headers or the zip, fixed order); a signature carries its signing time.
# ORB_KIT_TREE=DIR packs from another product tree (configured and built here if new).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

release=no
case "${1:-}" in
  --release) release=yes ;;
  "") ;;
  *) echo "usage: package.sh [--release]" >&2; exit 2 ;;
esac

tree=${ORB_KIT_TREE:-build/win32}
"$root/scripts/bootstrap.sh" >/dev/null
# Configured as scripts/build.sh configures the product tree, when new.
[ -f "$tree/build.ninja" ] ||
  cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$tree" >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
tool=$(sed -n 's/^ORB_RAIDCFG32:FILEPATH=//p' "$tree/CMakeCache.txt")
name=orb-support-$version-win32
if [ -z "$tool" ]; then
  if [ "$release" = yes ]; then
    echo "package.sh --release: orb2.dll carries this project's raidcfg32.exe stand-in, which reports" \
         "every disk as a non-RAID disk; configure $tree with -DORB_RAIDCFG32=/path/to/Intel/raidcfg32.exe" >&2
    exit 3
  fi
  name=$name-standin
fi

prefix=i686-w64-mingw32
# objcopy writes the current time into a PE header it rewrites unless told the build's time.
export SOURCE_DATE_EPOCH=0
kit=build/kit/$name
rm -rf "$kit" "build/kit/$name.zip"
mkdir -p "$kit"/{bin,debug,include,lib,def}

for binary in orb2.dll OrbLib.dll OrbTray.exe; do
  $prefix-objcopy --only-keep-debug "$tree/bin/$binary" "$kit/debug/$binary.debug"
  $prefix-objcopy --strip-debug --strip-unneeded --add-gnu-debuglink="$kit/debug/$binary.debug" \
    "$tree/bin/$binary" "$kit/bin/$binary"
done

if [ -n "${ORB_SIGN_CERT:-}" ] && [ -n "${ORB_SIGN_KEY:-}" ]; then
  for binary in orb2.dll OrbLib.dll OrbTray.exe; do
    osslsigncode sign -certs "$ORB_SIGN_CERT" -key "$ORB_SIGN_KEY" -n "ORB $version" -h sha256 \
      -in "$kit/bin/$binary" -out "$kit/bin/$binary.signed" >/dev/null
    mv "$kit/bin/$binary.signed" "$kit/bin/$binary"
  done
  signed="binaries signed with $(basename "$ORB_SIGN_CERT")"
else
  signed="binaries unsigned: set ORB_SIGN_CERT and ORB_SIGN_KEY to sign them"
fi

cp inventory/orb2.h automation/OrbLib.h "$kit/include/"
cp inventory/orb2.def automation/OrbLib.def "$kit/def/"
for library in orb2 OrbLib; do
  (cd "$kit" && $prefix-dlltool --input-def "def/$library.def" --dllname "$library.dll" \
    --output-lib "lib/$library.dll.a")
  llvm-dlltool -m i386 -d "$kit/def/$library.def" -D "$library.dll" -l "$kit/lib/$library.lib"
done

{
  if [ -z "$tool" ]; then
    echo "NOT FOR RELEASE: orb2.dll carries this project's raidcfg32.exe stand-in, not Intel's RAID Configuration Utility."
    echo
  fi
  sed "s/@VERSION@/$version/g" kit/integration-guide.txt
} > "$kit/INTEGRATION.txt"

(cd "$kit" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
  xargs sha256sum > SHA256SUMS)

# The same bytes for the same commit: fixed times, fixed order, no extra attributes.
find "$kit" -exec touch -h -d '2000-01-01 00:00:00 UTC' {} +
(cd build/kit && find "$name" -type f | LC_ALL=C sort |
  TZ=UTC zip -X -D -q "$name.zip" -@)
echo "package.sh: $signed"
echo "package.sh: build/kit/$name.zip"
