# cmake -DIN=file -DOUT=file.cpp -DNAME=symbol -P EmbedFile.cmake
# Writes a source file defining `const unsigned char NAME[]` with IN's bytes
# (and one zero byte past them, so text can also be read as a C string) and
# `const size_t NAME_size`, so data shipped as a file is also built in. The
# output is only touched when its bytes change, so nothing rebuilds needlessly.
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" length)
math(EXPR bytes "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" body "${body}")
file(WRITE "${OUT}.tmp"
  "// Generated from ${IN}; do not edit.\n#include <cstddef>\n"
  "extern const unsigned char ${NAME}[];\nextern const size_t ${NAME}_size;\n"
  "const unsigned char ${NAME}[] = {\n${body}\n0x00};\nconst size_t ${NAME}_size = ${bytes};\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
