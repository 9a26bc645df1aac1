#!/usr/bin/env bash
# wine-claim.sh BUILD_DIR COMMAND [ARGS...]: runs COMMAND in a Wine session of the build tree that
# no other test holds, and exits with its exit code. The tree has ORB_WINE_SESSIONS sessions (1 when
# unset; testing/session/wine-sessions.sh starts them): session k is held through a lock on
# BUILD_DIR/wine-session-k.lock while COMMAND runs, and COMMAND learns k from ORB_WINE_SESSION
# (testing/session/wine-env.sh). With as many tests at once as sessions (ctest -j, as
# testing/session/wine-tests.sh runs them) a session is always free; with more, a test waits for
# one. The lock is flock's own (-o): programs that COMMAND leaves running do not hold it.
set -uo pipefail
build=$(cd "${1:?usage: wine-claim.sh BUILD_DIR COMMAND [ARGS...]}" && pwd)
shift
busy=75  # flock's exit code when the lock is held by another test
while :; do
  for ((k = 0; k < ${ORB_WINE_SESSIONS:-1}; k++)); do
    ORB_WINE_SESSION=$k flock -n -o -E "$busy" "$build/wine-session-$k.lock" "$@"
    status=$?
    [ "$status" -eq "$busy" ] || exit "$status"
  done
  sleep 0.2  # every session held: CTest runs more tests at once than there are sessions
done
