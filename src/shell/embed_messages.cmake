# Turns the message data file into a C++ byte array, so the texts need no file at run time.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from messages_ru.txt; do not edit.\n"
  "#include <cstddef>\n"
  "namespace vq::shell::detail {\n"
  "extern const unsigned char kMessagesRu[];\n"
  "extern const std::size_t kMessagesRuSize;\n"
  "const unsigned char kMessagesRu[] = {\n${bytes}0x00};\n"
  "const std::size_t kMessagesRuSize = sizeof(kMessagesRu) - 1;\n"
  "}  // namespace vq::shell::detail\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
