#!/usr/bin/env bash
# build_sample.sh KIT_DIR OUT_DIR [i686|x86_64]: builds the kit's sample caller (kit/sample) as a
# Visual C++ user would, with clang and lld-link in place of cl and link: objects in Microsoft's
# format and ABI, linked against KIT_DIR/lib/orb2.lib and OrbLib.lib, headers from
# KIT_DIR/include, no MinGW runtime. Writes OUT_DIR/orb_sample.exe (a console program).
# This host has no Microsoft SDK and no Microsoft C runtime, so:
#  - <windows.h> and the C headers are MinGW-w64's; they expect what GCC predefines (__GNUC__,
#    _X86_ or _AMD64_), and printf declared as msvcrt.dll's, not MinGW's own;
#  - kernel32.lib and msvcrt.lib are made from the .def files in msvc_crt/, which list what the
#    sample calls, and msvc_crt/startup.c stands in for the runtime's program start.
# The sample's sources are also compiled as Visual C++ 2005 would see them (-fms-compatibility-
# version=14.00), the oldest compiler the headers support.
# x86_64 builds a 64-bit twin against a 64-bit build's DLLs (KIT_DIR/lib/*.lib made with
# llvm-dlltool -m i386:x86-64), so that hosts which run no 32-bit code can run the sample.
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 KIT_DIR OUT_DIR [i686|x86_64]" >&2
  exit 2
fi
kit=$1 out=$2 arch=${3:-i686}
root=$(cd "$(dirname "$0")/../.." && pwd)
sample=$root/kit/sample crt=$root/tests/kit/msvc_crt
case $arch in
  i686) machine=i386 defines=(-D_X86_) subsystem=console,5.01 ;;  # 5.01: loads on Windows XP
  x86_64) machine=i386:x86-64 defines=(-D_AMD64_) subsystem=console ;;
  *) echo "build_sample.sh: ARCH is i686 or x86_64, not $arch" >&2; exit 2 ;;
esac
run() {  # run COMMAND...: runs it, names it when it fails
  "$@" || { echo "build_sample.sh: failed: $*" >&2; exit 1; }
}
mkdir -p "$out"

# 32-bit stdcall imports are named with @ and their argument bytes, 64-bit ones without.
for dll in kernel32 msvcrt; do
  if [ "$arch" = i686 ]; then cp "$crt/$dll.def" "$out/$dll.def"
  else sed 's/@[0-9]*$//' "$crt/$dll.def" > "$out/$dll.def"; fi
  run llvm-dlltool -m "$machine" -k -d "$out/$dll.def" -l "$out/$dll.lib"
done

cflags=(--target="$arch-pc-windows-msvc" -O1 -Wall -Werror -fgnuc-version=4.2.1 "${defines[@]}"
        -D__USE_MINGW_ANSI_STDIO=0 -isystem /usr/share/mingw-w64/include -I "$kit/include")
run clang "${cflags[@]}" -c "$sample/orb_sample.c" -o "$out/orb_sample.obj"
run clang "${cflags[@]}" -c "$sample/orb_sample_class.cpp" -o "$out/orb_sample_class.obj"
run clang "${cflags[@]}" -c "$crt/startup.c" -o "$out/startup.obj"
# The oldest compiler the headers name, Visual C++ 2005: _MSC_VER 1400, C without <stdbool.h>.
mkdir -p "$out/vc2005"
for source in orb_sample.c orb_sample_class.cpp; do
  run clang "${cflags[@]}" -fms-compatibility-version=14.00 -c "$sample/$source" -o "$out/vc2005/${source%.*}.obj"
done
run lld-link /nologo /subsystem:$subsystem /nodefaultlib /out:"$out/orb_sample.exe" \
  "$out/orb_sample.obj" "$out/orb_sample_class.obj" "$out/startup.obj" \
  "$kit/lib/orb2.lib" "$kit/lib/OrbLib.lib" "$out/kernel32.lib" "$out/msvcrt.lib"
echo "build_sample.sh: $out/orb_sample.exe"
