# zeltra5_subsystem_library(<name> DEPS <targets...>)
# A static library zeltra5_<name> built from <dir>/src/*.cpp with public headers in <dir>/include
# (an interface library where there are only headers).
function(zeltra5_subsystem_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp)
  if(NOT srcs)
    # Headers only.
    add_library(zeltra5_${name} INTERFACE)
    target_include_directories(zeltra5_${name} INTERFACE
      $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
      $<INSTALL_INTERFACE:include>)
    target_compile_features(zeltra5_${name} INTERFACE cxx_std_20)
    target_link_libraries(zeltra5_${name} INTERFACE ${ARG_DEPS})
    add_library(zeltra5::${name} ALIAS zeltra5_${name})
    set_property(GLOBAL APPEND PROPERTY ZELTRA5_LIBRARIES zeltra5_${name})
    return()
  endif()
  add_library(zeltra5_${name} STATIC ${srcs})
  target_include_directories(zeltra5_${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:include>)
  target_compile_features(zeltra5_${name} PUBLIC cxx_std_20)
  target_link_libraries(zeltra5_${name} PUBLIC ${ARG_DEPS})
  zeltra5_warnings(zeltra5_${name})
  add_library(zeltra5::${name} ALIAS zeltra5_${name})
  set_property(GLOBAL APPEND PROPERTY ZELTRA5_LIBRARIES zeltra5_${name})
endfunction()

# zeltra5_test(<name> LIBS <targets...>): one GoogleTest executable test_<name> from the
# test_*.cpp files of the calling folder, registered with CTest.
function(zeltra5_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  foreach(lib ${ARG_LIBS})
    if(NOT TARGET ${lib})
      message(STATUS "tests ${name}: ${lib} not built yet, skipped")
      return()
    endif()
  endforeach()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  zeltra5_warnings(test_${name})
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60)
endfunction()
