# Sourced with the build tree as $1: the environment every Wine program of that tree runs in.
# The prefix is private to the build tree. The tests run the 64-bit build of the sources under
# Wine's 64-bit loader, which needs no 32-bit code on the host.
wine_build=$(cd "$1" && pwd)
export WINEPREFIX="$wine_build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
wine_session_dir="$wine_build/wine-session"
if [ -f "$wine_session_dir/display" ]; then
  DISPLAY=":$(head -n 1 "$wine_session_dir/display")"
  export DISPLAY
fi
