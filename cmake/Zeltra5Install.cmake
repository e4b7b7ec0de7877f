# Installs the numerical libraries, the result-table library and their headers as one CMake
# package, so that another project can write
#   find_package(zeltra5 REQUIRED)
#   target_link_libraries(app PRIVATE zeltra5::zeltra5)
# and #include <zeltra5/zeltra5.hpp>, or link the C library zeltra5::zeltra5_c and
# #include <zeltra5.h>. The command-line calculator is installed beside them.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

get_property(zeltra5_libraries GLOBAL PROPERTY ZELTRA5_LIBRARIES)

# The umbrella target. Inside this build it is zeltra5::zeltra5 through an alias; installed, it
# keeps that name. (The target itself is not called zeltra5: that name is the Windows program's.)
add_library(zeltra5_package INTERFACE)
target_link_libraries(zeltra5_package INTERFACE ${zeltra5_libraries})
set_target_properties(zeltra5_package PROPERTIES EXPORT_NAME zeltra5)
add_library(zeltra5::zeltra5 ALIAS zeltra5_package)

foreach(lib ${zeltra5_libraries})
  # zeltra5_eos -> zeltra5::eos, the name it has inside this build.
  string(REGEX REPLACE "^zeltra5_" "" short ${lib})
  set_target_properties(${lib} PROPERTIES EXPORT_NAME ${short})
  get_target_property(lib_dir ${lib} SOURCE_DIR)
  install(DIRECTORY ${lib_dir}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endforeach()

install(TARGETS ${zeltra5_libraries} zeltra5_package
  EXPORT zeltra5Targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET zeltra5-calc)
  install(TARGETS zeltra5-calc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The C interface: libzeltra5.so with its soname links and zeltra5.h, as zeltra5::zeltra5_c.
if(TARGET zeltra5_c)
  install(TARGETS zeltra5_c
    EXPORT zeltra5Targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/capi/include/zeltra5.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  # zeltra5.pc for pkg-config (`cc app.c $(pkg-config --cflags --libs zeltra5)`), its paths
  # relative to its own folder, so that it holds wherever the tree is installed (--prefix, a
  # DESTDIR, the .deb).
  set(pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
  if(IS_ABSOLUTE ${CMAKE_INSTALL_LIBDIR} OR IS_ABSOLUTE ${CMAKE_INSTALL_INCLUDEDIR})
    set(pc_prefix ${CMAKE_INSTALL_PREFIX})
    set(pc_libdir ${CMAKE_INSTALL_FULL_LIBDIR})
    set(pc_includedir ${CMAKE_INSTALL_FULL_INCLUDEDIR})
  else()
    file(RELATIVE_PATH pc_up /root/${pc_dir} /root)
    string(REGEX REPLACE "/$" "" pc_up "${pc_up}")
    set(pc_prefix "\${pcfiledir}/${pc_up}")
    set(pc_libdir "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
    set(pc_includedir "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
  endif()
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/zeltra5.pc
"prefix=${pc_prefix}
libdir=${pc_libdir}
includedir=${pc_includedir}

Name: zeltra5
Description: ${PROJECT_DESCRIPTION}: the C library (zeltra5.h)
Version: ${PROJECT_VERSION}
Libs: -L\${libdir} -lzeltra5
Cflags: -I\${includedir}
")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zeltra5.pc DESTINATION ${pc_dir})
endif()

set(zeltra5_config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/zeltra5)
install(EXPORT zeltra5Targets NAMESPACE zeltra5:: DESTINATION ${zeltra5_config_dir})

file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/zeltra5Config.cmake.in [=[
@PACKAGE_INIT@
include("${CMAKE_CURRENT_LIST_DIR}/zeltra5Targets.cmake")
check_required_components(zeltra5)
]=])
configure_package_config_file(${CMAKE_CURRENT_BINARY_DIR}/zeltra5Config.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/zeltra5Config.cmake
  INSTALL_DESTINATION ${zeltra5_config_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/zeltra5ConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zeltra5Config.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/zeltra5ConfigVersion.cmake
  DESTINATION ${zeltra5_config_dir})
