# cmake -DINPUT=file -DOUTPUT=file_data.cpp -DNAMESPACE=vq::x::detail -DSYMBOL=kName -P embed_file.cmake
# Writes a file as a NUL-terminated char array `NAMESPACE::SYMBOL`. A byte array rather than
# one string literal: a large file passes the 64 KiB literal limit -Wpedantic enforces.
foreach(v INPUT OUTPUT NAMESPACE SYMBOL)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "embed_file.cmake needs -D${v}=...")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
# 16 bytes a line keeps the generated file readable (CMake regexes have no {n}).
string(REPEAT "'[^']+'," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")

get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}" "// Generated from ${input_name} by embed_file.cmake; do not edit.
namespace ${NAMESPACE} {
extern const char ${SYMBOL}[];
const char ${SYMBOL}[] = {
    ${bytes}'\\0'};
}  // namespace ${NAMESPACE}
")
