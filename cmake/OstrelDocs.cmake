# The API reference (Doxygen over the public headers): `cmake --build <build> --target docs`
# writes <build>/docs/html, which cmake --install and the packages then install to
# share/doc/ostrel/html. Every warning names the header and line it is about.
option(OSTREL_DOCS_WARNINGS_AS_ERRORS "Fail the docs target on any Doxygen warning" OFF)
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  return()
endif()
if(OSTREL_DOCS_WARNINGS_AS_ERRORS)
  set(OSTREL_DOCS_WARN_AS_ERROR FAIL_ON_WARNINGS)
else()
  set(OSTREL_DOCS_WARN_AS_ERROR NO)
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/Doxyfile.in ${PROJECT_BINARY_DIR}/Doxyfile @ONLY)
add_custom_target(docs
  COMMAND ${CMAKE_COMMAND} -E remove_directory ${PROJECT_BINARY_DIR}/docs
  COMMAND ${DOXYGEN_EXECUTABLE} ${PROJECT_BINARY_DIR}/Doxyfile
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "API reference in ${PROJECT_BINARY_DIR}/docs/html"
  VERBATIM)
install(DIRECTORY ${PROJECT_BINARY_DIR}/docs/html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ostrel
        OPTIONAL)
