# Turns a binary file into a C++ source with a std::array, at build time.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=Firmware::kReflasherBlock
#         -DSIZE=Firmware::kReflasherSize -DHEADER=firmware/reflasher.h -P EmbedBinary.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexlen)
math(EXPR count "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.\n"
"#include \"${HEADER}\"\n\n"
"static_assert(${count} == ${SIZE}, \"${INPUT} has the wrong size\");\n\n"
"const std::array<std::uint8_t, ${SIZE}> ${NAME} = {\n    ${bytes}\n};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
