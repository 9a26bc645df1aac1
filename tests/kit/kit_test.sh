#!/usr/bin/env bash
# kit_test.sh: the release kit as its takers meet it (scripts/package.sh).
#  - the product tree's kit and one built again in a fresh tree elsewhere, from a copy of the
#    sources elsewhere, are byte-identical; the kit holds exactly the files its guide lists, text
#    with CR LF, SHA256SUMS right;
#  - a stand-in kit says so (zip name, the guide's first line, orb2.dll's version resource);
#    --release refuses the stand-in, a text file and a PE32 without Intel's name, each with its
#    own exit code and one line, and packs a tool the release engineer named by its SHA-256;
#  - the sample caller, built Microsoft-style against the kit's .lib files, links, and runs under
#    Wine against the kit's signed DLLs;
#  - a kit's binaries carry no DWARF, and each its CodeView record that its PDB in debug/ matches;
#    llvm-symbolizer names an export's function, file and line from the PDB;
#  - a kit signed with a throwaway certificate and time-stamped by a local RFC 3161 server
#    verifies, also after the certificate has expired; a damaged or untimed signature does not;
#  - the Windows Installer package beside the zip holds the kit's binaries at their version, is
#    marked as the stand-in's, places its actions where they must run, and is the same package
#    (tables and files; wixl writes no reproducible bytes) when built again;
#  - in a fresh Wine prefix the package installs, upgrades with the tray running, repairs, refuses
#    a downgrade and uninstalls leaving nothing (tests/kit/msi_test.sh); then the kit installed by
#    hand as its guide says starts (tests/kit/install_test.sh).
# Where the host runs no 32-bit code, the Wine checks take a kit packed from the 64-bit build of
# the same sources. Every kit is written under build/kit-test, never into build/kit. Prints one
# line per check and "N passed, M failed". (Under pipefail, a grep that leaves early fails the
# pipe that feeds it: long outputs are counted with grep -c or read from a variable instead.)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
source "$root/scripts/host-kind.sh"

work=build/kit-test
rm -rf "$work"
mkdir -p "$work"
passed=0 failed=0
check() {  # check NAME COMMAND...: runs COMMAND, counts and prints the result
  local name=$1; shift
  echo "== $name" >>"$work/log"
  if "$@" >>"$work/log" 2>&1; then echo "PASS $name"; passed=$((passed + 1))
  else echo "FAIL $name (see $work/log)"; failed=$((failed + 1)); fi
}
# What build/kit holds before: the test must leave it as it was.
kit_dir_before=$(ls -l --time-style=+%s build/kit 2>/dev/null)

# The binaries' version, major.minor.patch.build, once the product tree has configured itself for
# the sources' HEAD (as package.sh has it do).
cmake --build build/win32 --target build.ninja >/dev/null
version=$(sed -n 's/^ORB_VERSION:INTERNAL=//p' build/win32/CMakeCache.txt)
out=$work/out
standin=orb-support-$version-win32-standin
tree=$work/tree
package() {  # package DIR TREE [ARGS...]: TREE's kit into DIR, a folder of the test's
  local dir=$1 tree=$2; shift 2
  ORB_KIT_DIR=$dir ORB_KIT_TREE=$tree scripts/package.sh "$@"
}

# The same commit built twice, in the product tree and in a fresh tree elsewhere, of a copy of
# the sources elsewhere (the tracked files as they are): the same zip. The fresh tree then serves
# every check that needs a tree of its own.
kit_of() {  # kit_of TREE COPY: the zip to COPY.zip, the package to COPY.msi
  package "$out" "$1" && cp "$out/$standin.zip" "$2.zip" && cp "$out/$standin.msi" "$2.msi"
}
check "the product tree's kit" kit_of build/win32 "$work/first"
source_copy=$work/source
fresh_kit() {
  rm -rf "$tree" "$source_copy" && mkdir -p "$source_copy" &&
    git ls-files -z | tar --null -T - -cf - | tar -C "$source_copy" -xf - &&
    ORB_KIT_DIR=$root/$out ORB_KIT_TREE=$root/$tree "$source_copy/scripts/package.sh" &&
    cp "$out/$standin.zip" "$work/second.zip" && cp "$out/$standin.msi" "$work/second.msi"
}
check "a kit built again in a fresh tree, from a copy of the sources elsewhere" fresh_kit
check "the two kits are byte-identical" cmp "$work/first.zip" "$work/second.zip"
# The package built again holds the same tables and files. Its bytes differ: wixl writes the time
# and a random package code into its summary, and its string pool in no fixed order.
msi_content() {  # msi_content MSI: every table and the checksum of every file it carries, as text
  local table dir=$work/msi-content
  for table in $(msiinfo tables "$1" | tr -d '\r' | grep -v '^_' | LC_ALL=C sort); do echo "== $table"; msiinfo export "$1" "$table"; done
  dir=$dir-$(basename "$1")
  rm -rf "$dir" && mkdir -p "$dir" && msiextract -C "$dir" "$1" >/dev/null &&
    (cd "$dir" && find . -type f | LC_ALL=C sort | xargs -d '\n' sha256sum)
}
same_package() { diff <(msi_content "$work/first.msi") <(msi_content "$work/second.msi"); }
check "the two packages hold the same tables and files" same_package

kit=$work/unpacked/$standin
rm -rf "$work/unpacked" && mkdir -p "$work/unpacked" && unzip -q "$out/$standin.zip" -d "$work/unpacked"
kit_files() {
  diff <(cd "$kit" && find . -type f | sed 's|^\./||' | grep -v '^symbols/' | LC_ALL=C sort) - <<'EOF'
BUILD.txt
INTEGRATION.txt
RELEASE-NOTES.txt
SHA256SUMS
bin/OrbLib.dll
bin/orb2.dll
bin/orb2_tray.exe
debug/OrbLib.pdb
debug/OrbTray.pdb
debug/orb2.pdb
debug/orb_restore.pdb
debug/raidcfg32.pdb
debug/trace_viewer.pdb
def/OrbLib.def
def/orb2.def
include/OrbLib.h
include/orb2.h
installer/orb-support-components.wxs
installer/orb-support.wxs
lib/OrbLib.dll.a
lib/OrbLib.lib
lib/orb2.dll.a
lib/orb2.lib
sample/README.txt
sample/orb_sample.c
sample/orb_sample_class.cpp
tools/orb_restore.exe
tools/trace_viewer.exe
EOF
}
check "the kit holds the files its guide lists, and no other (symbols/ below)" kit_files
check "SHA256SUMS checks inside the kit" bash -c "cd '$kit' && sha256sum -c --quiet SHA256SUMS"
crlf_text() {  # every line of every text file ends with CR LF
  local file bad=0
  for file in "$kit"/*.txt "$kit"/SHA256SUMS "$kit"/include/* "$kit"/def/* "$kit"/sample/* "$kit"/installer/*; do
    [ -f "$file" ] || { echo "no file $file"; return 1; }
    if grep -q $'[^\r]$\|^$' "$file"; then echo "LF line ends: $file"; bad=1; fi
  done
  return $bad
}
check "every text file ends its lines with CR LF" crlf_text
# A Windows debugger takes a binary's PDB by the CodeView record in its debug directory: the PDB's
# file name, GUID and age. The kit's binaries carry no DWARF.
codeview() {  # codeview BINARY: "name GUID age" of its CodeView record, the GUID as the PDB prints it
  llvm-readobj --coff-debug-directory "$1" | awk '
    /PDBGUID:/ { gsub(/[()]/, ""); for (i = 2; i <= 17; i++) b[i - 2] = $i }
    /PDBAge:/ { age = $2 } /PDBFileName:/ { name = $2 }
    END { if (name == "") exit 1
          printf "%s {%s%s%s%s-%s%s-%s%s-%s%s-%s%s%s%s%s%s} %s\n", name, b[3], b[2], b[1], b[0], b[5], b[4],
                 b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15], age }'
}
pdb_matches() {  # pdb_matches BINARY PDB: the binary's record names PDB, with its GUID and age
  local record summary
  record=$(codeview "$1") || { echo "$1: no CodeView record"; return 1; }
  summary=$(llvm-pdbutil dump -summary "$2") || return 1
  echo "$1: $record; $(basename "$2"): $(awk '$1 == "GUID:" || $1 == "Age:"' <<<"$summary" | tr -s ' \n' ' ')"
  [ "$record" = "$(basename "$2") $(awk '$1 == "GUID:" {print $2}' <<<"$summary") $(awk '$1 == "Age:" {print $2}' <<<"$summary")" ]
}
carries_guid() {  # carries_guid BINARY FILE: FILE holds BINARY's CodeView GUID, as bytes (a GUID
  # may hold a newline byte, which a search by lines never matches)
  python3 -c 'import sys; sys.exit(bytes.fromhex(sys.argv[1]) not in open(sys.argv[2], "rb").read())' \
    "$(llvm-readobj --coff-debug-directory "$1" | sed -n 's/.*PDBGUID: (\(.*\))/\1/p')" "$2"
}
symbols() {
  local b pdb
  for b in bin/orb2.dll bin/OrbLib.dll bin/orb2_tray.exe tools/trace_viewer.exe tools/orb_restore.exe; do
    [ "$(i686-w64-mingw32-objdump -h "$kit/$b" | grep -c ' \.debug_')" -eq 0 ] || { echo "$b: DWARF left"; return 1; }
    pdb=$kit/debug/$(codeview "$kit/$b" | cut -d' ' -f1)
    pdb_matches "$kit/$b" "$pdb" || return 1
  done
  # The stand-in inside orb2.dll is the one raidcfg32.pdb describes: its record is in orb2.dll.
  pdb_matches "$tree/bin/raidcfg32.exe" "$kit/debug/raidcfg32.pdb" &&
    carries_guid "$tree/bin/raidcfg32.exe" "$kit/bin/orb2.dll"
}
check "every binary's CodeView record matches its PDB in debug/ (the embedded stand-in's too)" symbols
# symbols/ in a symbol server's layout, computed here from each shipped binary: NAME.pdb/<GUID><age>/
# by its CodeView record, BINARY/<TimeDateStamp><SizeOfImage>/ by its PE header (the time stamp a
# hash of the content, never 0), and nothing else.
symbol_store() {
  local b headers record pdb guid stamp size expected=0
  for b in bin/orb2.dll bin/OrbLib.dll bin/orb2_tray.exe tools/trace_viewer.exe tools/orb_restore.exe; do
    headers=$(llvm-readobj --file-headers "$kit/$b") record=$(codeview "$kit/$b") || return 1
    pdb=${record%% *} guid=$(cut -d' ' -f2 <<<"$record" | tr -d '{}-')
    stamp=$(sed -n 's/.*TimeDateStamp: .*(0x\([0-9A-Fa-f]*\))/\1/p' <<<"$headers" | head -n 1)
    size=$(printf '%x' "$(awk '$1 == "SizeOfImage:" {print $2}' <<<"$headers")")
    [ $((0x$stamp)) -ne 0 ] || { echo "$b: time stamp 0"; return 1; }
    echo "$b: symbols/$pdb/$guid$(printf '%X' "${record##* }")/$pdb, symbols/$(basename "$b")/$(printf '%08X' $((0x$stamp)))$size/$(basename "$b")"
    cmp "$kit/debug/$pdb" "$kit/symbols/$pdb/$guid$(printf '%X' "${record##* }")/$pdb" &&
      cmp "$kit/$b" "$kit/symbols/$(basename "$b")/$(printf '%08X' $((0x$stamp)))$size/$(basename "$b")" || return 1
    expected=$((expected + 2))
  done
  record=$(codeview "$tree/bin/raidcfg32.exe") || return 1  # the stand-in orb2.dll carries: its PDB
  cmp "$kit/debug/raidcfg32.pdb" "$kit/symbols/raidcfg32.pdb/$(cut -d' ' -f2 <<<"$record" | tr -d '{}-')$(printf '%X' "${record##* }")/raidcfg32.pdb" &&
    [ "$(find "$kit/symbols" -type f | wc -l)" -eq $((expected + 1)) ]
}
check "symbols/ holds every binary and PDB where a symbol server's layout puts them" symbol_store
# What a debugger shows for an export's address, from the binary's own PDB: the function, its
# source file and a line of its definition, its opening brace or its first statement.
names_function() {  # names_function BINARY PDB EXPORT SOURCE, the PDB put beside the binary
  local dir=$work/symbols/$3 image base rva answer file line
  pdb_matches "$1" "$2" || return 1
  rm -rf "$dir" && mkdir -p "$dir" && cp "$1" "$dir/" && cp "$2" "$dir/$(codeview "$1" | cut -d' ' -f1)" || return 1
  image=$dir/$(basename "$1")
  base=$(llvm-objdump -p "$image" | awk '$1 == "ImageBase" {print $2}')
  rva=$(llvm-readobj --coff-exports "$image" | awk -v n="$3" '$1 == "Name:" && $2 == n {getline; print $2}')
  [ -n "$base" ] && [ -n "$rva" ] || return 1
  answer=$(llvm-symbolizer --obj="$image" "$(printf '0x%x' $((0x$base + rva)))")
  echo "$3 at $(printf '0x%x' $((0x$base + rva))): $(tr '\n' ' ' <<<"$answer")"
  file=$(sed -n '2s/:[0-9]*:[0-9]*$//p' <<<"$answer" | tr '\\' /) line=$(sed -n '2s/.*:\([0-9]*\):[0-9]*$/\1/p' <<<"$answer")
  [ "$(head -n 1 <<<"$answer")" = "$3" ] && [[ "$file" == */src/$4 ]] && [ "${line:-0}" -gt 2 ] &&
    [ "$(sed -n "$((line - 2)),${line}p" "$4" | grep -c "$3(")" -gt 0 ]
}
check "llvm-symbolizer names KVFunc, its file and line, from orb2.pdb" \
  names_function "$kit/bin/orb2.dll" "$kit/debug/orb2.pdb" KVFunc inventory/query/kvfunc.cpp
check "llvm-symbolizer names ChangeDirName, its file and line, from OrbLib.pdb" \
  names_function "$kit/bin/OrbLib.dll" "$kit/debug/OrbLib.pdb" ChangeDirName automation/console/console_environment_win32.cpp
other_pdb() {  # OrbLib.pdb under the name orb2.pdb: the name matches, the GUID must refuse it
  local dir=$work/swapped
  rm -rf "$dir" && mkdir -p "$dir" && cp "$kit/debug/OrbLib.pdb" "$dir/orb2.pdb" &&
    ! pdb_matches "$kit/bin/orb2.dll" "$dir/orb2.pdb"
}
check "another binary's PDB in orb2.pdb's place, under its name, is refused by its GUID" other_pdb
check "the kit's binaries load and run on Windows XP (imports, PE header, instructions, TLS, unwinding, bool results)" bash -c "
  mkdir -p '$work/xp' && cp '$kit'/bin/* '$kit'/tools/*.exe '$kit'/debug/*.pdb '$work/xp/' &&
  mv '$work/xp/orb2_tray.exe' '$work/xp/OrbTray.exe' &&
  tests/binaries/check_binaries.sh i686-w64-mingw32-objdump '$work/xp' i686 tests/binaries/windows_imports.tsv"

# The stand-in said where an integrator looks; --release refuses it.
check "the guide's first line names the stand-in" bash -c "head -n 1 '$kit/INTEGRATION.txt' | grep -q '^NOT FOR RELEASE: .*stand-in'"
# orb2.dll's own version resource: the one whose OriginalFilename is orb2.dll (resource 1004, the
# stand-in, carries one too). Its fixed part starts with the signature 0xFEEF04BD.
own_version() {  # own_version FILE: the resource's bytes from the signature on
  local at
  for at in $(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | cut -d: -f1); do
    dd if="$1" of="$work/version" iflag=skip_bytes,count_bytes skip="$at" count=2048 status=none &&
      strings -el "$work/version" | grep -A1 -xF OriginalFilename | grep -qxF orb2.dll && return 0
  done
  return 1
}
version_text() { strings -el "$work/version" | grep -A1 -xF "$1" | sed -n 2p; }
special_build_flag() {  # VS_FIXEDFILEINFO.dwFileFlags, 28 bytes after the signature: VS_FF_SPECIALBUILD
  [ $(( 0x$(od -An -tx4 -j 28 -N4 "$work/version" | tr -d ' ') & 0x20 )) -ne 0 ]
}
standin_properties() {  # Windows 7's Details tab shows the description; XP's Version tab the rest
  own_version "$kit/bin/orb2.dll" && version_text FileDescription | grep -q "NOT FOR RELEASE" &&
    version_text SpecialBuild | grep -q "raidcfg32.exe stand-in" && special_build_flag
}
check "orb2.dll's properties name the stand-in (description, special build)" standin_properties

# The package beside the zip: the kit's binaries at their version, the stand-in's name, its
# actions where they must run.
msi=$out/$standin.msi
package_files() {
  local dir=$work/msi-files name files
  rm -rf "$dir" && mkdir -p "$dir" && msiextract -C "$dir" "$msi" >/dev/null || return 1
  for name in bin/orb2.dll bin/OrbLib.dll bin/orb2_tray.exe tools/trace_viewer.exe tools/orb_restore.exe; do
    cmp "$kit/$name" "$(find "$dir" -name "$(basename "$name")")" || return 1
  done
  files=$(msiinfo export "$msi" File | tr -d '\r' | awk -F'\t' 'NR > 3 {print $3, $5}' | LC_ALL=C sort)
  echo "$files"
  [ "$files" = "$(printf "%s $version\n" OrbLib.dll orb2.dll orb2_tray.exe orb_restore.exe trace_viewer.exe)" ]
}
check "the package carries the kit's five binaries, each at the kit's version" package_files
package_properties() {
  local properties
  properties=$(msiinfo export "$msi" Property | tr -d '\r')
  grep -E '^Product(Name|Version)' <<<"$properties"
  grep -qx "ProductName.ORB support layer - NOT FOR RELEASE (raidcfg32.exe stand-in)" <<<"$properties" &&
    grep -qx "ProductVersion.${version%.*.*}.${version##*.}" <<<"$properties"
}
check "the package names the stand-in and its version is major.minor.build" package_properties
actions_placed() {  # the tray stopped first; the older version removed before anything is installed;
  local sequence  # what the removal gives back before the files go; the autostart value after them
  sequence=$(msiinfo export "$msi" InstallExecuteSequence | tr -d '\r')
  at() { awk -F'\t' -v action="$1" '$1 == action {print $3}' <<<"$sequence"; }
  local order=(OrbStopTray InstallValidate RemoveExistingProducts InstallInitialize OrbRemove RemoveFiles
               InstallFiles OrbAutostart InstallFinalize) i
  for ((i = 0; i < ${#order[@]}; i++)); do echo "${order[i]} $(at "${order[i]}")"; done
  for ((i = 1; i < ${#order[@]}; i++)); do
    [ -n "$(at "${order[i - 1]}")" ] && [ "$(at "${order[i - 1]}")" -lt "$(at "${order[i]}")" ] || return 1
  done
}
check "the package's actions run in their places" actions_placed

# --release: each refusal with its own exit code and one line that says why, in the fresh tree
# configured with each tool in turn (only orb2.dll's resources are built again).
refused() {  # refused CODE WORDS TOOL: --release with TOOL configured exits CODE, printing WORDS
  local code=$1 words=$2 tool=$3 output status
  cmake -S "$source_copy" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/$source_copy/cmake/mingw-i686.cmake" -DORB_RAIDCFG32="$tool" >/dev/null || return 1
  output=$(package "$out" "$tree" --release 2>&1)
  status=$?
  echo "exit $status: $output"
  [ "$status" -eq "$code" ] && [ "$(wc -l <<<"$output")" -eq 1 ] && grep -q "$words" <<<"$output"
}
without_tool() {
  local output
  output=$(package "$out" "$tree" --release 2>&1)
  [ $? -eq 3 ] && grep -q "stand-in" <<<"$output"
}
check "--release refuses a tree without a tool (exit 3)" without_tool
check "--release refuses the stand-in named as the tool (exit 4)" refused 4 "stand-in" "$root/$tree/bin/raidcfg32.exe"
cp README.md "$work/raidcfg32.txt"
check "--release refuses a text file (exit 5)" refused 5 "not a 32-bit Windows console program" "$root/$work/raidcfg32.txt"
other_tool=$root/build/win32/bin/orbinv.exe  # a PE32 console program without Intel's name
check "--release refuses a PE32 without Intel's company name (exit 6)" refused 6 "not Intel" "$other_tool"
intel_named() {  # a console program whose version resource names Intel passes the tool check
  printf 'int main(void) { return 0; }\n' >"$work/named.c" &&
    printf '1 VERSIONINFO\nBEGIN\nBLOCK "StringFileInfo"\nBEGIN\nBLOCK "040904B0"\nBEGIN\nVALUE "CompanyName", "Intel Corporation"\nEND\nEND\nEND\n' >"$work/named.rc" &&
    i686-w64-mingw32-windres "$work/named.rc" -O coff -o "$work/named.res.o" &&
    i686-w64-mingw32-gcc-win32 -o "$work/named.exe" "$work/named.c" "$work/named.res.o" &&
    scripts/check-raid-tool.sh "$work/named.exe"
}
check "a console program whose version resource names Intel passes the tool check" intel_named
release_zip=$out/orb-support-$version-win32.zip
release_kit() {  # the tool without Intel's name, accepted by its SHA-256: a kit without warnings
  ORB_RAIDCFG32_SHA256=$(sha256sum "$other_tool" | cut -d' ' -f1) package "$out" "$tree" --release &&
    [ -f "$release_zip" ] &&
    [ "$(unzip -p "$release_zip" "orb-support-$version-win32/INTEGRATION.txt" | grep -c "NOT FOR RELEASE")" -eq 0 ] &&
    unzip -p "$release_zip" "orb-support-$version-win32/bin/orb2.dll" >"$work/release-orb2.dll" &&
    own_version "$work/release-orb2.dll" && ! version_text FileDescription | grep -q "NOT FOR RELEASE" &&
    [ "$(strings -el "$work/release-orb2.dll" | grep -c "stand-in")" -eq 0 ] && ! special_build_flag &&
    python3 -c 'import sys; sys.exit(open(sys.argv[2], "rb").read().find(open(sys.argv[1], "rb").read()) < 0)' \
      "$other_tool" "$work/release-orb2.dll" &&
    msiinfo export "${release_zip%.zip}.msi" Property | tr -d '\r' | grep -qx "ProductName.ORB support layer"
}
check "--release packs the tool its SHA-256 names, its bytes whole in orb2.dll, without the stand-in's warnings" release_kit

# Signing with a throwaway certificate, in the test's folder only, every signature time-stamped by
# a time-stamp server of the test's own on 127.0.0.1 (stopped by its PID when the test ends).
cert=$work/cert.pem key=$work/key.pem tsa=$work/tsa session=$work/wine
cleanup() {
  testing/standins/timestamp_server/timestamp-server.sh stop "$tsa" >/dev/null 2>&1
  [ ! -d "$session" ] || testing/session/wine-session.sh stop "$session" >/dev/null 2>&1
}
trap cleanup EXIT
check "a throwaway code-signing certificate" openssl req -x509 -newkey rsa:2048 -nodes -days 2 \
  -subj "/CN=ORB kit test" -addext "extendedKeyUsage=codeSigning" -keyout "$key" -out "$cert"
start_tsa() { tsa_url=$(testing/standins/timestamp_server/timestamp-server.sh start "$tsa") && echo "$tsa_url"; }
check "a time-stamp server on 127.0.0.1" start_tsa
signed=$work/signed/$standin
sign_kit() {  # sign_kit DIR TREE: a signed, time-stamped kit of TREE in DIR (grep reads the whole output)
  ORB_SIGN_CERT=$root/$cert ORB_SIGN_KEY=$root/$key ORB_TIMESTAMP_URL=${tsa_url:-none} package "$1" "$2" |
    grep "time-stamped by" >/dev/null
}
check "a signed kit" sign_kit "$work/signed" build/win32
verified() {  # verified FILE [ARGS...]: two signatures, SHA-1 then SHA-256 nested, each verifying
  local output  # with its time stamp's countersignature
  output=$(osslsigncode verify -CAfile "$cert" -TSA-CAfile "$tsa/tsa.pem" "${@:2}" -in "$1") || return 1
  grep -E 'Signature Index|digest algorithm +:|Timestamp time|verification|Number of' <<<"$output"
  [ "$(sed -n 's/^Message digest algorithm \+: *//p' <<<"$output" | tr -d ' ' | tr '\n' ' ')" = "SHA1 SHA256 " ] &&
    [ "$(grep -c "^Timestamp Server Signature verification: ok" <<<"$output")" -eq 2 ] &&
    [ "$(grep -c "^Signature verification: ok" <<<"$output")" -eq 2 ] &&
    grep -q "^Number of verified signatures: 2" <<<"$output"
}
for binary in bin/orb2.dll bin/OrbLib.dll bin/orb2_tray.exe tools/trace_viewer.exe tools/orb_restore.exe; do
  check "$binary's two signatures (SHA-1, SHA-256) and their time stamps verify" verified "$signed/$binary"
done
later=$(( $(date +%s) + 5 * 86400 ))  # both throwaway certificates expired (2 days)
check "the package's signatures and their time stamps verify" verified "$work/signed/$standin.msi"
check "a time-stamped signature verifies after its certificate has expired" \
  verified "$signed/bin/orb2.dll" -time "$later"
untimed() {  # the same file verifies before the certificate's end, and fails after it as expired
  local output
  osslsigncode sign -certs "$cert" -key "$key" -h sha256 -in "$kit/bin/orb2.dll" -out "$work/untimed.dll" >/dev/null &&
    osslsigncode verify -CAfile "$cert" -in "$work/untimed.dll" >/dev/null || return 1
  output=$(osslsigncode verify -CAfile "$cert" -time "$later" -in "$work/untimed.dll" 2>&1) && return 1
  grep -E "expired|verification" <<<"$output"
  grep -q "certificate has expired" <<<"$output"
}
check "a signature without a time stamp verifies until its certificate expires, not after" untimed
damaged() {  # one byte of the digest the signer signed flipped: verification must fail
  local output digest
  output=$(osslsigncode verify -CAfile "$cert" -TSA-CAfile "$tsa/tsa.pem" -in "$signed/bin/orb2.dll") &&
    digest=$(sed -n 's/^\s*Message digest: \([0-9A-F]*\) *$/\1/p' <<<"$output" | head -n 1) &&
    python3 - "$digest" "$signed/bin/orb2.dll" "$work/damaged.dll" <<'PY' && ! verified "$work/damaged.dll"
import sys
digest, data = bytes.fromhex(sys.argv[1]), bytearray(open(sys.argv[2], "rb").read())
if data.count(digest) != 1:  # found as bytes, not as lines: a digest may hold a newline byte
    sys.exit("the digest is in the file %d times" % data.count(digest))
data[data.find(digest)] ^= 0xFF
open(sys.argv[3], "wb").write(data)
PY
}
check "a damaged signature does not verify" damaged

# The .lib files in the archive format of Microsoft's linker and lib.exe: two linker members, the
# second with the members' offsets and the symbols in lexical order with their member indices, and
# the longnames member, before the import objects.
microsoft_archive() {
  python3 - "$@" <<'PY'
import struct, sys
for path in sys.argv[1:]:
    data, at, members = open(path, "rb").read(), 8, []
    while at < len(data):
        size = int(data[at + 48:at + 58])
        members.append((at, data[at:at + 16].rstrip(b" "), data[at + 60:at + 60 + size]))
        at += 60 + size + (size & 1)
    names = [name for _, name, _ in members]
    assert data.startswith(b"!<arch>\n") and names[:3] == [b"/", b"/", b"//"], (path, names[:3])
    second, objects = members[1][2], members[3:]
    count = struct.unpack_from("<I", second)[0]
    offsets = struct.unpack_from("<%dI" % count, second, 4)
    assert list(offsets) == [at for at, _, _ in objects], path + ": member offsets"
    symbols = struct.unpack_from("<I", second, 4 + 4 * count)[0]
    indices = struct.unpack_from("<%dH" % symbols, second, 8 + 4 * count)
    table = second[8 + 4 * count + 2 * symbols:].split(b"\0")[:symbols]
    assert table == sorted(table) and all(1 <= i <= count for i in indices), path + ": symbol table"
    print("%s: Microsoft archive format, %d members, %d symbols" % (path, count, symbols))
PY
}
check "the .lib files are in Microsoft's archive format" microsoft_archive "$kit/lib/orb2.lib" "$kit/lib/OrbLib.lib"
# The sample caller, Microsoft-style, against the kit's .lib files.
check "the sample caller links with lld-link against the kit's .lib files" \
  tests/kit/build_sample.sh "$kit" "$work/sample" i686

# Under Wine: the kit of the host's bitness, signed.
if [ "$ORB_HOST_RUNS_32BIT" = yes ]; then
  wine_kit=$signed wine_arch=win32 sample_dir=$work/sample msi_arch=x86
else
  echo "this host runs no 32-bit code: the Wine checks take the 64-bit build's kit"
  wine_kit=$work/signed64/orb-support-$version-win64-standin wine_arch=win64 sample_dir=$work/sample64 msi_arch=x64
  check "a signed kit of the 64-bit build" sign_kit "$work/signed64" build/win64
  check "the 64-bit twin of the sample links against that kit" \
    tests/kit/build_sample.sh "$wine_kit" "$work/sample64" x86_64
fi
mkdir -p "$session" && echo "$wine_arch" >"$session/wine-arch"
check "a Wine session with a fresh prefix" testing/session/wine-session.sh start "$session"
run_sample() {
  cp "$wine_kit/bin/orb2.dll" "$wine_kit/bin/OrbLib.dll" "$sample_dir/" &&
    testing/session/wine-exec.sh "$session" "$sample_dir/orb_sample.exe"
}
check "the sample caller's checks pass under Wine against the signed DLLs" run_sample
check "the package installs, upgrades with the tray running, repairs, refuses a downgrade and uninstalls leaving nothing" \
  tests/kit/msi_test.sh "$wine_kit" "$wine_kit.msi" "$version" "$msi_arch" "$session"
check "the kit installed as its guide says starts the main application" \
  tests/kit/install_test.sh "$wine_kit" "$session" "$root/build/$([ "$wine_arch" = win32 ] && echo win32 || echo win64)/bin/orb_ii.exe"

# A crash inside the shipped 32-bit orb2.dll, read from its minidump with the kit's symbol store
# (scripts/symbolize-dump.py, as support runs it): the stack names the product's functions and
# files. The 64-bit kit's PDBs come from the tests tree, built without line tables: not run there.
crash_dump() {
  local dir=$work/crash status stack
  rm -rf "$dir" && mkdir -p "$dir" && cp "$signed/bin/orb2.dll" "$dir/" &&
    i686-w64-mingw32-gcc-win32 -O1 -o "$dir/crash_caller.exe" tests/kit/crash_caller.c || return 1
  testing/session/wine-exec.sh "$session" "$dir/crash_caller.exe" "$dir/orb2.dll" "$(testing/session/wine-exec.sh "$session" winepath -w "$dir/crash.dmp" | tr -d '\r')"
  status=$?
  [ "$status" -eq 3 ] || { echo "crash_caller exited $status, not 3 (a dump written)"; return 1; }
  stack=$(scripts/symbolize-dump.py "$dir/crash.dmp" "$signed/symbols") || return 1
  echo "$stack"
  grep -q 'LetterEquals .*inventory/query/queries.cpp:[0-9]' <<<"$stack" &&
    grep -q 'KVFunc .*inventory/query/kvfunc.cpp:[0-9]' <<<"$stack"
}
if [ "$ORB_HOST_RUNS_32BIT" = yes ]; then
  check "a crash inside orb2.dll, read from its minidump with the kit's symbols, names its functions and files" crash_dump
else
  echo "not run: a crash read from a minidump of the shipped orb2.dll (this host runs no 32-bit code)"
fi

# Nothing of the test's in build/kit, and no test signature outside the test's folder.
check "build/kit is as the test found it" bash -c "[ \"\$(ls -l --time-style=+%s build/kit 2>/dev/null)\" = '$kit_dir_before' ]"
no_test_signature() {
  local zip entry
  for zip in $(find build -name '*.zip' -not -path "$work/*"); do
    for entry in $(unzip -Z1 "$zip" | grep -E '\.(dll|exe)$'); do
      if [ "$(unzip -p "$zip" "$entry" | grep -ca "ORB kit test")" -gt 0 ]; then echo "$zip: $entry"; return 1; fi
    done
  done
}
check "no zip outside the test's folder carries the test signature" no_test_signature

echo "kit: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
