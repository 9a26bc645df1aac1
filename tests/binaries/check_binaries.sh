#!/usr/bin/env bash
# check_binaries.sh OBJDUMP BIN_DIR PROCESSOR IMPORT_LIST
# Each deliverable must be a PE image for the processor, import Windows system DLLs only (no
# MinGW runtime DLL) and export exactly the expected names. The 32-bit ones, the raidcfg32.exe
# stand-in that orb2.dll carries and the kit's trace_viewer.exe and orb_restore.exe must load on Windows XP SP3: every
# imported function listed in IMPORT_LIST as existing on XP SP3 or earlier, OS and subsystem
# versions in the PE header no higher than 5.1.
set -uo pipefail
objdump=$1 bin=$2 processor=$3 import_list=$4
failures=0 checks=0

case $processor in
  i686) format=pei-i386 ;;
  x86_64) format=pei-x86-64 ;;
  *) echo "unknown processor $processor"; exit 2 ;;
esac

# Windows system DLLs a deliverable may import.
allowed_imports="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll msvcrt.dll"
# ... and those one deliverable adds (OrbTray initialises the common controls).
declare -A extra_imports=(
  [OrbTray.exe]="comctl32.dll"
)

declare -A expected_exports=(
  [orb2.dll]="KVFree KVFunc"
  [OrbLib.dll]="??0COrbLib@@QAE@XZ ??4COrbLib@@QAEAAV0@ABV0@@Z fnOrbLib nOrbLib ShellRunIntel_IM95 ShellRunIntel95 ShellRunIntel95_HDD_S ShellRunIntel95_HDD_UP ShellRunIntel95_HDD_DOWN ShellRunIntel95_HDD_DOWN_SPACE ShellRunIntel95_RAID_HDD_Count ShellRunIntel95_HDD_Count_End ShellRunIntel95_ConfirmVol ShellRunIntel95_Down ShellRunIntel95_RAID ShellRunIntel95_RAID_HDD_Count_End ShellRunIntel ShellRunIntelMSM SetSourceHDD SetMemberHDD SetMemberDown ShellRunIntelMSM_R ShellRunIntelMSM_R2 ShellRunIntelMSM_R3 SetSourceHDD_R SetMemberHDD_R SetMemberDown_R ChangeDirName"
  [OrbTray.exe]=""
)

# A check fails once, however many faults it finds.
declare -A failed_checks=()
fail() { echo "FAIL $*"; failed_checks[$checks]=1; failures=${#failed_checks[@]}; }

for name in orb2.dll OrbLib.dll OrbTray.exe; do
  file=$bin/$name
  checks=$((checks + 1))
  if [ ! -f "$file" ]; then fail "$name: not built"; continue; fi
  dump=$("$objdump" -p "$file")

  "$objdump" -f "$file" | grep -q "file format $format" || fail "$name: not $format"

  imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  for dll in $imports; do
    [[ " $allowed_imports ${extra_imports[$name]:-} " == *" $dll "* ]] || fail "$name: imports $dll"
  done

  # A version resource (type 16), so that the installed version can be read off the file.
  printf '%s\n' "$dump" | sed -n '/The .rsrc Resource Directory/,/Resources start/p' |
    grep -qE '^0[0-9a-f]+ +Entry: ID: 0x000010,' || fail "$name: no version resource"

  exports=$(printf '%s\n' "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -n 's/^\s*\[\s*[0-9]*\] //p' | sort)
  want=$(printf '%s\n' ${expected_exports[$name]} | sed '/^$/d' | sort)
  if [ "$exports" != "$want" ]; then
    fail "$name: exports differ"
    diff <(echo "$want") <(echo "$exports") | sed 's/^/    /'
  fi
  echo "$name: $format, imports $(echo $imports | tr ' ' ','), $(echo "$exports" | sed '/^$/d' | wc -l) exports"
done

# OrbTray's start counter: one section "Shared", shared by every copy of the image.
checks=$((checks + 1))
"$objdump" -h "$bin/OrbTray.exe" | grep -A1 -E '^\s*[0-9]+ Shared ' | grep -q 'DATA, SHARED' ||
  fail "OrbTray.exe: no shared data section \"Shared\""

if [ "$processor" = i686 ]; then
  # Windows versions in the list's order; XP SP3 is the oldest the system supports.
  declare -A rank=([95]=1 [NT4]=2 [98]=3 [2000]=4 [XP]=5 ["XP SP2"]=6 ["XP SP3"]=7 [Vista]=8 [7]=9 [8]=10 [10]=11)
  declare -A since=()
  while IFS=$'\t' read -r dll function version _; do
    [[ -z "$dll" || "$dll" == \#* ]] && continue
    [ -n "${rank[$version]:-}" ] || { fail "$import_list: unknown version \"$version\" for $dll!$function"; continue; }
    since["$dll!$function"]=$version
  done < "$import_list"

  for name in orb2.dll OrbLib.dll OrbTray.exe raidcfg32.exe trace_viewer.exe orb_restore.exe; do
    file=$bin/$name
    [ -f "$file" ] || continue
    checks=$((checks + 1))
    headers=$("$objdump" -p "$file")
    # "DLL Name: X" opens each DLL's table; its entries are "vma hint name".
    while read -r dll function; do
      version=${since["$dll!$function"]:-}
      if [ -z "$version" ]; then
        fail "$name: imports $dll!$function, which is not in $(basename "$import_list")"
      elif [ "${rank[$version]}" -gt "${rank["XP SP3"]}" ]; then
        fail "$name: imports $dll!$function, which Windows has only from $version on"
      fi
    done < <(printf '%s\n' "$headers" | awk '/^\tDLL Name: /{dll=tolower($3)} dll && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/{print dll, $3}')
    for field in OSystem Subsystem; do
      major=$(printf '%s\n' "$headers" | awk -v f="Major${field}Version" '$1 == f {print $2}')
      minor=$(printf '%s\n' "$headers" | awk -v f="Minor${field}Version" '$1 == f {print $2}')
      if [ -z "$major" ] || [ $((major * 100 + minor)) -gt 501 ]; then
        fail "$name: ${field/OSystem/OS} version ${major:-?}.${minor:-?} in the PE header is above 5.1 (Windows XP)"
      fi
    done
    [ -z "${failed_checks[$checks]:-}" ] && echo "$name: every import exists on Windows XP SP3; OS and subsystem versions 5.1 or lower"
  done

  # A field of the TLS directory that llvm-readobj printed into $tls, as a number (0 when absent).
  tls_field() { local value; value=$(sed -n "s/^ *$1: //p" <<<"$tls"); echo $((${value:-0})); }
  # What the oldest target PCs run and Windows XP sets up, in the three deliverables:
  # - the instruction set is i686 (Pentium Pro: cmov, x87), as the MinGW-w64 runtime linked in is
  #   built for: no MMX or SSE register anywhere;
  # - no implicit thread-local storage beyond the runtime's own: XP does not set up the TLS slot of
  #   a DLL loaded with LoadLibrary, so no code may read it (%fs:0x2c, the TEB's TLS array), and
  #   the TLS template holds only the runtime's 4 bytes of start and end markers (thread_local is
  #   built as emulated TLS, which needs neither);
  # - GCC's crtbegin.o linked in, which registers the DWARF unwind tables (__gcc_register_frame,
  #   named in the PDB's public symbols): without it any throw ends the process, caught or not.
  for name in orb2.dll OrbLib.dll OrbTray.exe; do
    file=$bin/$name
    [ -f "$file" ] || continue
    checks=$((checks + 1))
    code=$("$objdump" -d --no-show-raw-insn "$file")
    sse=$(grep -cE '%x?mm[0-9]|%ymm[0-9]' <<<"$code")
    [ "$sse" -eq 0 ] || fail "$name: $sse instructions use MMX or SSE registers, which an i686 processor lacks"
    tls_reads=$(grep -c '%fs:0x2c' <<<"$code")
    [ "$tls_reads" -eq 0 ] || fail "$name: $tls_reads instructions read the TLS slot (%fs:0x2c): implicit TLS"
    tls=$(llvm-readobj --coff-tls-directory "$file")
    template=$(( $(tls_field EndAddressOfRawData) - $(tls_field StartAddressOfRawData) + $(tls_field SizeOfZeroFill) ))
    [ "$template" -le 4 ] ||
      fail "$name: a TLS template of $template bytes, more than the runtime's 4: implicit TLS"
    if [ ! -f "${file%.*}.pdb" ]; then
      fail "$name: no ${name%.*}.pdb beside it"
    else
      publics=$(llvm-pdbutil dump -publics "${file%.*}.pdb")
      grep -q '`___gcc_register_frame`' <<<"$publics" ||
        fail "$name: no __gcc_register_frame: linked without GCC's crtbegin.o, its throws are never caught"
    fi
    [ -z "${failed_checks[$checks]:-}" ] &&
      echo "$name: i686 instructions only, no implicit TLS, unwind tables registered"
  done

  # Every bool export answers 0 or 1 in the whole of EAX (tests/binaries/check_bool_returns.py).
  checks=$((checks + 1))
  if [ ! -f "$bin/OrbLib.pdb" ]; then
    fail "OrbLib.dll: no OrbLib.pdb beside it, to find its functions by"
  else
    "$(dirname "$0")/check_bool_returns.py" "$(dirname "$0")/../../automation/OrbLib.h" "$bin/OrbLib.dll" \
      "$bin/OrbLib.pdb" || fail "OrbLib.dll: a bool export leaves EAX other than 0 or 1"
  fi

  # The COrbLib members keep the thiscall convention: the object arrives in ECX and the callee
  # removes its stack arguments (the assignment operator, found by its export, returns with
  # "ret $0x4").
  checks=$((checks + 1))
  assign=$(llvm-readobj --coff-exports "$bin/OrbLib.dll" |
           awk '$1 == "Name:" && $2 == "??4COrbLib@@QAEAAV0@ABV0@@Z" {getline; print $2}')
  base=$("$objdump" -p "$bin/OrbLib.dll" | awk '$1 == "ImageBase" {print $2}')
  if [ -z "$assign" ] || [ -z "$base" ]; then
    fail "OrbLib.dll: no COrbLib assignment operator exported"
  else
    start=$((0x$base + assign))
    code=$("$objdump" -d --start-address=$start --stop-address=$((start + 32)) "$bin/OrbLib.dll")
    awk '$0 ~ /\tret/ {print; exit}' <<<"$code" | grep -q 'ret *\$0x4' ||
      fail "OrbLib.dll: the COrbLib assignment operator is not thiscall"
  fi
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
