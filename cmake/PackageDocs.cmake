# The documents a Debian package carries, made from the project's own files:
# the licence as a machine-readable copyright file, the changelog and the man
# pages compressed the way Debian keeps them (gzip -9, no name or time stamp,
# so the same sources give the same bytes).

# gzip -9n of `file` into `file`.gz.
function(carver_gzip file)
  execute_process(COMMAND gzip -9nf -k ${file} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${file}")
  endif()
endfunction()

# copyright: the holder from LICENSE's copyright line, the licence's text
# below it as the Expat licence's paragraph (lines indented, empty lines ".").
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
set(CARVER_LICENSE_TEXT "")
set(in_text FALSE)
foreach(line IN LISTS licence_lines)
  if(line MATCHES "^Copyright \\(c\\) (.*)$")
    set(CARVER_COPYRIGHT ${CMAKE_MATCH_1})
    set(in_text TRUE)
  elseif(in_text)
    if(line STREQUAL "")
      string(APPEND CARVER_LICENSE_TEXT " .\n")
    else()
      string(APPEND CARVER_LICENSE_TEXT " ${line}\n")
    endif()
  endif()
endforeach()
string(REGEX REPLACE "^ \\.\n|\n$" "" CARVER_LICENSE_TEXT "${CARVER_LICENSE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/data/doc/copyright.in ${PROJECT_BINARY_DIR}/data/doc/copyright @ONLY)

configure_file(${PROJECT_SOURCE_DIR}/data/doc/changelog.in ${PROJECT_BINARY_DIR}/data/doc/changelog @ONLY)
carver_gzip(${PROJECT_BINARY_DIR}/data/doc/changelog)
