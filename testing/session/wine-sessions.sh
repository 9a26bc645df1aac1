#!/usr/bin/env bash
# wine-sessions.sh start|stop BUILD_DIR: the build tree's Wine sessions, as many as
# ORB_WINE_SESSIONS says (1 when unset): session 0 is the tree's own (BUILD_DIR), session k runs in
# BUILD_DIR/wine-sessions/k. Each is a whole wine-session.sh session: its own prefix, wineserver,
# Xvfb display, virtual desktop and pointer holder, started and stopped by PID, so that tests in
# different sessions share nothing but the build tree's files.
# The first prefix is made once (wineboot -i, about 8 s of CPU) and copied for the others.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmd=${1:?usage: wine-sessions.sh start|stop BUILD_DIR}
build=$(cd "${2:?usage: wine-sessions.sh start|stop BUILD_DIR}" && pwd)
count=${ORB_WINE_SESSIONS:-1}

session_dir() { if [ "$1" -eq 0 ]; then echo "$build"; else echo "$build/wine-sessions/$1"; fi; }

# start_one DIR LOG: starts the session of DIR with its output in LOG. A start that fails is stopped
# and started once more, and its output kept in BUILD/wine-session-retries.log, which
# testing/session/wine-tests.sh prints: a fresh machine's first start failed now and then within
# a second, with no output kept to tell why.
start_one() {
  "$here/wine-session.sh" start "$1" >"$2" 2>&1 && return 0
  printf 'wine-sessions: the session of %s did not start, and was started once more; its output:\n%s\n' \
    "$1" "$(sed 's/^/  | /' "$2")" >>"$build/wine-session-retries.log"
  "$here/wine-session.sh" stop "$1" >/dev/null 2>&1 || true
  "$here/wine-session.sh" start "$1" >"$2" 2>&1
}

stop_all() {
  # Every session that a run with more sessions may have left, not only ORB_WINE_SESSIONS.
  for dir in "$build" "$build"/wine-sessions/*; do
    [ -d "$dir" ] && "$here/wine-session.sh" stop "$dir" >/dev/null 2>&1 &
  done
  wait
}

case $cmd in
start)
  stop_all
  rm -f "$build/wine-session-retries.log"
  if [ "$count" -gt 1 ]; then
    if [ ! -f "$build/wineprefix/.orb-prefix-made" ]; then
      # Made and left by its own session, so that the wineserver has written the registry out.
      if ! start_one "$build" "$build/wine-session-0.log"; then
        cat "$build/wine-session-retries.log" "$build/wine-session-0.log" >&2
        exit 1
      fi
      "$here/wine-session.sh" stop "$build" >/dev/null
    fi
    for ((k = 1; k < count; k++)); do
      dir=$(session_dir "$k")
      rm -rf "$dir" && mkdir -p "$dir"
      cp "$build/wine-arch" "$dir/"
      # Wine's own DLLs (about 600 MB in system32) are hard links: no test writes there. The rest,
      # the registry files among them, is copied.
      mkdir -p "$dir/wineprefix"
      tar -C "$build/wineprefix" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$dir/wineprefix" -xf -
      cp -al "$build/wineprefix/drive_c/windows/system32" "$dir/wineprefix/drive_c/windows/"
    done
  fi
  pids=()
  for ((k = 0; k < count; k++)); do
    start_one "$(session_dir "$k")" "$build/wine-session-$k.log" &
    pids+=($!)
  done
  status=0
  for ((k = 0; k < count; k++)); do
    if wait "${pids[k]}"; then
      echo "session $k: $(tail -n 1 "$build/wine-session-$k.log")"
    else
      echo "session $k did not start:" >&2
      cat "$build/wine-session-$k.log" >&2
      status=1
    fi
  done
  [ ! -f "$build/wine-session-retries.log" ] || cat "$build/wine-session-retries.log"
  exit "$status"
  ;;
stop)
  stop_all
  echo "wine-sessions: stopped"
  ;;
*)
  echo "usage: wine-sessions.sh start|stop BUILD_DIR" >&2
  exit 2
  ;;
esac
