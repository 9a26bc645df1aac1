#!/usr/bin/env bash
# msi_test.sh KIT MSI VERSION x86|x64 SESSION: the kit's Windows Installer package through a
# product's life in SESSION's fresh Wine prefix, run as a setup runs it (msiexec ... /qn):
#  1. install: the files where the guide says, the autostart value under the key the tray's own
#     rule picks for the Windows version Wine reports, with the data the tray writes; the tray
#     started from that value runs;
#  2. upgrade with the tray running, to a package of the next build (KIT's binaries with the build
#     number raised in their version resources, what Windows Installer compares): the tray stopped,
#     every file replaced, the value kept;
#  3. repair: a deleted file comes back from the same package run again with REINSTALL=ALL
#     (Wine's msiexec has no /f of an installed product);
#  4. downgrade: the older package refused by its launch condition, which carries the message;
#     nothing changed;
#  5. uninstall with the tray running and Intel's consoles' resources left hidden by a run that
#     died: the tray stopped, the resources given back, and the prefix's Program Files folders,
#     its Windows Installer folder and its HKLM\Software and HKCU\Software compared with their
#     state before the install: nothing lost, nothing of ours left (what Wine adds of its own
#     meanwhile, such as its network cards' keys, is listed).
# KIT is MSI's unpacked kit, VERSION its binaries' version. Prints each step; exits 1 at the first
# that fails. Every wait is a bounded poll for a condition.
set -uo pipefail
kit=${1:?usage: msi_test.sh KIT MSI VERSION x86|x64 SESSION} msi=${2:?} version=${3:?} arch=${4:?} session=${5:?}
root=$(cd "$(dirname "$0")/../.." && pwd)
session=$(cd "$session" && pwd)
prefix=$session/wineprefix
work=$session/msi-test
rm -rf "$work" && mkdir -p "$work"
wine() { "$root/testing/session/wine-exec.sh" "$session" "$@"; }
unix_path() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
fail() { echo "FAILED: $*"; exit 1; }
poll() {  # poll SECONDS COMMAND...
  local i
  for ((i = 0; i < $1 * 10; i++)); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}
# msiexec ACTION PACKAGE [PROPERTIES...], quiet, logged to $work/LOGNAME.log; its exit code (Wine
# passes on its low byte: 1603 arrives as 67).
log_name=msi
msiexec() {
  local status
  wine msiexec "$1" "$(wine winepath -w "$2" 2>/dev/null | tr -d '\r')" "${@:3}" /qn \
    /l*v "$(wine winepath -w "$work/$log_name.log" 2>/dev/null | tr -d '\r')" >/dev/null 2>&1
  status=$?
  echo "msiexec $1 $(basename "$2") ${*:3}: exit $status"
  return "$status"
}

program_files=$(unix_path "$(wine cmd /c echo '%ProgramFiles%' | tr -d '\r')")
[ -d "$program_files" ] || fail "no Program Files folder in the prefix"
folder=$program_files/korvante/orb_ii
installed=(orb2.dll bin/orb2.dll OrbLib.dll bin/OrbLib.dll orb2_tray.exe bin/orb2_tray.exe
           tools/trace_viewer.exe tools/trace_viewer.exe tools/orb_restore.exe tools/orb_restore.exe)
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion'
value_of() {  # value_of KEY: the data of ORB_II under $run_key\KEY, empty when none
  wine reg query "$run_key\\$1" /v ORB_II 2>/dev/null | tr -d '\r' | sed -n 's/^ *ORB_II *REG_SZ *//p'
}
# The tray's rule: RunOnce on Windows NT 6 (Vista, 7: Wine reports 7), else Run.
tray_key=RunOnce other_key=Run
running() {  # running PATTERN: this prefix's processes whose command line matches
  local pid
  for pid in $(pgrep -f "$1"); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" && echo "$pid"
  done
}
tray_pids() { running 'orb2_tray\.exe'; }
no_tray() { [ -z "$(tray_pids)" ]; }
value_written() { [ -n "$(value_of "$tray_key")" ]; }
start_tray() {  # the tray, started from its autostart value, runs once it has written the value again
  local value
  value=$(value_of "$tray_key")
  [ -n "$value" ] || fail "no autostart value to start the tray from"
  wine reg delete "$run_key\\$tray_key" /v ORB_II /f >/dev/null 2>&1
  wine "$(unix_path "$(sed 's/^"\(.*\)"$/\1/' <<<"$value")")" >/dev/null 2>&1 </dev/null &
  poll 60 value_written || fail "the tray started from \"$value\" wrote no autostart value within 60 s"
  [ "$(value_of "$tray_key")" = "$value" ] || fail "the tray wrote $(value_of "$tray_key"), the package $value"
  echo "the tray runs (process $(tray_pids | tr '\n' ' ')), started from its autostart value $value"
}
trap 'wine taskkill /f /im orb2_tray.exe >/dev/null 2>&1' EXIT
same_files() {  # same_files KIT: every installed file is KIT's
  local i
  for ((i = 0; i < ${#installed[@]}; i += 2)); do
    cmp -s "$folder/${installed[i]}" "$1/${installed[i + 1]}" || { echo "$folder/${installed[i]} is not $1/${installed[i + 1]}"; return 1; }
  done
}
# What a setup leaves behind: the files and folders (with sizes) in both Program Files folders and
# in the Windows Installer folder (which Windows has, and Wine makes at the first install), and
# every registry key and value of the machine and of the user, a value on a line with its key
# (but for Windows Installer's own empty keys, which Windows has, and Wine makes at the first
# install).
snapshot() {  # snapshot NAME
  local hive
  (cd "$prefix/drive_c" && { find "Program Files" "Program Files (x86)" -printf '%p %s\n'
    find windows/Installer -mindepth 1 -printf '%p %s\n'; } 2>/dev/null | LC_ALL=C sort) >"$work/$1.files"
  for hive in HKLM HKCU; do
    wine reg export "$hive\\Software" "$(wine winepath -w "$work/$1.$hive.reg" 2>/dev/null | tr -d '\r')" /y >/dev/null 2>&1 ||
      fail "reg export $hive\\Software"
    iconv -f UTF-16 -t UTF-8 "$work/$1.$hive.reg" | tr -d '\r' |
      awk '/^\[/ {key = $0; if (key !~ /\\Installer(\\|\])/) print key; next} /^["@ ]/ {print key " " $0}' >"$work/$1.$hive.txt"
  done
}

# Intel's consoles, installed before ours: two cultures of Rapid Storage Technology with their
# resource files, two languages of Matrix Storage Manager.
rst=$program_files/Intel/Intel\(R\)\ Rapid\ Storage\ Technology msm=$program_files/Intel/Intel\ Matrix\ Storage\ Manager
resources=(IAStorDataMgr IAStorHelp IAStorIcon IAStorUI IAStorUIHelper IAStorUtil IntelVisualDesign)
for culture in de-DE fr-FR; do
  mkdir -p "$rst/$culture" && for name in "${resources[@]}"; do echo "$culture" >"$rst/$culture/$name.resources.dll"; done
done
for language in DEU FRA; do mkdir -p "$msm/$language" && echo "$language" >"$msm/$language/strings.dll"; done
snapshot before
echo "before: $(wc -l <"$work/before.files") files and folders, $(cat "$work"/before.HK*.txt | wc -l) registry keys and values"

echo "== 1. install"
log_name=install
msiexec /i "$msi" || fail "the install failed ($work/install.log)"
same_files "$kit" || fail "not every file installed"
value=$(value_of "$tray_key")
[ "$value" = "\"$(wine winepath -w "$folder/orb2_tray.exe" 2>/dev/null | tr -d '\r')\"" ] ||
  fail "autostart value under $tray_key: \"$value\", not the installed tray's quoted path"
[ -z "$(value_of "$other_key")" ] || fail "an autostart value under $other_key too"
echo "installed: $((${#installed[@]} / 2)) files; autostart value under $tray_key: $value"
start_tray

echo "== 2. upgrade with the tray running"
next=$work/next next_version=${version%.*}.$((${version##*.} + 1))
cp -a "$kit" "$next" && python3 - "$next"/bin/*.dll "$next"/bin/*.exe "$next"/tools/*.exe <<'PY' || fail "the next build's files"
import struct, sys
signature = struct.pack("<I", 0xFEEF04BD)  # VS_FIXEDFILEINFO: file and product version 8 and 16 bytes on
for path in sys.argv[1:]:
    data = bytearray(open(path, "rb").read())
    at = data.find(signature)
    if at < 0:
        sys.exit("no version resource in " + path)
    for field in (at + 12, at + 20):  # the low words of the versions' second halves: the build
        value = struct.unpack_from("<I", data, field)[0]
        struct.pack_into("<I", data, field, (value & 0xFFFF0000) | ((value + 1) & 0xFFFF))
    open(path, "wb").write(data)
PY
"$root/scripts/build-msi.sh" "$next" "$work/next.msi" "$next_version" "$arch" || fail "the next build's package"
log_name=upgrade
msiexec /i "$work/next.msi" || fail "the upgrade failed or asks for a restart ($work/upgrade.log)"
poll 10 no_tray || fail "the tray still runs after the upgrade"
same_files "$next" || fail "the upgrade left a file of the older version"
[ "$(value_of "$tray_key")" = "$value" ] || fail "the autostart value after the upgrade: \"$(value_of "$tray_key")\""
echo "upgraded to $next_version: the tray stopped, every file replaced, the autostart value kept"

echo "== 3. repair"
rm -f "$folder/OrbLib.dll"
log_name=repair
msiexec /i "$work/next.msi" REINSTALL=ALL REINSTALLMODE=omus || fail "the repair failed ($work/repair.log)"
same_files "$next" || fail "the repair did not put the deleted file back"
echo "repaired: OrbLib.dll back"

echo "== 4. downgrade"
log_name=downgrade
msiexec /i "$msi"
status=$?
[ "$status" -eq $((1603 & 255)) ] || fail "the downgrade exited $status, not 1603"
# Refused by the launch condition that carries the message (Wine's quiet log leaves the text out).
grep -aq "LaunchConditions. Return value 0" "$work/downgrade.log" || fail "the downgrade was not refused by a launch condition"
msiinfo export "$msi" LaunchCondition | tr -d '\r' | grep -q "^NOT WIX_DOWNGRADE_DETECTED.A newer version of the ORB support layer is already installed" ||
  fail "the package's downgrade condition gives no message"
same_files "$next" || fail "the refused downgrade changed a file"
echo "downgrade refused with its message; nothing changed"

echo "== 5. uninstall with the tray running and the consoles' resources hidden"
start_tray
mv "$rst/de-DE" "$rst/de-DE_X"  # a culture folder renamed
for name in "${resources[@]}"; do mv "$rst/fr-FR/$name.resources.dll" "$rst/fr-FR/$name.resources.dl"; done  # one in use: its files
mv "$msm/DEU" "$msm/DEU_C"
log_name=uninstall
msiexec /x "$work/next.msi" || fail "the uninstall failed ($work/uninstall.log)"
poll 10 no_tray || fail "the tray still runs after the uninstall"
[ -z "$(running 'orb_restore\.exe')" ] || fail "orb_restore.exe still runs"
snapshot after
echo "after: $(wc -l <"$work/after.files") files and folders, $(cat "$work"/after.HK*.txt | wc -l) registry keys and values"
# What differs from before: nothing removed, and nothing added that names us (our folders and
# files, product name, value, or any of the packages' codes, also as Windows Installer writes them
# into key names). Wine adds keys of its own meanwhile (its network cards, say): listed, not ours.
squashed() {  # squashed GUID: the GUID as Windows Installer writes it into a key's name
  local g=${1//[\{\}-]/} i out
  out=$(rev <<<"${g:0:8}")$(rev <<<"${g:8:4}")$(rev <<<"${g:12:4}")
  for ((i = 16; i < 32; i += 2)); do out+=$(rev <<<"${g:i:2}"); done
  echo "$out"
}
{
  printf '%s\n' korvante orb_ii orb2 OrbLib orb_restore trace_viewer "ORB support layer" ORB_II
  for code in $(for package in "$msi" "$work/next.msi"; do
                  msiinfo export "$package" Property | tr -d '\r' | awk -F'\t' '$1 ~ /^(ProductCode|UpgradeCode)$/ {print $2}'
                  msiinfo export "$package" Component | tr -d '\r' | awk -F'\t' 'NR > 3 {print $2}'
                done | sort -u); do
    echo "$code" && squashed "$code"
  done
} >"$work/ours.txt"
left=0
for part in files HKLM.txt HKCU.txt; do
  diff "$work/before.$part" "$work/after.$part" >"$work/left.$part.diff"
  if grep -q '^<' "$work/left.$part.diff"; then echo "removed since before the install:"; grep '^<' "$work/left.$part.diff"; left=1; fi
  if grep '^>' "$work/left.$part.diff" | grep -iqF -f "$work/ours.txt"; then
    echo "ours, left after the uninstall:"; grep '^>' "$work/left.$part.diff" | grep -iF -f "$work/ours.txt"; left=1
  fi
  added=$(grep '^>' "$work/left.$part.diff" | grep -vciF -f "$work/ours.txt")
  [ "$added" -eq 0 ] || echo "$part: $added lines added meanwhile that are not ours (Wine's own, $work/left.$part.diff)"
done
[ "$left" -eq 0 ] || fail "the prefix keeps a trace of ours, or lost what it had (above)"
echo "uninstalled: no file, folder, registry value or process of ours left; the consoles' resources back"
