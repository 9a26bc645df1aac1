# Shared part of the MinGW-w64 toolchain files. ORB_MINGW_PREFIX names the target triple and
# ORB_MINGW_THREADS the thread model of the MinGW-w64 GCC runtime (libstdc++, libgcc) linked in:
#  - win32: no threading runtime at all. The deliverables are built with it: the posix runtime
#    links winpthreads statically, which imports KERNEL32!GetTickCount64, and Windows XP refuses
#    to load a binary that imports a function it lacks.
#  - posix: winpthreads, which std::mutex and so GoogleTest need. The test trees use it.
#
# The compiler is clang 16 and the linker LLD, against MinGW-w64's headers and import libraries
# and that GCC runtime: they write CodeView debug information and a PDB beside every binary, which
# Windows debuggers read, and clang 16 keeps the build folder's paths out of it
# (-gno-codeview-command-line), so that the same commit built in any folder gives the same bytes.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_C_COMPILER_TARGET   ${ORB_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${ORB_MINGW_PREFIX})
set(CMAKE_RC_COMPILER  ${ORB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# clang does not find Debian's GCC runtime folders (/usr/lib/gcc/<triple>/12-win32): name them.
file(GLOB ORB_MINGW_GCC_DIR /usr/lib/gcc/${ORB_MINGW_PREFIX}/*-${ORB_MINGW_THREADS})
if(NOT ORB_MINGW_GCC_DIR)
  message(FATAL_ERROR "no MinGW-w64 GCC runtime in /usr/lib/gcc/${ORB_MINGW_PREFIX}/*-${ORB_MINGW_THREADS}")
endif()
list(GET ORB_MINGW_GCC_DIR 0 ORB_MINGW_GCC_DIR)
set(ORB_LIBSTDCXX ${ORB_MINGW_GCC_DIR}/include/c++)

# What the code may assume of the processor and the system, as the GCC runtime linked in assumes:
#  - i686 (Pentium Pro: cmov, x87, no MMX or SSE) for 32 bits, what that runtime is built for
#    (i686-w64-mingw32-gcc -Q --help=target: -march=pentiumpro); clang's default for the triple
#    today, named so that a newer clang does not move it. Nothing here is bound by arithmetic, and
#    the oldest PCs the product runs on need no more.
#  - thread_local as emulated TLS (__emutls, in libgcc), as GCC builds it for MinGW: clang would
#    make implicit TLS of it, which Windows XP does not set up for a DLL loaded by LoadLibrary.
#  - type_info equality out of line, in libstdc++, as GCC itself sets it for MinGW targets: clang
#    does not, and libstdc++'s header then defines type_info::operator== inline, which an
#    unoptimised object emits beside the runtime's own definition (a duplicate symbol at the link).
# tests/binaries/check_binaries.sh refuses a 32-bit deliverable with SSE registers or implicit TLS.
set(ORB_TARGET_FLAGS "-femulated-tls -D__GXX_TYPEINFO_EQUALITY_INLINE=0")
if(ORB_MINGW_PREFIX MATCHES "^i686")
  string(APPEND ORB_TARGET_FLAGS " -march=i686")
endif()
set(CMAKE_C_FLAGS_INIT "${ORB_TARGET_FLAGS}")
string(CONCAT CMAKE_CXX_FLAGS_INIT "${ORB_TARGET_FLAGS} -isystem ${ORB_LIBSTDCXX}"
       " -isystem ${ORB_LIBSTDCXX}/${ORB_MINGW_PREFIX} -isystem ${ORB_LIBSTDCXX}/backward")

# Every binary carries its own runtime: it imports Windows system DLLs only.
# The PE header's time stamp is a hash of the binary's content (/Brepro, as Microsoft's linker
# writes it), not the link's time: symbol servers index a binary by it and its image size, and
# two builds that differ get different ones. The PDB's name and identity come from its content too,
# its paths from a fixed root rather than the build folder: two builds of one commit give the same
# bytes.
# Windows XP (5.1) is the oldest system the binaries declare, as GNU ld's defaults did; LLD's are 6.0.
# -B: the link takes GCC's crtbegin.o and crtend.o from its runtime folder, not MinGW-w64's empty
# pair in /usr/<triple>/lib, which the driver finds first. GCC's register the DWARF unwind tables
# with libgcc's unwinder; without them every throw in a 32-bit program ends it (exit code 3),
# caught or not. x86-64 unwinds through SEH tables and needs no registration.
# With the runtime linked statically, each DLL and EXE has an unwinder of its own that knows only
# its own frames: an exception thrown in one module and caught in another ends a 32-bit process.
# Nothing may throw across an export (tests/toolchain/exception_test.cpp).
set(ORB_LINK_FLAGS "-fuse-ld=lld-16 -B${ORB_MINGW_GCC_DIR} -L${ORB_MINGW_GCC_DIR}")
string(APPEND ORB_LINK_FLAGS " -static -static-libgcc -static-libstdc++")
string(APPEND ORB_LINK_FLAGS " -Wl,-Xlink=-Brepro -Wl,--pdb= -Wl,-Xlink=-pdbaltpath:%_PDB%"
       " -Wl,-Xlink=-pdbsourcepath:C:/orb")
string(APPEND ORB_LINK_FLAGS " -Wl,--major-os-version=5,--minor-os-version=1"
       " -Wl,--major-subsystem-version=5,--minor-subsystem-version=1")
if(ORB_MINGW_THREADS STREQUAL "posix")
  string(APPEND ORB_LINK_FLAGS " -lpthread")  # the posix runtime's threads (winpthreads)
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT    "${ORB_LINK_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${ORB_LINK_FLAGS}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${ORB_LINK_FLAGS}")
