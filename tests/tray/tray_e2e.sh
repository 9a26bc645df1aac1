#!/usr/bin/env bash
# tray_e2e.sh BUILD ARTIFACTS PROGRAM: runs the end-to-end test program in the build tree's Wine
# session and takes the screenshots it asks for: when ARTIFACTS/<name>.request appears (holding
# "left top right bottom" of the region to keep), the X screen is saved as ARTIFACTS/<name>.png
# (cropped to that region with a margin) and ARTIFACTS/<name>.done is written.
set -uo pipefail
build=$1 artifacts=$2 program=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/testing/session/wine-env.sh" "$build"
mkdir -p "$artifacts"
rm -f "$artifacts"/*.request "$artifacts"/*.done
log=$artifacts/tray_e2e_test.log
start=$(date +%s.%N)

# Output to a file: Wine's services started by the test inherit it (see run_logged.sh).
ORB_TRAY_ARTIFACTS="Z:${artifacts//\//\\}" "$root/testing/session/wine-exec.sh" "$build" "$program" \
  >"$log" 2>&1 </dev/null &
pid=$!

shoot() {  # shoot NAME
  local name=$1 crop=""
  read -r left top right bottom < "$artifacts/$name.request" || true
  if [ -n "${bottom:-}" ]; then
    local margin=40 x y
    x=$(( left > margin ? left - margin : 0 )) y=$(( top > margin ? top - margin : 0 ))
    crop="-crop $(( right - left + 2 * margin ))x$(( bottom - top + 2 * margin ))+$x+$y +repage"
  fi
  # shellcheck disable=SC2086
  xwd -root -silent -display "$DISPLAY" | convert xwd:- $crop "png:$artifacts/$name.png"
  echo "screenshot $artifacts/$name.png" >> "$artifacts/screenshots.log"
  touch "$artifacts/$name.done"
}

while kill -0 "$pid" 2>/dev/null; do
  for request in "$artifacts"/*.request; do
    [ -e "$request" ] || continue
    name=$(basename "$request" .request)
    [ -e "$artifacts/$name.done" ] || shoot "$name"
  done
  sleep 0.1
done
wait "$pid"
status=$?
cat "$log"
cat "$artifacts/screenshots.log" 2>/dev/null
awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "tray_e2e: %.1f s\n", b - a }'
exit "$status"
