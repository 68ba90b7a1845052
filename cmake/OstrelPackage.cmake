# Packages made by cpack (cpack --preset release): a Debian package with the libraries,
# ostrel-check, the headers and the build files, and a tarball of the same tree.
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VENDOR "The Ostrel developers")
set(OSTREL_PACKAGE_CONTACT "Ostrel maintainers <maintainers@users.noreply.c-seed-2ef810c9.example>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_PACKAGE_CONTACT "${OSTREL_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dependency-injection container for C++")
# The long description, in lines short enough for dpkg's display (cpack puts the
# summary above it).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[Ostrel creates and wires the objects of an application from an XML
configuration: bean classes come from plug-in libraries loaded at run time
or are registered in process, services are looked up by interface, and
everything logs through a small facade.
.
The package holds the libraries, the configuration checker ostrel-check,
the headers, the CMake and pkg-config files and the configuration schema.]])
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time dependencies (libc, libstdc++, libuuid, fmt for the spdlog back end) are
# read from the libraries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
# The shared libraries are announced to ldconfig through a trigger, not by scripts.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_LDCONFIG OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/package/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Debian package installs below /usr; the tarball unpacks anywhere.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package/OstrelCPackOptions.cmake)

# Debian's documentation of a package: its copyright and a compressed changelog.
set(OSTREL_PACKAGE_DOC ${CMAKE_INSTALL_DATADIR}/doc/ostrel)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/package/copyright DESTINATION ${OSTREL_PACKAGE_DOC})
configure_file(${PROJECT_SOURCE_DIR}/cmake/package/changelog.in ${PROJECT_BINARY_DIR}/package/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/package/changelog.gz
  COMMAND gzip -9nf -k ${PROJECT_BINARY_DIR}/package/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/package/changelog)
add_custom_target(ostrel_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/package/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/package/changelog.gz DESTINATION ${OSTREL_PACKAGE_DOC})

include(CPack)
