# Turns one file into a C++ source that holds its bytes, so that the program
# reads nothing from disk at run time.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=Name -P Embed.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT}; do not edit.
#include \"assets/embedded.h\"

namespace embedded {
namespace {
const unsigned char kData[${size}] = {
${bytes}};
}  // namespace
std::span<const unsigned char> ${SYMBOL}() { return kData; }
}  // namespace embedded
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
