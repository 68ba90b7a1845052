# Fails when libostrel.so exports a symbol outside its public API: everything exported
# must belong to namespace Ostrel or Logging (functions, data, and the typeinfo, vtable
# and thunk entries of their classes). Anything else, an internal helper or a template
# instantiation of the standard library, means a visibility leak.
#   cmake -DLIBRARY=<path of libostrel.so> [-DNM=<nm>] -P CheckExports.cmake
if(NOT LIBRARY)
  message(FATAL_ERROR "LIBRARY not given")
endif()
if(NOT NM)
  set(NM nm)
endif()

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE mangled RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${errors}")
endif()

# Mangled names: an optional special prefix (typeinfo, typeinfo name, vtable, VTT, guard
# variable, thunks), then a nested name whose first component is Ostrel or Logging.
set(allowed "^_Z(TI|TS|TV|TT|GV|Th[n0-9]+_|Tv[n0-9_]+_|Tc[hv0-9n_]+_)?N[rVK]*(6Ostrel|7Logging)")
# Internal classes live in namespace Ostrel as well; none of them may be exported.
set(internal "^_Z.*N6Ostrel(8Internal|8Platform|11Conversions|5CbMap|6CbList|7XMLNode|11CXMLResource|16CBeanFactoryImpl|12CTypeManager|15CDynamicLibrary|13CLocalLibrary|11CBeanConfig|14CServiceConfig)")

string(REPLACE "\n" ";" lines "${mangled}")
set(exported "")
set(leaks "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] (.+)$")
    set(symbol "${CMAKE_MATCH_1}")
    list(APPEND exported "${symbol}")
    if(NOT symbol MATCHES "${allowed}" OR symbol MATCHES "${internal}")
      list(APPEND leaks "${symbol}")
    endif()
  endif()
endforeach()

list(LENGTH exported count)
if(count EQUAL 0)
  message(FATAL_ERROR "No exported symbols found in ${LIBRARY}")
endif()

if(leaks)
  set(report "")
  foreach(symbol IN LISTS leaks)
    execute_process(COMMAND c++filt "${symbol}" OUTPUT_VARIABLE readable
      OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE filtered)
    if(NOT filtered EQUAL 0)
      set(readable "${symbol}")
    endif()
    string(APPEND report "  ${readable}\n")
  endforeach()
  list(LENGTH leaks leakCount)
  message(FATAL_ERROR "${leakCount} of ${count} exported symbols are not public API:\n${report}")
endif()
message(STATUS "${count} exported symbols, all public API")
