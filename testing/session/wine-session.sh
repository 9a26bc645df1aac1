#!/usr/bin/env bash
# wine-session.sh start|stop BUILD_DIR
# start: a private Xvfb display and one persistent wineserver for the build tree's Wine prefix
#        (created on first use); their PIDs are kept in BUILD_DIR/wine-session.
#        Every Wine program of the session opens on Wine's virtual desktop "shell" of 1024 x 768,
#        with a taskbar and a notification area, as on a Windows user's desktop.
# stop:  ends every Wine process of the prefix, then the wineserver, the pointer holder and Xvfb,
#        by their PIDs.
set -euo pipefail
# A step that fails says which, with the last lines of every log the session's programs wrote.
show_logs() {
  local log
  for log in "${dir:-/nonexistent}"/*.log; do
    [ -s "$log" ] || continue
    echo "--- $(basename "$log"), last lines:"
    tail -n 15 "$log"
  done
}
trap 'echo "wine-session: line $LINENO failed: $BASH_COMMAND" >&2; show_logs >&2' ERR
here=$(cd "$(dirname "$0")" && pwd)
cmd=${1:?usage: wine-session.sh start|stop BUILD_DIR}
mkdir -p "${2:?usage: wine-session.sh start|stop BUILD_DIR}"
source "$here/wine-env.sh" "$2"
dir=$wine_session_dir

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds; fails after SECONDS.
wait_for() {
  local limit=$(( $1 * 10 )); shift
  for (( i = 0; i < limit; i++ )); do "$@" && return 0; sleep 0.1; done
  return 1
}
desktop_shown() { xwininfo -root -tree -display "$DISPLAY" 2>/dev/null | grep -q '"shell - Wine desktop"'; }
alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }
dead() { ! alive "$1"; }

stop() {
  if alive "$dir/wineserver.pid"; then
    "$WINESERVER" -k 2>/dev/null || true
    wait_for 30 dead "$dir/wineserver.pid" || kill -9 "$(cat "$dir/wineserver.pid")" 2>/dev/null || true
  fi
  if alive "$dir/pointer_hold.pid"; then
    kill "$(cat "$dir/pointer_hold.pid")" 2>/dev/null || true
    wait_for 10 dead "$dir/pointer_hold.pid" || kill -9 "$(cat "$dir/pointer_hold.pid")" 2>/dev/null || true
  fi
  if alive "$dir/xvfb.pid"; then
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    wait_for 10 dead "$dir/xvfb.pid" || kill -9 "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
  fi
  rm -rf "$dir"
}

case $cmd in
start)
  stop
  mkdir -p "$dir" "$WINEPREFIX"
  # Xvfb picks a free display number itself and writes it to fd 3.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
  echo $! > "$dir/xvfb.pid"
  wait_for 30 test -s "$dir/display" || { echo "wine-session: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
  # Keeps Wine from setting its modifier keys to the X keyboard's (testing/x11/no_keymap_sync),
  # built for the bitness of the tree's Wine; wine-env.sh gives it to every Wine program once it
  # is there.
  shim_source=$here/../x11/no_keymap_sync/no_keymap_sync.c
  if [ ! -f "$wine_keymap_shim" ] || [ "$shim_source" -nt "$wine_keymap_shim" ]; then
    bits=""
    [ "$WINEARCH" = win32 ] && bits=-m32
    cc $bits -O2 -Wall -shared -fPIC -o "$wine_keymap_shim" "$shim_source" -ldl
  fi
  source "$here/wine-env.sh" "$2"
  # Holds the X pointer so that Wine keeps the cursor to itself (testing/x11/pointer_hold).
  holder=$wine_build/pointer_hold
  if [ ! -x "$holder" ] || [ "$here/../x11/pointer_hold/pointer_hold.c" -nt "$holder" ] ||
     [ "$here/../x11/pointer_hold/parked_pointer.h" -nt "$holder" ]; then
    cc -O2 -Wall -o "$holder" "$here/../x11/pointer_hold/pointer_hold.c" -lX11
  fi
  setsid "$holder" >"$dir/pointer_hold.log" 2>&1 &
  echo $! > "$dir/pointer_hold.pid"
  wait_for 30 grep -q held "$dir/pointer_hold.log" ||
    { echo "wine-session: the pointer holder did not start" >&2; cat "$dir/pointer_hold.log" >&2; exit 1; }
  # On the desktop (the default) the session's own explorer opens the desktop "shell" below. A Wine
  # program that ran before it with an earlier session's value for every program still set would
  # open that desktop itself, and two desktop processes for one desktop break each other. So the
  # prefix starts without that value: taken out of the registry file while no wineserver holds it.
  if [ -f "$WINEPREFIX/user.reg" ]; then
    awk '/^\[/ { key = $0 } !(index(key, "[Software\\\\Wine\\\\Explorer]") == 1 && /^"Desktop"=/)' \
      "$WINEPREFIX/user.reg" >"$dir/user.reg" && cat "$dir/user.reg" >"$WINEPREFIX/user.reg"
  fi
  setsid "$WINESERVER" -f -p >"$dir/wineserver.log" 2>&1 &
  echo $! > "$dir/wineserver.pid"
  # A prefix is whole once wineboot -i has ended well (the mark); one that a failed start left half
  # made is made again.
  made=$WINEPREFIX/.orb-prefix-made
  if [ ! -f "$made" ]; then
    echo "wine-session: creating the Wine prefix $WINEPREFIX"
    find "$WINEPREFIX" -mindepth 1 -delete
    "${wine_command[@]}" wineboot -i </dev/null >"$dir/wineboot.log" 2>&1
    touch "$made"
  else
    # The first Wine program of a session starts Wine's services (services.exe, winedevice.exe,
    # rpcss...), which inherit its open descriptors and live until the session stops. Start them
    # here with their output in a file: started by a test, they would keep its output pipe open
    # and CTest would wait for it until the test's time-out.
    "${wine_command[@]}" wineboot </dev/null >"$dir/wineboot.log" 2>&1
  fi
  # A Wine program started from outside Wine opens on the desktop named by the registry value
  # "Desktop" of HKCU\Software\Wine\Explorer (else on the bare display, where Wine waits at every
  # window close for a window manager that isn't there); the programs it starts inherit it. Wine
  # gives a taskbar only to a desktop named "shell".
  reg=$dir/desktop.reg
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"shell"="1024x768"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="shell"\n' >"$reg"
  "${wine_command[@]}" regedit /S "Z:${reg//\//\\}" </dev/null >>"$dir/wineboot.log" 2>&1
  setsid "${wine_command[@]}" explorer.exe /desktop=shell,1024x768 </dev/null >"$dir/explorer.log" 2>&1 &
  echo $! > "$dir/explorer.pid"
  wait_for 60 desktop_shown ||
    { echo "wine-session: the virtual desktop did not appear" >&2; cat "$dir/explorer.log" >&2; exit 1; }
  desktop="virtual desktop \"shell\" 1024x768, explorer $(cat "$dir/explorer.pid")"
  echo "wine-session: DISPLAY=$DISPLAY, $desktop, wineserver $(cat "$dir/wineserver.pid"), Xvfb $(cat "$dir/xvfb.pid")"
  ;;
stop)
  stop
  echo "wine-session: stopped"
  ;;
*)
  echo "usage: wine-session.sh start|stop BUILD_DIR" >&2
  exit 2
  ;;
esac
