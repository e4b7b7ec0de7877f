# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread model: googletest
# needs std::mutex). Test executables run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELTRA5_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELTRA5_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELTRA5_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELTRA5_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELTRA5_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Self-contained executables: no libstdc++/libgcc/winpthread DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(ZELTRA5_WINE wine)
if(ZELTRA5_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELTRA5_WINE})
endif()

# List the tests of a GoogleTest executable when CTest runs, inside the prepared Wine prefix,
# rather than at build time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
