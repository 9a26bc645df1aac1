# Sourced with the build tree as $1: the environment every Wine program of that tree runs in.
# The prefix is private to the build tree and of the tree's bitness (BUILD/wine-arch, written when
# the tree is configured): a 32-bit tree's programs, the shipped binaries among them, run under
# 32-bit Wine in a 32-bit prefix, as on a 32-bit Windows PC; a 64-bit tree's under 64-bit Wine,
# which needs no 32-bit code on the host.
wine_build=$(cd "$1" && pwd)
# A test that holds one of several sessions (ORB_WINE_SESSION=k, testing/session/wine-claim.sh)
# runs in that session's own folder: session 0 is the tree's, session k is BUILD/wine-sessions/k,
# each with its prefix, display and desktop (testing/session/wine-sessions.sh).
if [[ "${ORB_WINE_SESSION:-0}" =~ ^[1-9][0-9]*$ ]]; then
  wine_build=$wine_build/wine-sessions/$ORB_WINE_SESSION
fi
export WINEPREFIX="$wine_build/wineprefix"
export WINEARCH=$(cat "$wine_build/wine-arch" 2>/dev/null || echo win64)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$WINEARCH" = win32 ]; then
  export WINELOADER=/usr/lib/wine/wine
  # Either wineserver serves a 32-bit prefix; the 64-bit one is there only if wine64 is.
  if [ -x /usr/lib/wine/wineserver64 ]; then export WINESERVER=/usr/lib/wine/wineserver64
  else export WINESERVER=/usr/lib/wine/wineserver32; fi
else
  export WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
fi
# Every Wine program runs with testing/x11/no_keymap_sync loaded, once wine-session.sh has built
# it for the tree's Wine: wine_command is the loader with it ("${wine_command[@]}" PROGRAM ARGS).
# Only Wine programs get it; the programs they start inherit it.
wine_keymap_shim="$wine_build/no_keymap_sync.so"
wine_command=("$WINELOADER")
if [ -f "$wine_keymap_shim" ]; then
  wine_command=(env "LD_PRELOAD=$wine_keymap_shim${LD_PRELOAD:+:$LD_PRELOAD}" "$WINELOADER")
fi
wine_session_dir="$wine_build/wine-session"
if [ -f "$wine_session_dir/display" ]; then
  DISPLAY=":$(head -n 1 "$wine_session_dir/display")"
  export DISPLAY
fi
