# The same sources as 64-bit Windows binaries, for running the Windows tests under 64-bit Wine
# on hosts that execute no 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORB_MINGW_PREFIX x86_64-w64-mingw32)
set(ORB_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
