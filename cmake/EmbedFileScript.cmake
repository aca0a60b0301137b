file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.
#include <cstdint>
#include <span>

namespace marulex {
namespace {
const std::uint8_t kBytes[${size}] = {
${bytes}};
}  // namespace

std::span<const std::uint8_t> ${SYMBOL}() { return kBytes; }
}  // namespace marulex
")
