# Install rules: the shared library with its SONAME links, the public header, a CMake package
# (find_package(Tessella) gives Tessella::tessella, with a version file) and a pkg-config file.
# Every installed path is relative to the prefix, so an installed tree can be moved as a whole.
include(CMakePackageConfigHelpers)

set(TESSELLA_CMAKE_PACKAGE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/Tessella")

install(TARGETS tessella EXPORT TessellaTargets
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/include/tessella.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")

install(EXPORT TessellaTargets
  NAMESPACE Tessella::
  DESTINATION "${TESSELLA_CMAKE_PACKAGE_DIR}")
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/TessellaConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/TessellaConfig.cmake"
  INSTALL_DESTINATION "${TESSELLA_CMAKE_PACKAGE_DIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/TessellaConfigVersion.cmake"
  VERSION "${PROJECT_VERSION}"
  COMPATIBILITY SameMajorVersion)
install(FILES
  "${PROJECT_BINARY_DIR}/TessellaConfig.cmake"
  "${PROJECT_BINARY_DIR}/TessellaConfigVersion.cmake"
  DESTINATION "${TESSELLA_CMAKE_PACKAGE_DIR}")

# The .pc file finds the prefix from its own location, so it stays right under any --prefix.
file(RELATIVE_PATH TESSELLA_PC_PREFIX_FROM_PCDIR
  "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file("${CMAKE_CURRENT_LIST_DIR}/tessella.pc.in" "${PROJECT_BINARY_DIR}/tessella.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/tessella.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
