# Writes the string-table script (language 1049) from the message catalogue,
# so that each text is written once in the repository; the names stay out.
#   cmake -DINPUT=messages.inc -DOUTPUT=string_table.rc -P GenerateStringTable.cmake
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(body "")
foreach(line IN LISTS lines)
  if(line MATCHES "^ORVEX_MESSAGE\\(([0-9]+), [A-Za-z0-9]+, \"(.*)\"\\)$")
    set(id "${CMAKE_MATCH_1}")
    set(text "${CMAKE_MATCH_2}")
    # C escapes to resource-script ones: \" becomes "", \n and \\ stay.
    string(REPLACE "\\\"" "\"\"" text "${text}")
    string(APPEND body "  ${id}, \"${text}\"\n")
  elseif(line MATCHES "^ORVEX_MESSAGE")
    message(FATAL_ERROR "Cannot read catalogue line: ${line}")
  endif()
endforeach()
file(WRITE "${OUTPUT}.tmp"
  "// Generated from resources/messages.inc; do not edit.\n"
  "#pragma code_page(65001)\n"
  "LANGUAGE 0x19, 0x01\n"
  "STRINGTABLE\nBEGIN\n${body}END\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
