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

# Wine runs with a fixed address-space layout (setarch -R). Debian's Wine has no preloader, which
# would reserve the addresses Wine needs before the kernel places anything: with randomisation the
# loader's heap lands anywhere in the gigabyte above it, and about once in 5000 starts on Wine's
# shared user data at 0x7ffe0000; that process ends at once with status 1 ("failed to map the
# shared user data", unseen under WINEDEBUG=-all), a test failing in 0.01 s without output.
find_program(ZELTRA5_WINE wine)
find_program(ZELTRA5_SETARCH setarch)
if(ZELTRA5_WINE AND ZELTRA5_SETARCH)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELTRA5_SETARCH} -R ${ZELTRA5_WINE})
elseif(ZELTRA5_WINE)
  message(WARNING "setarch not found: Wine runs with a random layout, and one start in about "
                  "5000 fails")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELTRA5_WINE})
endif()

# List the tests of a GoogleTest executable when CTest runs, inside the prepared Wine prefix,
# rather than at build time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
