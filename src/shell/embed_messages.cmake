# cmake -DINPUT=messages_ru.txt -DOUTPUT=messages_ru_data.cpp -P embed_messages.cmake
# Writes the message file as a NUL-terminated char array. A byte array rather than one
# string literal: a full table passes the 64 KiB literal limit -Wpedantic enforces.
if(NOT DEFINED INPUT OR NOT DEFINED OUTPUT)
  message(FATAL_ERROR "embed_messages.cmake needs -DINPUT=... and -DOUTPUT=...")
endif()

file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
# 16 bytes a line keeps the generated file readable (CMake regexes have no {n}).
string(REPEAT "'[^']+'," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")

file(WRITE "${OUTPUT}" "// Generated from ${INPUT} by embed_messages.cmake; do not edit.
namespace vq::shell::detail {
extern const char kMessagesRu[];
const char kMessagesRu[] = {
    ${bytes}'\\0'};
}  // namespace vq::shell::detail
")
