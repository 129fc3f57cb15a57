# cmake -DINPUT=texts.tsv -DOUTPUT=file.cpp -P EmbedTable.cmake
# Writes a C++ source holding the bytes of INPUT as pixtrel::kLanguageTableData, with its size.
file(READ "${INPUT}" content HEX)
string(LENGTH "${content}" digits)
math(EXPR size "${digits} / 2")
# Sixteen bytes to a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
       "\\1\n" content "${content}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," content "${content}")
file(WRITE "${OUTPUT}.new"
  "// Made from languages/texts.tsv at build time.\n"
  "#include <cstddef>\n\n"
  "namespace pixtrel {\n\n"
  "// The file's bytes and a closing zero, which the size leaves out.\n"
  "extern const unsigned char kLanguageTableData[] = {\n${content}\n0x00};\n"
  "extern const std::size_t kLanguageTableSize = ${size};\n\n"
  "}  // namespace pixtrel\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
