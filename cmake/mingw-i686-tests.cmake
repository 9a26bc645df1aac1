# The Windows tests of the 32-bit product, run under 32-bit Wine. GoogleTest needs the posix
# thread-model runtime; the deliverables themselves come from the product tree (ORB_SHIPPED_BIN_DIR).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORB_MINGW_PREFIX i686-w64-mingw32)
set(ORB_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
