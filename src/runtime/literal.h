// String literals of the byte code: length-prefixed text with embedded interpolation codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rs {
class Engine;
}

namespace rs::runtime {

struct ScriptThread;

// Expands the literal bytes (without the length prefix) into the text of a new string:
//   0x07 dddd            the first element of variable dddd, as printValue shows it
//   0x08 w x f dddd      the same formatted to width w (f = 1: full-width characters)
//   0x09                 a value popped from the stack, as printValue shows it
//   0x0A w x f           a popped value formatted to width w
// where w, x and f are little-endian 32-bit words (x is not used). The result is held in a
// 2048-byte work buffer: copying stops when it is full.
std::string expandLiteral(Engine& e, ScriptThread& t, std::string_view bytes);

// The full-width (double-byte) form of the text: ASCII and half-width katakana become their
// code page 932 full-width characters; double-byte characters are kept.
std::string toFullWidth(std::string_view text);

}  // namespace rs::runtime
