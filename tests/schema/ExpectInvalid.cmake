# cmake -DXMLLINT=... -DSCHEMA=... -DDOCUMENT=... -P ExpectInvalid.cmake
# Passes when DOCUMENT is well-formed but fails validation against SCHEMA with a message
# that contains the text after "Rejected: " in the document's first line. A document
# that fails for another reason (not well-formed, a broken schema) fails the test.
file(STRINGS ${DOCUMENT} first LIMIT_COUNT 1)
if(NOT first MATCHES "Rejected: (.+) -->")
  message(FATAL_ERROR "${DOCUMENT}: the first line must be <!-- Rejected: <expected text> -->")
endif()
set(expected "${CMAKE_MATCH_1}")

execute_process(COMMAND ${XMLLINT} --noout --schema ${SCHEMA} ${DOCUMENT}
  RESULT_VARIABLE result ERROR_VARIABLE errors)
# xmllint: 3 means the document does not validate; a document that cannot be read or
# parsed gives 1, a schema that does not compile 5.
if(NOT result EQUAL 3)
  message(FATAL_ERROR "xmllint exited with ${result}, not 3 (invalid document):\n${errors}")
endif()
string(FIND "${errors}" "Schemas validity error" atValidity)
string(FIND "${errors}" "${expected}" atExpected)
if(atValidity EQUAL -1 OR atExpected EQUAL -1)
  message(FATAL_ERROR "rejected, but not for ${expected}:\n${errors}")
endif()
