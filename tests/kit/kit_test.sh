#!/usr/bin/env bash
# kit_test.sh: the release kit as its takers meet it (scripts/package.sh).
#  - two kits built from the same commit in fresh trees are byte-identical;
#  - SHA256SUMS checks inside the kit;
#  - a kit with the raidcfg32.exe stand-in says so (name, orb2.dll's version comment, the guide's
#    first line) and --release refuses it; with a tool given, --release packs and says nothing;
#  - a C caller linked by lld-link against the kit's .lib files calls KVFunc and fnOrbLib under
#    32-bit Wine;
#  - a kit signed with a throwaway self-signed certificate verifies with osslsigncode, a damaged
#    signature does not, and the signed DLLs still load and answer under Wine.
# Works in build/kit-test; prints one line per check and "N passed, M failed".
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
  if "$@" >>"$work/log" 2>&1; then echo "PASS $name"; passed=$((passed + 1))
  else echo "FAIL $name (see $work/log)"; failed=$((failed + 1)); fi
}

version=$(sed -n 's/^project(orb VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
standin_zip=build/kit/orb-support-$version-win32-standin.zip
release_zip=build/kit/orb-support-$version-win32.zip
tree=$work/tree

# The same commit built twice in a fresh tree at the same path: the same zip.
kit_in_fresh_tree() {  # kit_in_fresh_tree COPY
  rm -rf "$tree" && ORB_KIT_TREE=$tree scripts/package.sh && cp "$standin_zip" "$1"
}
check "first kit built" kit_in_fresh_tree "$work/first.zip"
check "second kit built" kit_in_fresh_tree "$work/second.zip"
check "the two kits are byte-identical" cmp "$work/first.zip" "$work/second.zip"

kit=$work/unpacked/orb-support-$version-win32-standin
rm -rf "$work/unpacked" && mkdir -p "$work/unpacked" && unzip -q "$standin_zip" -d "$work/unpacked"
check "SHA256SUMS checks inside the kit" bash -c "cd '$kit' && sha256sum -c --quiet SHA256SUMS"
check "every binary stripped, its debug information linked" bash -c "
  for b in orb2.dll OrbLib.dll OrbTray.exe; do
    i686-w64-mingw32-objdump -h '$kit/bin/'\$b | grep -q ' .gnu_debuglink ' || exit 1
    ! i686-w64-mingw32-objdump -h '$kit/bin/'\$b | grep -q ' .debug_info ' || exit 1
    i686-w64-mingw32-objdump -h '$kit/debug/'\$b.debug | grep -q ' .debug_info ' || exit 1
  done"

# The stand-in said where nobody can miss it; --release refuses it.
check "the guide's first line names the stand-in" bash -c "head -n 1 '$kit/INTEGRATION.txt' | grep -q '^NOT FOR RELEASE: .*stand-in'"
check "orb2.dll's version resource names the stand-in" bash -c "strings -el '$kit/bin/orb2.dll' | grep -q 'raidcfg32.exe stand-in'"
refused() {
  local out
  out=$(ORB_KIT_TREE=$tree scripts/package.sh --release 2>&1)
  [ $? -eq 3 ] && grep -q "stand-in" <<<"$out"
}
check "--release refuses a kit with the stand-in" refused
# With a tool given (any file stands for Intel's here), --release packs a kit that says nothing.
release_kit() {
  local tool_tree=$work/tool-tree
  cp "$tree/bin/raidcfg32.exe" "$work/intel-raidcfg32.exe"
  cmake -S . -B "$tool_tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DORB_RAIDCFG32="$root/$work/intel-raidcfg32.exe" &&
    rm -f "$release_zip" && ORB_KIT_TREE=$tool_tree scripts/package.sh --release && [ -f "$release_zip" ] &&
    ! unzip -p "$release_zip" "orb-support-$version-win32/INTEGRATION.txt" | grep -q "NOT FOR RELEASE" &&
    ! unzip -p "$release_zip" "orb-support-$version-win32/bin/orb2.dll" | strings -el | grep -q "stand-in"
}
check "--release packs a kit with the tool, without the stand-in's warnings" release_kit

# The Microsoft-form import libraries: a caller linked by lld-link, run beside the kit's DLLs.
caller=$work/caller
link_caller() {  # link_caller KIT
  mkdir -p "$caller" &&
    clang --target=i686-pc-windows-msvc -O1 -c tests/kit/import_caller.c -I "$1/include" -o "$caller/caller.obj" &&
    lld-link /nologo /entry:KitCallerEntry /subsystem:console /nodefaultlib /safeseh:no \
      /out:"$caller/caller.exe" "$caller/caller.obj" "$1/lib/orb2.lib" "$1/lib/OrbLib.lib" &&
    cp "$1/bin/orb2.dll" "$1/bin/OrbLib.dll" "$caller/"
}
check "a C caller links with lld-link against the kit's .lib files" link_caller "$kit"

# Signing with a throwaway certificate.
cert=$work/cert.pem key=$work/key.pem
check "a throwaway code-signing certificate" openssl req -x509 -newkey rsa:2048 -nodes -days 2 \
  -subj "/CN=ORB kit test" -addext "extendedKeyUsage=codeSigning" -keyout "$key" -out "$cert"
signed=$work/signed/orb-support-$version-win32-standin
sign_kit() {  # grep reads to the end: with -q it could leave before package.sh's last line (SIGPIPE)
  ORB_SIGN_CERT=$root/$cert ORB_SIGN_KEY=$root/$key ORB_KIT_TREE=$tree scripts/package.sh | grep "signed with" >/dev/null &&
    rm -rf "$work/signed" && mkdir -p "$work/signed" && unzip -q "$standin_zip" -d "$work/signed"
}
check "a signed kit" sign_kit
for binary in orb2.dll OrbLib.dll OrbTray.exe; do
  check "$binary's signature verifies" osslsigncode verify -CAfile "$cert" -in "$signed/bin/$binary"
done
damaged() {  # one byte of the signature block changed: verification must fail
  cp "$signed/bin/orb2.dll" "$work/damaged.dll" &&
    size=$(stat -c %s "$work/damaged.dll") &&
    printf '\x55' | dd of="$work/damaged.dll" bs=1 seek=$((size - 300)) conv=notrunc status=none &&
    ! osslsigncode verify -CAfile "$cert" -in "$work/damaged.dll"
}
check "a damaged signature does not verify" damaged

# Under Wine: the caller against the unsigned kit, then against the signed DLLs.
if [ "$ORB_HOST_RUNS_32BIT" = yes ]; then
  session=$work/wine
  mkdir -p "$session" && echo win32 > "$session/wine-arch"
  trap 'scripts/wine-session.sh stop "$session" >/dev/null 2>&1' EXIT
  check "a 32-bit Wine session" scripts/wine-session.sh start "$session"
  check "the lld-link caller's KVFunc and fnOrbLib answer under Wine" \
    scripts/wine-exec.sh "$session" "$caller/caller.exe"
  cp "$signed/bin/orb2.dll" "$signed/bin/OrbLib.dll" "$caller/"
  check "the signed DLLs load and answer under Wine" scripts/wine-exec.sh "$session" "$caller/caller.exe"
else
  echo "this host runs no 32-bit code: the kit's 32-bit caller is linked but not run"
fi

echo "kit: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
