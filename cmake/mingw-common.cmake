# Shared part of the MinGW-w64 toolchain files; ORB_MINGW_PREFIX names the target triple.
# The -posix compilers carry the threading support that std::mutex (and so GoogleTest) needs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${ORB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${ORB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every binary carries its own runtime: it imports Windows system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
