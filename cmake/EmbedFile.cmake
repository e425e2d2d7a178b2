# cmake -DIN=file -DOUT=file.cpp -DNAME=symbol -P EmbedFile.cmake
# Writes a source file defining `const unsigned char NAME[]` with IN's bytes
# and `const size_t NAME_size`, so data shipped as a file is also built in.
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" length)
math(EXPR bytes "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" body "${body}")
file(WRITE "${OUT}.tmp"
  "// Generated from ${IN}; do not edit.\n#include <cstddef>\n"
  "extern const unsigned char ${NAME}[];\nextern const size_t ${NAME}_size;\n"
  "const unsigned char ${NAME}[] = {\n${body}\n};\nconst size_t ${NAME}_size = ${bytes};\n")
file(RENAME "${OUT}.tmp" "${OUT}")
