#!/usr/bin/env bash
# wine-exec.sh BUILD_DIR PROGRAM [ARGS...]: runs a Windows program in the build tree's Wine session
# and exits with its exit code.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh" "${1:?usage: wine-exec.sh BUILD_DIR PROGRAM [ARGS...]}"
shift
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-exec: no Wine session in this build tree; start one first (wine-session.sh)" >&2
  exit 2
fi
exec "${wine_command[@]}" "$@"
