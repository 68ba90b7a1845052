# The Windows build (cross-compiled with mingw-w64, see toolchain-mingw.cmake): the DLLs
# and programs land in bin/, the import libraries in lib/; spdlog and fmt are used
# header-only from copies of the host's headers, and GoogleTest is built from its
# source package.

set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)
# Plug-ins (module DLLs) beside the programs, where the loader looks for a bare name.
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# The host's headers must not be on the cross compiler's include path: copy the two
# header-only libraries into a folder of their own.
set(OSTREL_HEADER_ONLY_DIR ${PROJECT_BINARY_DIR}/third_party/include)
foreach(library spdlog fmt)
  if(NOT EXISTS /usr/include/${library})
    message(FATAL_ERROR "/usr/include/${library} is missing: install libspdlog-dev")
  endif()
  file(COPY /usr/include/${library} DESTINATION ${OSTREL_HEADER_ONLY_DIR})
endforeach()
add_library(ostrel_spdlog_header_only INTERFACE)
target_include_directories(ostrel_spdlog_header_only SYSTEM INTERFACE ${OSTREL_HEADER_ONLY_DIR})
target_compile_definitions(ostrel_spdlog_header_only INTERFACE SPDLOG_FMT_EXTERNAL FMT_HEADER_ONLY)
add_library(spdlog::spdlog_header_only ALIAS ostrel_spdlog_header_only)

# The runtime DLLs of the POSIX-thread compiler, shipped beside the programs.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
  OUTPUT_VARIABLE OSTREL_LIBSTDCXX_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_seh-1.dll
  OUTPUT_VARIABLE OSTREL_LIBGCC_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
find_file(OSTREL_WINPTHREAD_DLL libwinpthread-1.dll HINTS ${CMAKE_FIND_ROOT_PATH}/lib ${CMAKE_FIND_ROOT_PATH}/bin
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(OSTREL_RUNTIME_DLLS ${OSTREL_LIBSTDCXX_DLL} ${OSTREL_LIBGCC_DLL} ${OSTREL_WINPTHREAD_DLL})
file(COPY ${OSTREL_RUNTIME_DLLS} DESTINATION ${PROJECT_BINARY_DIR}/bin)

# GoogleTest from Debian's source package, built static with the project (it defines
# GTest::gtest and GTest::gtest_main).
if(OSTREL_BUILD_TESTS AND NOT TARGET GTest::gtest)
  set(OSTREL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${OSTREL_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# ostrel_windows_names(): the DLL names Windows programs expect (Ostrel.dll,
# Tamarack.dll, NLogC.dll), with import libraries named after them.
function(ostrel_windows_names)
  foreach(pair ostrel:Ostrel tamarack:Tamarack NLogC:NLogC)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 target)
    list(GET pair 1 name)
    set_target_properties(${target} PROPERTIES
      OUTPUT_NAME ${name} PREFIX "" IMPORT_PREFIX ""
      RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  endforeach()
endfunction()
