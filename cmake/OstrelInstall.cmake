# Installs the headers, the three libraries, the ostrel-check program, a CMake package
# (find_package(Ostrel) giving Ostrel::ostrel), a pkg-config file and the configuration
# schema.
include(CMakePackageConfigHelpers)

install(TARGETS ostrel tamarack EXPORT OstrelTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The logging back end is loaded at run time from the folder of libostrel.so.
install(TARGETS NLogC LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The configuration checker, beside the libraries it runs on.
install(TARGETS ostrel-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ostrel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tamarack/include/tamarack DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/schema/ostrel.xsd DESTINATION ${CMAKE_INSTALL_DATADIR}/ostrel)

set(OSTREL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Ostrel)
install(EXPORT OstrelTargets NAMESPACE Ostrel:: DESTINATION ${OSTREL_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OstrelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/OstrelConfig.cmake INSTALL_DESTINATION ${OSTREL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OstrelConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OstrelConfig.cmake ${PROJECT_BINARY_DIR}/OstrelConfigVersion.cmake
  DESTINATION ${OSTREL_CMAKE_DIR})

# The way up from the pkg-config folder to the prefix ("../.." for lib/pkgconfig).
file(RELATIVE_PATH OSTREL_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" OSTREL_PC_TO_PREFIX "${OSTREL_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/ostrel.pc.in ${PROJECT_BINARY_DIR}/ostrel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ostrel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
