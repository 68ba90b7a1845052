# Runs ostrel-check as a build would and compares its whole output and exit code.
# cmake -DPROGRAM=<ostrel-check> [-DEMULATOR=<runner>] -P CheckProgram.cmake, in the
# source tree. Line ends are compared without carriage returns.
set(run ${EMULATOR} ${PROGRAM})
set(dir tests/check)
set(own tests/tools/ostrel-check)
set(interfaces --register shop::IPaymentService --register shop::ICatalog
               --register shop::ICheckout)

# expect(<exit code> <file with the expected standard output, or "">
#        <lines expected on standard error> <argument>...)
function(expect code expected error_lines)
  execute_process(COMMAND ${run} ${ARGN} RESULT_VARIABLE result
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  set(want "")
  if(expected)
    file(READ ${own}/${expected} want)
  endif()
  if(NOT result STREQUAL code OR NOT out STREQUAL want)
    message(SEND_ERROR "ostrel-check ${ARGN}: exit ${result} (want ${code}), output:\n${out}"
                       "want:\n${want}")
  endif()
  string(REGEX MATCHALL "\n" breaks "${err}")
  list(LENGTH breaks count)
  if(NOT count EQUAL error_lines)
    message(SEND_ERROR "ostrel-check ${ARGN}: ${count} lines on standard error, want "
                       "${error_lines}:\n${err}")
  endif()
endfunction()

# The example's plug-in registers its interfaces as it is loaded.
expect(0 "" 0 examples/config/shop.xml)
expect(1 expected/broken.txt 0 ${interfaces} ${dir}/shop-class-typo.xml
       ${dir}/shop-missing-bean.xml ${dir}/shop-wrong-type.xml ${dir}/shop-cycle.xml
       ${dir}/shop-unknown-interface.xml)
expect(0 expected/list.txt 0 ${interfaces} --list examples/config/shop.xml)
expect(0 expected/graph.dot 0 ${interfaces} --graph ${own}/graph.xml)
# A cycle and a reference the export rule refuses are drawn in red, the reason on the
# edge; the findings go to standard error, here with the records of the second library,
# which does not load from the source tree (a Windows program finds it in its own folder).
if(EMULATOR)
  set(alarm_lines 2)
else()
  set(alarm_lines 5)
endif()
expect(1 expected/graph-alarms.dot ${alarm_lines} --graph ${own}/graph-alarms.xml)
expect(2 "" 1)
expect(2 "" 1 --lists examples/config/shop.xml)
expect(2 "" 1 examples/config/shop.xml --register)
# Without Graphviz, an SVG is refused with the reason (Windows programs find no "dot" here).
if(EMULATOR)
  set(run ${EMULATOR} ${PROGRAM})
else()
  set(run ${CMAKE_COMMAND} -E env PATH=/nonexistent ${PROGRAM})
endif()
execute_process(COMMAND ${run} --graph=none.svg
                        ${interfaces} examples/config/shop.xml
                RESULT_VARIABLE result ERROR_VARIABLE err)
if(NOT result EQUAL 2 OR NOT err MATCHES "Graphviz is not installed")
  message(SEND_ERROR "ostrel-check --graph=none.svg without dot: exit ${result}, ${err}")
endif()
