# The product: 32-bit Windows binaries that load on Windows XP SP3 and later.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORB_MINGW_PREFIX i686-w64-mingw32)
set(ORB_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
