# Release packages, made by CPack in a Release build (tools/package.sh builds and checks both):
#  - Windows build: `cpack -G ZIP` gives zeltra5-<version>-windows-x64.zip, one folder with
#    zeltra5.exe, zeltra5-calc.exe, zeltra5.dll, the Excel module zeltra5.bas and the README,
#    include/zeltra5.h and lib/ (import library, .def) (install component "windows").
#  - Native build: `cpack -G DEB` gives zeltra5_<version>_<arch>.deb with everything the install
#    rules of Zeltra5Install.cmake put in place: zeltra5-calc, the headers, the static libraries,
#    libzeltra5.so.1, the CMake package (zeltra5::zeltra5, zeltra5::zeltra5_c) and the Python
#    package in /usr/lib/python3/dist-packages/zeltra5. Configure
#    with -DCMAKE_INSTALL_PREFIX=/usr so that the libraries take Debian's multiarch folder.
set(CPACK_PACKAGE_NAME zeltra5)
set(CPACK_PACKAGE_VENDOR zeltra5)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Thermophysical properties of ammonia")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Properties of liquid, vapour, two-phase and supercritical ammonia from one fundamental\n"
  "equation of state: the command-line calculator zeltra5-calc, the C++20 libraries\n"
  "(headers, static libraries and the CMake package zeltra5::zeltra5) and the C library\n"
  "libzeltra5.so.1 with zeltra5.h (zeltra5::zeltra5_c), and the Python package zeltra5\n"
  "(numpy, vectorised; tables, cycle and diagrams, zeltra5.plot) for Debian's python3.")
set(CPACK_PACKAGE_CONTACT "zeltra5 developers <zeltra5@users.noreply.invalid>")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  install(TARGETS zeltra5 zeltra5-calc RUNTIME DESTINATION . COMPONENT windows)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . COMPONENT windows)
  if(TARGET zeltra5_c)
    # The C library beside the programs with the Excel module; the header, the import library
    # and the .def file (for MSVC's lib /def) to build against it.
    install(TARGETS zeltra5_c
      RUNTIME DESTINATION . COMPONENT windows
      ARCHIVE DESTINATION lib COMPONENT windows)
    install(FILES ${PROJECT_SOURCE_DIR}/capi/zeltra5.bas DESTINATION . COMPONENT windows)
    install(FILES ${PROJECT_SOURCE_DIR}/capi/include/zeltra5.h DESTINATION include
            COMPONENT windows)
    install(FILES ${PROJECT_SOURCE_DIR}/capi/zeltra5.def DESTINATION lib COMPONENT windows)
  endif()
  # The README's picture, at the path the README gives.
  if(EXISTS ${PROJECT_SOURCE_DIR}/docs/zeltra5-window.png)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/zeltra5-window.png DESTINATION docs
            COMPONENT windows)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL windows)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_PACKAGE_FILE_NAME zeltra5-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Dependencies of zeltra5-calc from the shared libraries it links (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # libzeltra5.so.1: a shlibs entry for packages built against it, and ldconfig on install.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  # The Python package: its compiled module is for the Python version it was built with, and
  # needs numpy; zeltra5.plot needs matplotlib, the Dask examples Dask.
  if(TARGET zeltra5_python)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ZELTRA5_PYTHON_DEB_DEPENDS}")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-matplotlib")
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-dask")
  endif()
endif()

include(CPack)
