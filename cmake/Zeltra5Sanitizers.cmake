# ZELTRA5_SANITIZE=ON builds every target with AddressSanitizer and UndefinedBehaviorSanitizer.
# A finding aborts the process (no recovery), so any test that trips one fails. Used by
# tools/reliability.sh for the build/asan configuration; GCC and Clang on Linux.
option(ZELTRA5_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(ZELTRA5_SANITIZE)
  if(MSVC OR MINGW OR CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "ZELTRA5_SANITIZE needs a native GCC or Clang build")
  endif()
  # float-cast-overflow (a NaN or huge double converted to an integer) is not part of GCC's
  # "undefined" group; name it so that both compilers check it.
  set(ZELTRA5_SANITIZER_FLAGS -fsanitize=address,undefined,float-cast-overflow
                              -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${ZELTRA5_SANITIZER_FLAGS})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # With the sanitizers' inlining GCC misreads a test's replaced global operator new/delete
    # pair (malloc and free) as a mismatch; AddressSanitizer checks the real pairs at run time.
    add_compile_options(-Wno-mismatched-new-delete)
  endif()
  add_link_options(-fsanitize=address,undefined)
  message(STATUS "zeltra5: AddressSanitizer and UndefinedBehaviorSanitizer on")
endif()
