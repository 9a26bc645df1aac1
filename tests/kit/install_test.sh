#!/usr/bin/env bash
# install_test.sh KIT SESSION MAIN_APPLICATION: installs the unpacked KIT into SESSION's fresh Wine
# prefix exactly as its INTEGRATION.txt says and nothing more (the lines "    bin\NAME ->
# <Program Files>\PATH"), puts MAIN_APPLICATION (the stand-in orb_ii.exe) where the main
# application's own installer would, starts the tray from its installed place, and checks that
#  - its autostart value names a file that exists, and
#  - the main application starts, with "quasp".
# Every wait is a bounded poll for a condition.
set -uo pipefail
kit=${1:?usage: install_test.sh KIT SESSION MAIN_APPLICATION} session=${2:?} main_app=${3:?}
root=$(cd "$(dirname "$0")/../.." && pwd)
wine() { "$root/testing/session/wine-exec.sh" "$session" "$@"; }
unix_path() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
poll() {  # poll SECONDS COMMAND...
  local i
  for ((i = 0; i < $1 * 10; i++)); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}

# <Program Files>: the folder a program of the kit's bitness gets for CSIDL_PROGRAM_FILES.
program_files=$(unix_path "$(wine cmd /c echo '%ProgramFiles%' | tr -d '\r')")
[ -d "$program_files" ] || { echo "no Program Files folder in the prefix"; exit 1; }

copied=0 tray=""
while IFS= read -r line; do
  if [[ "$line" =~ ^\ \ \ \ bin\\([^\ ]+)\ +-\>\ +\<Program\ Files\>\\(.+)$ ]]; then
    target=$program_files/${BASH_REMATCH[2]//\\//}
    mkdir -p "$(dirname "$target")" && cp "$kit/bin/${BASH_REMATCH[1]}" "$target" || exit 1
    echo "installed bin/${BASH_REMATCH[1]} as $target"
    [[ "$target" == *.exe ]] && tray=$target  # the kit's one program
    copied=$((copied + 1))
  fi
done < <(tr -d '\r' <"$kit/INTEGRATION.txt")
[ "$copied" -gt 0 ] || { echo "INTEGRATION.txt names no file to install"; exit 1; }
[ -n "$tray" ] || { echo "INTEGRATION.txt installs no program"; exit 1; }
folder=$program_files/korvante/orb_ii
cp "$main_app" "$folder/orb_ii.exe" || exit 1
rm -f "$folder/orb_ii.standin.log"

wine "$tray" >/dev/null 2>&1 </dev/null &
tray_pid=$!
trap 'wine taskkill /f /im "$(basename "$tray")" >/dev/null 2>&1; wait "$tray_pid" 2>/dev/null' EXIT

# The value goes under Run, or under RunOnce on Windows Vista and 7 (Wine reports 7).
autostart() {
  local key
  for key in Run RunOnce; do
    wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\$key" /v ORB_II 2>/dev/null |
      tr -d '\r' | sed -n 's/^ *ORB_II *REG_SZ *//p'
  done | head -n 1
}
has_autostart() { [ -n "$(autostart)" ]; }
if ! poll 60 has_autostart; then echo "no autostart value ORB_II after 60 s"; exit 1; fi
value=$(autostart)
named=$(unix_path "$(sed 's/^"\(.*\)"$/\1/' <<<"$value")")
echo "autostart value: $value ($named)"
[ -f "$named" ] || { echo "the autostart value names no file"; exit 1; }

log=$folder/orb_ii.standin.log
started() { [ -f "$log" ] && tr -d '\r' <"$log" | grep -q '^ *quasp$'; }
# The tray's first tick comes 20 s after its start and the start 2 s later.
if ! poll 90 started; then echo "the main application did not start within 90 s"; exit 1; fi
echo "the main application started with:$(head -n 1 "$log" | tr -d '\r')"
