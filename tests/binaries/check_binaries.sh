#!/usr/bin/env bash
# check_binaries.sh OBJDUMP BIN_DIR PROCESSOR
# Each deliverable must be a PE image for the processor, import Windows system DLLs only (no
# MinGW runtime DLL) and export exactly the expected names.
set -uo pipefail
objdump=$1 bin=$2 processor=$3
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
  [orb2.dll]="KVFunc"
  [OrbLib.dll]="??0COrbLib@@QAE@XZ ??4COrbLib@@QAEAAV0@ABV0@@Z fnOrbLib nOrbLib ShellRunIntel_IM95 ShellRunIntel95 ShellRunIntel95_HDD_S ShellRunIntel95_HDD_UP ShellRunIntel95_HDD_DOWN ShellRunIntel95_HDD_DOWN_SPACE ShellRunIntel95_RAID_HDD_Count ShellRunIntel95_HDD_Count_End ShellRunIntel95_ConfirmVol ShellRunIntel95_Down ShellRunIntel95_RAID ShellRunIntel95_RAID_HDD_Count_End ShellRunIntel ShellRunIntelMSM SetSourceHDD SetMemberHDD SetMemberDown ShellRunIntelMSM_R ShellRunIntelMSM_R2 ShellRunIntelMSM_R3 SetSourceHDD_R SetMemberHDD_R SetMemberDown_R ChangeDirName"
  [OrbTray.exe]=""
)

fail() { echo "FAIL $*"; failures=$((failures + 1)); }

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
  # The COrbLib members keep the thiscall convention: the object arrives in ECX and the callee
  # removes its stack arguments (the assignment operator returns with "ret $0x4").
  checks=$((checks + 1))
  "$objdump" -d "$bin/OrbLib.dll" | grep -A12 '<_\?COrbLib_Assign' | grep -q 'ret\s*\$0x4' ||
    fail "OrbLib.dll: the COrbLib assignment operator is not thiscall"
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
