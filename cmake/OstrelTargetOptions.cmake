# Options applied per target, never through CMAKE_CXX_FLAGS, so that nothing leaks
# into projects that consume Ostrel.

# ostrel_target_options(<target> [HIDDEN])
#   Warnings as errors, optional hidden visibility, and the sanitizers
#   that OSTREL_SANITIZE names.
function(ostrel_target_options target)
  cmake_parse_arguments(ARG "HIDDEN" "" "" ${ARGN})
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(ARG_HIDDEN)
    set_target_properties(${target} PROPERTIES
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  endif()
  ostrel_sanitize(${target})
endfunction()

# ostrel_sanitize(<target>): the sanitizers OSTREL_SANITIZE names, without recovery.
function(ostrel_sanitize target)
  if(OSTREL_SANITIZE STREQUAL "thread")
    set(flags -fsanitize=thread)
  elseif(OSTREL_SANITIZE STREQUAL "fuzzer")
    # Coverage for libFuzzer everywhere; only the fuzz targets link its main (fuzz/).
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    set(flags -fsanitize=address,undefined -fno-sanitize-recover=all)
  elseif(OSTREL_SANITIZE)
    set(flags -fsanitize=address,undefined -fno-sanitize-recover=all)
  else()
    return()
  endif()
  target_compile_options(${target} PRIVATE ${flags} -fno-omit-frame-pointer)
  target_link_options(${target} PRIVATE ${flags})
endfunction()
