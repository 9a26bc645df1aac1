#!/usr/bin/env bash
# wine-session.sh start|stop BUILD_DIR
# start: a private Xvfb display and one persistent wineserver for the build tree's Wine prefix
#        (created on first use); their PIDs are kept in BUILD_DIR/wine-session.
# stop:  ends every Wine process of the prefix, then the wineserver and Xvfb, by their PIDs.
set -euo pipefail
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
alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }
dead() { ! alive "$1"; }

stop() {
  if alive "$dir/wineserver.pid"; then
    "$WINESERVER" -k 2>/dev/null || true
    wait_for 30 dead "$dir/wineserver.pid" || kill -9 "$(cat "$dir/wineserver.pid")" 2>/dev/null || true
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
  source "$here/wine-env.sh" "$2"
  setsid "$WINESERVER" -f -p >"$dir/wineserver.log" 2>&1 &
  echo $! > "$dir/wineserver.pid"
  if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    echo "wine-session: creating the Wine prefix $WINEPREFIX"
    "$WINELOADER" wineboot -i </dev/null >"$dir/wineboot.log" 2>&1
  else
    # The first Wine program of a session starts Wine's services (services.exe, winedevice.exe,
    # rpcss...), which inherit its open descriptors and live until the session stops. Start them
    # here with their output in a file: started by a test, they would keep its output pipe open
    # and CTest would wait for it until the test's time-out.
    "$WINELOADER" wineboot </dev/null >"$dir/wineboot.log" 2>&1
  fi
  echo "wine-session: DISPLAY=$DISPLAY, wineserver $(cat "$dir/wineserver.pid"), Xvfb $(cat "$dir/xvfb.pid")"
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
