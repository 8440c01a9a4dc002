// Code page 932 (Shift-JIS) helpers: byte classes and conversion to and from UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rs::platform {

// A byte that starts a double-byte character.
constexpr bool isLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Converts code page 932 bytes to UTF-8; bytes that form no character become U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

// As above, but nullopt when some bytes form no character.
std::optional<std::string> cp932ToUtf8Strict(std::string_view cp932);

// Converts UTF-8 to code page 932; nullopt when some character has no code page 932 form or the
// input is not valid UTF-8.
std::optional<std::string> utf8ToCp932(std::string_view utf8);

// As above, but characters without a code page 932 form become '?'.
std::string utf8ToCp932Lossy(std::string_view utf8);

// The characters of UTF-8 text as code page 932 character codes, as a Windows program receives
// typed characters: a single-byte character as its byte, a double-byte one as lead byte << 8 |
// trail byte. Characters code page 932 cannot hold (and NUL) are left out; nullopt when the text
// is not valid UTF-8.
std::optional<std::vector<uint16_t>> cp932CharacterCodes(std::string_view utf8);

// The same conversion with its converter kept open between calls: for typed text, which comes a
// character at a time.
class Cp932CharacterEncoder {
  public:
    Cp932CharacterEncoder();
    ~Cp932CharacterEncoder();
    Cp932CharacterEncoder(const Cp932CharacterEncoder&) = delete;
    Cp932CharacterEncoder& operator=(const Cp932CharacterEncoder&) = delete;
    std::optional<std::vector<uint16_t>> codes(std::string_view utf8);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The UTF-8 form of one such character code; nullopt when the code is no character.
std::optional<std::string> characterCodeToUtf8(uint16_t code);

}  // namespace rs::platform
