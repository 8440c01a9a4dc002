// String literals in the assembler's text form and their code page 932 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rs::tools {

// The bytes of a literal written between double quotes (escapes processed, text converted to
// code page 932). `variable` resolves variable names used in interpolations. Nullopt with `error`
// set when the text is malformed.
std::optional<std::string> literalBytes(
    std::string_view text, const std::function<std::optional<int32_t>(std::string_view)>& variable,
    std::string& error);

// The quoted source text of literal bytes; literalBytes of it gives the bytes back.
std::string literalSource(std::string_view bytes);

}  // namespace rs::tools
