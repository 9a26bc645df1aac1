#!/usr/bin/env bash
# package.sh [--release]: builds the product (installing what is missing) and packs the kit
# build/kit/orb-support-<version>-win32.zip, what the main application's team and the release
# engineer take from us (kit/integration-guide.txt describes it to them), and beside it the
# Windows Installer package orb-support-<version>-win32.msi of the same files
# (scripts/build-msi.sh). The zip holds:
#   bin/      orb2.dll, OrbLib.dll, orb2_tray.exe (OrbTray.exe under the name it is installed
#             under), without the MinGW runtime's DWARF (and signed, see below)
#   tools/    trace_viewer.exe and orb_restore.exe, for support (and the installer)
#   installer/ the package's WiX sources (kit/installer/)
#   debug/    the PDB of each binary (and of the raidcfg32.exe stand-in when orb2.dll carries it),
#             which Windows debuggers find by the CodeView record in the binary's debug directory
#   symbols/  the binaries and their PDBs in a symbol server's layout (below)
#   include/  orb2.h, OrbLib.h          lib/  import libraries: Microsoft (.lib, in its archive
#                                         format) and MinGW (.dll.a)
#   def/      orb2.def, OrbLib.def      sample/  a caller that uses every declared symbol
#   INTEGRATION.txt, RELEASE-NOTES.txt, BUILD.txt (the version and the source commit), SHA256SUMS;
#   every text file with CR LF line ends
# The version is the binaries', major.minor.patch.build: the project's (top CMakeLists.txt) and
# the build number, the commit count (common/CMakeLists.txt).
#
# Intel's RAID tool: a tree configured without -DORB_RAIDCFG32 embeds this project's raidcfg32.exe
# stand-in; its kit is named ...-standin.zip (and .msi) and says so on the first line of
# INTEGRATION.txt, in orb2.dll's version resource and in the package's product name. --release refuses such a tree (exit 3) and refuses a configured
# tool that scripts/check-raid-tool.sh rejects (its exit code: 4 the stand-in, 5 not a 32-bit
# console program, 6 no Intel company name unless ORB_RAIDCFG32_SHA256 names the file), before
# building anything.
#
# Signing: with ORB_SIGN_CERT (PEM certificate chain) and ORB_SIGN_KEY (PEM private key) set, every
# binary and the package are signed before packing (scripts/sign.sh: SHA-1 with SHA-256 nested);
# without them the kit is unsigned. With ORB_TIMESTAMP_URL also set (an RFC 3161 time-stamp
# server's address, such as the certificate authority's), every signature is countersigned with
# the server's time, so that it still verifies after the signing certificate has expired.
# Two unsigned zips of one commit are byte-identical, wherever their trees are (PE time stamps and
# PDB identities from the content, no time in the zip, fixed order, paths in the debug information
# relative to the tree); a signature carries its signing time. The package's tables and files are
# the same too, not its bytes (wixl: scripts/build-msi.sh).
#
# ORB_KIT_TREE=DIR packs from another build tree (configured here as the product tree if new); a
# 64-bit tree (build/win64) gives a ...-win64 kit of the same sources, which the tests install
# where the host runs no 32-bit code. ORB_KIT_DIR=DIR writes the kit there instead of build/kit:
# the tests never write into build/kit.
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
out=${ORB_KIT_DIR:-build/kit}
"$root/scripts/bootstrap.sh" >/dev/null
# Configured as scripts/build.sh configures the product tree, when new.
[ -f "$tree/build.ninja" ] ||
  cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
# Configured again if HEAD has moved since, for the build number.
cmake --build "$tree" --target build.ninja >/dev/null

cache() { sed -n "s/^$1:[A-Z]*=//p" "$tree/CMakeCache.txt"; }
version=$(cache ORB_VERSION) commit=$(cache ORB_COMMIT)
tool=$(cache ORB_RAIDCFG32)
case $(basename "$(cache CMAKE_TOOLCHAIN_FILE)") in
  mingw-i686.cmake) prefix=i686-w64-mingw32 machine=i386 bits=win32 msi_arch=x86 ;;
  mingw-x86_64.cmake) prefix=x86_64-w64-mingw32 machine=i386:x86-64 bits=win64 msi_arch=x64 ;;
  *) echo "package.sh: $tree is not a MinGW-w64 tree" >&2; exit 2 ;;
esac
name=orb-support-$version-$bits
product_name="ORB support layer"
if [ -z "$tool" ]; then
  if [ "$release" = yes ]; then
    echo "package.sh --release: orb2.dll would carry this project's raidcfg32.exe stand-in, which reports" \
         "every disk as a non-RAID disk; configure $tree with -DORB_RAIDCFG32=/path/to/Intel/raidcfg32.exe" >&2
    exit 3
  fi
  name=$name-standin
  product_name="$product_name - NOT FOR RELEASE (raidcfg32.exe stand-in)"
elif [ "$release" = yes ]; then
  status=0
  reason=$("$root/scripts/check-raid-tool.sh" "$tool" 2>&1) || status=$?
  if [ "$status" -ne 0 ]; then
    echo "package.sh --release: refused: $reason" >&2
    exit "$status"
  fi
fi

cmake --build "$tree" --target orb2 OrbLib OrbTray trace_viewer orb_restore >/dev/null

kit=$out/$name
rm -rf "$kit" "$out/$name.zip" "$out/$name.msi"
mkdir -p "$kit"/{bin,tools,debug,include,lib,def,sample,installer}

# built name, kit path. The link leaves the MinGW runtime's own DWARF sections in a binary (its
# CodeView is in the PDB): they are stripped; the debug directory, and so the binary's match with
# its PDB, stays. The PDB keeps the built name, which the binary's CodeView record gives.
binaries=(orb2.dll bin/orb2.dll OrbLib.dll bin/OrbLib.dll OrbTray.exe bin/orb2_tray.exe
          trace_viewer.exe tools/trace_viewer.exe orb_restore.exe tools/orb_restore.exe)
for ((i = 0; i < ${#binaries[@]}; i += 2)); do
  built=$tree/bin/${binaries[i]} shipped=$kit/${binaries[i + 1]}
  llvm-objcopy --strip-debug "$built" "$shipped"
  cp "${built%.*}.pdb" "$kit/debug/"
done
# The stand-in orb2.dll carries, as built (stripped at its link).
[ -n "$tool" ] || cp "$tree/bin/raidcfg32.pdb" "$kit/debug/"

if [ -n "${ORB_SIGN_CERT:-}" ] && [ -n "${ORB_SIGN_KEY:-}" ]; then
  for ((i = 1; i < ${#binaries[@]}; i += 2)); do
    "$root/scripts/sign.sh" "$kit/${binaries[i]}" "ORB $version"
  done
  signed="binaries signed with $(basename "$ORB_SIGN_CERT")"
  [ -z "${ORB_TIMESTAMP_URL:-}" ] || signed="$signed, time-stamped by $ORB_TIMESTAMP_URL"
else
  signed="binaries unsigned: set ORB_SIGN_CERT and ORB_SIGN_KEY to sign them"
fi

# symbols/: the kit's binaries and PDBs as a Windows symbol server lays them out, so that a
# debugger's symbol path pointed at it (WinDbg: .sympath+ SRV*<kit>\symbols) finds each by the
# identity a crash dump records: NAME.pdb/<GUID><age>/NAME.pdb, by the binary's CodeView record,
# and BINARY/<TimeDateStamp><SizeOfImage>/BINARY, by its PE header. The binaries as shipped
# (signed); debug/ keeps the same PDBs in one folder.
store() {  # store BINARY [pdb-only]: the binary and its PDB (from debug/) into symbols/
  local binary=$1 headers pdb guid age stamp size
  headers=$(llvm-readobj --file-headers --coff-debug-directory "$binary")
  pdb=$(awk '$1 == "PDBFileName:" {print $2}' <<<"$headers")
  guid=$(sed -n 's/.*PDBGUID: (\(.*\))/\1/p' <<<"$headers" |
    awk '{print $4 $3 $2 $1 $6 $5 $8 $7 $9 $10 $11 $12 $13 $14 $15 $16}')
  age=$(printf '%X' "$(awk '$1 == "PDBAge:" {print $2}' <<<"$headers")")
  stamp=$(printf '%08X' "$(sed -n 's/.*TimeDateStamp: .*(\(0x[0-9A-Fa-f]*\))/\1/p' <<<"$headers" | head -n 1)")
  size=$(printf '%x' "$(awk '$1 == "SizeOfImage:" {print $2}' <<<"$headers")")
  mkdir -p "$kit/symbols/$pdb/$guid$age" && cp "$kit/debug/$pdb" "$kit/symbols/$pdb/$guid$age/"
  [ -n "${2:-}" ] || { mkdir -p "$kit/symbols/$(basename "$1")/$stamp$size" && cp "$binary" "$_/"; }
}
for ((i = 1; i < ${#binaries[@]}; i += 2)); do store "$kit/${binaries[i]}"; done
[ -n "$tool" ] || store "$tree/bin/raidcfg32.exe" pdb-only  # the stand-in orb2.dll carries

cp inventory/orb2.h automation/OrbLib.h "$kit/include/"
cp inventory/orb2.def automation/OrbLib.def "$kit/def/"
cp kit/sample/* "$kit/sample/"
cp kit/installer/*.wxs "$kit/installer/"
for library in orb2 OrbLib; do
  (cd "$kit" && $prefix-dlltool --input-def "def/$library.def" --dllname "$library.dll" \
    --output-lib "lib/$library.dll.a")
  # Microsoft's archive format (llvm-dlltool writes the GNU one): scripts/coff-archive.py.
  llvm-dlltool -m "$machine" -d "$kit/def/$library.def" -D "$library.dll" -l "$kit/lib/$library.gnu"
  python3 "$root/scripts/coff-archive.py" "$kit/lib/$library.gnu" "$kit/lib/$library.lib"
  rm "$kit/lib/$library.gnu"
done

{
  if [ -z "$tool" ]; then
    echo "NOT FOR RELEASE: orb2.dll carries this project's raidcfg32.exe stand-in, not Intel's RAID Configuration Utility."
    echo
  fi
  sed "s/@VERSION@/$version/g" kit/integration-guide.txt
} > "$kit/INTEGRATION.txt"
sed "s/@VERSION@/$version/g" kit/release-notes.txt > "$kit/RELEASE-NOTES.txt"
printf 'ORB support layer %s\nbuilt from commit %s\n' "$version" "$commit" > "$kit/BUILD.txt"

# Notepad on Windows XP and 7 shows a text with LF line ends as one line.
crlf='s/\r*$/\r/'
find "$kit" -type f \( -name '*.txt' -o -name '*.h' -o -name '*.def' -o -name '*.c' -o -name '*.cpp' -o -name '*.wxs' \) \
  -exec sed -i "$crlf" {} +
(cd "$kit" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
  xargs sha256sum > SHA256SUMS)
sed -i "$crlf" "$kit/SHA256SUMS"

# The same bytes for the same commit: fixed times, fixed order, no extra attributes.
find "$kit" -exec touch -h -d '2000-01-01 00:00:00 UTC' {} +
(cd "$out" && find "$name" -type f | LC_ALL=C sort |
  TZ=UTC zip -X -D -q "$name.zip" -@)
# The installer package of the same files, signed as they are.
"$root/scripts/build-msi.sh" "$kit" "$out/$name.msi" "$version" "$msi_arch" "$product_name"
echo "package.sh: $signed"
echo "package.sh: $out/$name.zip"
echo "package.sh: $out/$name.msi"
