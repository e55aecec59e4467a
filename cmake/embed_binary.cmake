# Turns a binary file into a C++ source that defines it as a constant byte array.
# Run at build time as a script:
#
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DHEADER=<include path> -DNAMESPACE=<ns>
#         -DARRAY_NAME=<name> -DSIZE_NAME=<name> -P embed_binary.cmake
#
# The source includes HEADER, which declares
#   extern const unsigned char ARRAY_NAME[];  extern const std::size_t SIZE_NAME;
# inside NAMESPACE. The output depends only on the input's bytes (no paths, no dates), and it
# is rewritten only when its content changes, so an unchanged input recompiles nothing.

foreach(required INPUT OUTPUT HEADER NAMESPACE ARRAY_NAME SIZE_NAME)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "embed_binary.cmake: ${required} is not set")
  endif()
endforeach()
if(NOT EXISTS "${INPUT}")
  message(FATAL_ERROR "embed_binary.cmake: ${INPUT} does not exist")
endif()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
if(hex_length EQUAL 0)
  # A C++ array cannot be empty, and an empty icon is certainly a mistake.
  message(FATAL_ERROR "embed_binary.cmake: ${INPUT} is empty")
endif()
math(EXPR byte_count "${hex_length} / 2")

# Sixteen bytes per line: "0x89, 0x50, ...". CMake's regular expressions have no {n}
# repetition, hence the 32 dots (32 hex digits).
string(REGEX REPLACE "(................................)" "\\1\n" bytes "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${bytes}")
string(REPLACE ", \n" ",\n    " bytes "${bytes}")
string(REGEX REPLACE ",( |\n    )$" "" bytes "${bytes}")

get_filename_component(input_name "${INPUT}" NAME)
set(content "// Generated at build time from ${input_name}; do not edit.
#include \"${HEADER}\"

namespace ${NAMESPACE} {

const unsigned char ${ARRAY_NAME}[${byte_count}] = {
    ${bytes}
};

const std::size_t ${SIZE_NAME} = sizeof(${ARRAY_NAME});

}  // namespace ${NAMESPACE}
")

set(staged "${OUTPUT}.tmp")
file(WRITE "${staged}" "${content}")
file(COPY_FILE "${staged}" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${staged}")
