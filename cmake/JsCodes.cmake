# Writes the enums of a C++ header (HEADER) as a JavaScript library (OUTPUT):
# each "enum class Name : int {" with its "Value = number," lines becomes
# $Name, an object of the same values, which a library's function takes with
# __deps. The page's script and the C++ then share one list of numbers.
file(READ ${HEADER} text)
string(REGEX MATCHALL "enum class [A-Za-z]+ : int {[^}]*}" enums "${text}")
if(NOT enums)
  message(FATAL_ERROR "${HEADER} has no enum class Name : int { ... } to write for the page's script")
endif()
set(entries "")
foreach(enum IN LISTS enums)
  string(REGEX REPLACE "enum class ([A-Za-z]+) : int.*" "\\1" name "${enum}")
  string(REGEX MATCHALL "[A-Za-z]+ = -?[0-9]+," values "${enum}")
  list(TRANSFORM values REPLACE "([A-Za-z]+) = (-?[0-9]+)," "\\1: \\2")
  list(JOIN values ", " values)
  string(APPEND entries "  \$${name}: {${values}},\n")
endforeach()
get_filename_component(source ${HEADER} NAME)
file(WRITE ${OUTPUT}.new "// Written at build time from ${source} by cmake/JsCodes.cmake.\n"
                         "mergeInto(LibraryManager.library, {\n${entries}});\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
