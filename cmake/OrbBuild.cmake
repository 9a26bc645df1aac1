# Shared settings and helpers of every build tree.

# ORB_TREE says which build tree is being configured; every CMakeLists.txt decides by it alone
# what the tree holds (scripts/build.sh and scripts/fuzz.sh configure the trees):
#   native   host g++ (build/native): the portable logic, with no <windows.h>, and its unit tests;
#   fuzz     host clang with ORB_FUZZ=ON (build/fuzz): the portable logic and its libFuzzer targets;
#   product  MinGW-w64, win32 thread model (build/win32): the deliverables, the stand-ins, the
#            tools and the checks of the shipped binaries;
#   tests    MinGW-w64, posix thread model: every test that runs under Wine, either against a
#            product tree's binaries (build/win32-tests, ORB_SHIPPED_BIN_DIR) or, on hosts that run
#            no 32-bit code, with a 64-bit twin of every binary built here (build/win64).
# The product's own Windows sources are compiled in both Windows trees (if(WIN32)): the tests tree
# links some of them into its in-process tests.
option(ORB_FUZZ "Build the libFuzzer targets (clang): the fuzz tree" OFF)
if(WIN32 AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(ORB_DEFAULT_WINDOWS_TESTS ON)
else()
  set(ORB_DEFAULT_WINDOWS_TESTS OFF)
endif()
option(ORB_WINDOWS_TESTS "Build the tests that run under Wine: the tests tree" ${ORB_DEFAULT_WINDOWS_TESTS})
set(ORB_SHIPPED_BIN_DIR "" CACHE PATH
    "A product tree's bin folder: this tree tests its deliverables instead of building its own")
if(NOT WIN32)
  if(ORB_FUZZ)
    set(ORB_TREE fuzz)
  else()
    set(ORB_TREE native)
  endif()
elseif(ORB_WINDOWS_TESTS)
  set(ORB_TREE tests)
else()
  set(ORB_TREE product)
endif()
message(STATUS "Build tree: ${ORB_TREE}")

# The trees that only run tests are built for a short build, not for speed or debugging: their
# compile and link time is most of the test command's, and their programs' speed does not matter
# (the Windows tests wait on the product's fixed sleeps). The native tree keeps line tables for the
# sanitizers' reports; the 64-bit tests tree builds unoptimised too (a third less compile time than
# -O1, the toolchain files keeping type_info's equality in the runtime). 32-bit code that uses the
# C++ runtime is never built unoptimised: clang's unoptimised copies of a few runtime templates
# (std::string's _M_construct) do not pop their arguments as GCC's runtime calls them
# (tests/toolchain/check_empty_class_abi.sh). The shipped binaries are the product tree's.
if(ORB_TREE STREQUAL "native")
  set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O0 -g1 -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O0 -g1 -DNDEBUG")
elseif(ORB_TREE STREQUAL "tests" AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O0 -g0 -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O0 -g0 -DNDEBUG")
elseif(ORB_TREE STREQUAL "tests")
  set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O1 -g0 -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -g0 -DNDEBUG")
endif()
# orb_unshipped_code(): what the calling folder adds from here on never ships (the harness, the
# main job's programs): the product tree builds it at -O1, for a shorter build than the
# deliverables' (and not unoptimised, as above).
macro(orb_unshipped_code)
  if(ORB_TREE STREQUAL "product")
    add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-O1>)
  endif()
endmacro()
if(ORB_TREE STREQUAL "native")
  # Debian's prebuilt GoogleTest and GoogleMock (libgtest-dev, libgmock-dev).
  find_package(GTest CONFIG REQUIRED)
elseif(ORB_TREE STREQUAL "tests")
  # GoogleTest from Debian's sources, built once with this tree's compiler.
  set(ORB_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${ORB_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# The warnings of every C and C++ target of this project (not of the resource scripts, nor of
# GoogleTest, added above). GetProcAddress results are cast to their real function types, as
# Windows code does.
add_library(orb_warnings INTERFACE)
target_compile_options(orb_warnings INTERFACE
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type>)
link_libraries(orb_warnings)

if(WIN32)
  # Resource scripts with their includes as dependencies (windres's preprocessor writes them, as
  # the compilers do), so that a new build number or commit in orb_version.h rebuilds every
  # version resource: CMake gives windres no dependency flags of its own.
  set(CMAKE_RC_COMPILE_OBJECT "<CMAKE_RC_COMPILER> -O coff <DEFINES> <INCLUDES> <FLAGS> --preprocessor-arg=-MD --preprocessor-arg=-MF --preprocessor-arg=<DEP_FILE> --preprocessor-arg=-MT --preprocessor-arg=<OBJECT> <SOURCE> <OBJECT>")
endif()
if(WIN32)
  # The deliverables, the stand-ins and the Windows tests end up side by side.
  set(ORB_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${ORB_BIN_DIR})
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${ORB_BIN_DIR})
  # No "lib" prefix: the deliverables are orb2.dll and OrbLib.dll.
  set(CMAKE_SHARED_LIBRARY_PREFIX "")
  set(CMAKE_SHARED_MODULE_PREFIX "")
  enable_language(RC)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
  # CodeView debug information (the PDBs), which names source and build files relative to the tree
  # and leaves the compiler's command line out, so that the same commit built in any folder gives
  # the same bytes (the kit test compares two such builds).
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-gcodeview;-gno-codeview-command-line>"
                      "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=src>"
                      "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>")
endif()
if(ORB_TREE STREQUAL "tests")
  # Windows tests run under Wine, in sessions (prefix, wineserver, Xvfb) of the test run, with
  # prefixes of this tree's bitness (testing/session/wine-env.sh reads it from here).
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "win32\n")
  else()
    file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "win64\n")
  endif()
  # ORB_WINE_SESSIONS (testing/session/wine-tests.sh sets it) sessions, 1 when unset.
  set(ORB_WINE_SESSIONS ${CMAKE_SOURCE_DIR}/testing/session/wine-sessions.sh)
  set(ORB_WINE_EXEC ${CMAKE_SOURCE_DIR}/testing/session/wine-exec.sh)
  set(ORB_WINE_CLAIM ${CMAKE_SOURCE_DIR}/testing/session/wine-claim.sh)
  add_test(NAME wine_session_start COMMAND ${ORB_WINE_SESSIONS} start ${CMAKE_BINARY_DIR})
  add_test(NAME wine_session_stop COMMAND ${ORB_WINE_SESSIONS} stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 120)
endif()
if(ORB_TREE MATCHES "^(native|fuzz)$")
  option(ORB_SANITIZE "Build the native tree with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
  if(ORB_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
  include(GoogleTest)
endif()
if(ORB_TREE STREQUAL "fuzz")
  # Every target of the fuzz tree, the product's logic first of all, with libFuzzer's coverage
  # counters and the sanitizers: a fuzzer steers by the edges it reaches in the code it fuzzes,
  # and the sanitizers check that code. The fuzzers add libFuzzer's main at their link
  # (tools/fuzz); scripts/fuzz.sh refuses a product object without counters.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()

# orb_add_native_test(name SOURCES ... LIBS ...): a GoogleTest program of the native tree, each
# case a CTest test. Nothing in the other trees.
function(orb_add_native_test name)
  if(NOT ORB_TREE STREQUAL "native")
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# orb_test_headers(target): TARGET, a Wine test program, compiles with the headers every one of
# them includes (<windows.h>, GoogleTest, GoogleMock, the standard library's) parsed once for the
# tree: a precompiled header, made once by the target orb_test_pch and taken by every Wine test
# program. (The native tree's g++ gains nothing from one: its programs are small.)
function(orb_test_headers target)
  if(NOT TARGET orb_test_pch)
    add_library(orb_test_pch STATIC ${PROJECT_SOURCE_DIR}/testing/support/pch_anchor.cpp)
    target_link_libraries(orb_test_pch PRIVATE GTest::gtest GTest::gmock)
    target_include_directories(orb_test_pch PRIVATE ${PROJECT_SOURCE_DIR})
    target_precompile_headers(orb_test_pch PRIVATE
      <windows.h> <gtest/gtest.h> <gmock/gmock.h>
      <algorithm> <chrono> <cstdint> <cstdio> <cstring> <functional> <map> <string> <vector>)
    # Compiled once, linked into every Wine test program: its skips must name a host condition.
    add_library(orb_skip_policy OBJECT ${PROJECT_SOURCE_DIR}/testing/support/skip_policy.cpp)
    target_link_libraries(orb_skip_policy PRIVATE GTest::gtest)
    target_precompile_headers(orb_skip_policy REUSE_FROM orb_test_pch)
  endif()
  target_precompile_headers(${target} REUSE_FROM orb_test_pch)
endfunction()

# orb_add_wine_test(name SOURCES ... | COMMAND program  [LIBS ...] [DEPENDS ...] [DEFINITIONS ...]
#                   [ARGS ...] [RUNNER script arg] [PROPERTIES name value ...]):
# every test that runs under Wine, registered in the tests tree only (nothing in the others).
# With SOURCES, a GoogleTest program built from them, linked with LIBS, built after DEPENDS (the
# DLLs and programs it loads or starts), compiled with DEFINITIONS; with COMMAND, a program built
# elsewhere. It runs as one CTest test through testing/session/wine-exec.sh BUILD PROGRAM ARGS, or
# through RUNNER, called as "script BUILD arg PROGRAM ARGS". PROPERTIES are CTest test properties
# as set_tests_properties takes them: TIMEOUT (300 s unless given), COST (its run time in seconds
# when it is long, so that CTest starts it early), LABELS, WILL_FAIL. Each test holds one Wine
# session to itself (testing/session/wine-claim.sh: testing/session/wine-tests.sh runs the tests
# side by side, one per session, each session with its own prefix, display and desktop); in a
# tree with one session (a plain ctest) they take turns in the tree's own.
function(orb_add_wine_test name)
  if(NOT ORB_TREE STREQUAL "tests")
    return()
  endif()
  cmake_parse_arguments(T "" "COMMAND" "SOURCES;LIBS;DEPENDS;DEFINITIONS;ARGS;RUNNER;PROPERTIES" ${ARGN})
  if(T_SOURCES)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    orb_test_headers(${name})
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:orb_skip_policy>)
    if(T_DEFINITIONS)
      target_compile_definitions(${name} PRIVATE ${T_DEFINITIONS})
    endif()
    if(T_DEPENDS)
      add_dependencies(${name} ${T_DEPENDS})
    endif()
    set(program $<TARGET_FILE:${name}>)
  else()
    set(program ${T_COMMAND})
  endif()
  set(claim ${ORB_WINE_CLAIM} ${CMAKE_BINARY_DIR})
  if(T_RUNNER)
    list(POP_FRONT T_RUNNER runner)
    add_test(NAME ${name} COMMAND ${claim} ${runner} ${CMAKE_BINARY_DIR} ${T_RUNNER} ${program} ${T_ARGS})
  else()
    add_test(NAME ${name} COMMAND ${claim} ${ORB_WINE_EXEC} ${CMAKE_BINARY_DIR} ${program} ${T_ARGS})
  endif()
  # A skip without a host condition fails (testing/support/skip_policy.cpp).
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
                       FAIL_REGULAR_EXPRESSION "SKIPPED WITHOUT A HOST CONDITION")
  if(T_PROPERTIES)
    set_tests_properties(${name} PROPERTIES ${T_PROPERTIES})
  endif()
endfunction()

# orb_exports(target file.def): TARGET's exports, from the module-definition file beside the
# caller's CMakeLists.txt. The linker writes its command line into the PDB, so the file is named
# there by a path that is the same wherever the source and build trees are: a copy in the build
# tree, given relative to the tree's top (where Ninja runs the link).
function(orb_exports target def)
  configure_file(${def} ${CMAKE_CURRENT_BINARY_DIR}/${def} COPYONLY)
  file(RELATIVE_PATH copy ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/${def})
  target_link_options(${target} PRIVATE ${copy})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${def})
endfunction()

# orb_deliverable(target file): true in the caller's ORB_TAKE_SHIPPED when this tree takes FILE
# from ORB_SHIPPED_BIN_DIR instead of building it. TARGET is then a step that copies the shipped
# file into this tree's bin folder, so that the tests that depend on TARGET run what ships.
function(orb_deliverable target file)
  if(ORB_SHIPPED_BIN_DIR)
    add_custom_target(${target} ALL
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ORB_SHIPPED_BIN_DIR}/${file} ${ORB_BIN_DIR}/${file}
      BYPRODUCTS ${ORB_BIN_DIR}/${file}
      COMMENT "Taking the shipped ${file}")
    set(ORB_TAKE_SHIPPED TRUE PARENT_SCOPE)
  else()
    set(ORB_TAKE_SHIPPED FALSE PARENT_SCOPE)
  endif()
endfunction()
