# Shared part of the MinGW-w64 toolchain files. ORB_MINGW_PREFIX names the target triple and
# ORB_MINGW_THREADS the compilers' thread model:
#  - win32: no threading runtime at all. The deliverables are built with these: the posix
#    compilers link winpthreads statically, which imports KERNEL32!GetTickCount64, and Windows XP
#    refuses to load a binary that imports a function it lacks.
#  - posix: winpthreads, which std::mutex and so GoogleTest need. The test trees use these.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${ORB_MINGW_PREFIX}-gcc-${ORB_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${ORB_MINGW_PREFIX}-g++-${ORB_MINGW_THREADS})
set(CMAKE_RC_COMPILER  ${ORB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every binary carries its own runtime: it imports Windows system DLLs only.
# No time stamp in the PE header: two builds of one commit give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
