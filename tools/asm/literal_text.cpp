#include "asm/literal_text.h"

#include <cstdlib>

#include "platform/encoding.h"

namespace rs::tools {

namespace {

void appendWord(std::string& out, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

int32_t readWord(std::string_view b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return static_cast<int32_t>(v);
}

bool fourDigits(std::string_view b, size_t at) {
    for (size_t i = 0; i < 4; ++i) {
        if (b[at + i] < '0' || b[at + i] > '9') return false;
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseInt(std::string_view s, int32_t& out) {
    if (s.empty()) return false;
    std::string t(s);
    char* end = nullptr;
    long long v = std::strtoll(t.c_str(), &end, 10);
    if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int32_t>(v);
    return true;
}

// One interpolation "\{...}": appends its bytes.
bool interpolation(std::string_view spec,
                   const std::function<std::optional<int32_t>(std::string_view)>& variable,
                   std::string& out, std::string& error) {
    // spec = [V][:W[:F]]
    std::string_view parts[3];
    int count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= spec.size(); ++i) {
        if (i < spec.size() && spec[i] != ':') continue;
        if (count == 3) {
            error = "bad interpolation \\{" + std::string(spec) + "}";
            return false;
        }
        parts[count++] = spec.substr(start, i - start);
        start = i + 1;
    }
    std::string_view var = parts[0];
    bool hasWidth = count >= 2;
    int32_t width = 0;
    if (hasWidth && !parseInt(parts[1], width)) {
        error = "bad width in \\{" + std::string(spec) + "}";
        return false;
    }
    int32_t full = 0;
    if (count == 3) {
        if (parts[2] != "F" && parts[2] != "f") {
            error = "the third part of \\{" + std::string(spec) + "} must be F (full width)";
            return false;
        }
        full = 1;
    }
    if (var.empty()) {
        if (!hasWidth) {
            out += '\x09';
        } else {
            out += '\x0A';
            appendWord(out, width);
            appendWord(out, 0);
            appendWord(out, full);
        }
        return true;
    }
    int32_t number = 0;
    if (!parseInt(var, number)) {
        auto v = variable(var);
        if (!v) {
            error = "unknown variable '" + std::string(var) + "' in \\{" + std::string(spec) + "}";
            return false;
        }
        number = *v;
    }
    if (number < 0 || number > 9999) {
        error = "interpolated variables are numbered 0 to 9999";
        return false;
    }
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", number);
    if (!hasWidth) {
        out += '\x07';
    } else {
        out += '\x08';
        appendWord(out, width);
        appendWord(out, 0);
        appendWord(out, full);
    }
    out.append(digits, 4);
    return true;
}

void appendHex(std::string& out, uint8_t b) {
    static const char* kHex = "0123456789abcdef";
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 15];
}

}  // namespace

std::optional<std::string> literalBytes(
    std::string_view text, const std::function<std::optional<int32_t>(std::string_view)>& variable,
    std::string& error) {
    std::string out;
    std::string run;  // UTF-8 text waiting for conversion
    auto flush = [&]() -> bool {
        if (run.empty()) return true;
        auto bytes = platform::utf8ToCp932(run);
        if (!bytes) {
            error = "text has no code page 932 form: " + run;
            return false;
        }
        out += *bytes;
        run.clear();
        return true;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\') {
            run += c;
            continue;
        }
        if (!flush()) return std::nullopt;
        if (++i >= text.size()) {
            error = "a literal ends with a lone backslash";
            return std::nullopt;
        }
        char k = text[i];
        if (k == '\\' || k == '"') {
            out += k;
        } else if (k == 'x') {
            int hi = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
            int lo = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
            if (hi < 0 || lo < 0) {
                error = "\\x needs two hex digits";
                return std::nullopt;
            }
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (k == '{') {
            size_t close = text.find('}', i);
            if (close == std::string_view::npos) {
                error = "unterminated \\{";
                return std::nullopt;
            }
            if (!interpolation(text.substr(i + 1, close - i - 1), variable, out, error))
                return std::nullopt;
            i = close;
        } else {
            error = std::string("unknown escape \\") + k;
            return std::nullopt;
        }
    }
    if (!flush()) return std::nullopt;
    return out;
}

std::string literalSource(std::string_view b) {
    std::string out = "\"";
    size_t i = 0;
    while (i < b.size()) {
        auto c = static_cast<uint8_t>(b[i]);
        if (c == 0x07 && i + 5 <= b.size() && fourDigits(b, i + 1)) {
            out += "\\{";
            out += std::to_string(std::atoi(std::string(b.substr(i + 1, 4)).c_str()));
            out += '}';
            i += 5;
            continue;
        }
        if ((c == 0x08 && i + 17 <= b.size() && fourDigits(b, i + 13)) ||
            (c == 0x0A && i + 13 <= b.size())) {
            int32_t width = readWord(b, i + 1);
            int32_t unused = readWord(b, i + 5);
            int32_t full = readWord(b, i + 9);
            if (unused == 0 && (full == 0 || full == 1)) {
                out += "\\{";
                if (c == 0x08)
                    out += std::to_string(std::atoi(std::string(b.substr(i + 13, 4)).c_str()));
                out += ':';
                out += std::to_string(width);
                if (full) out += ":F";
                out += "}";
                i += c == 0x08 ? 17 : 13;
                continue;
            }
        }
        if (c == 0x09) {
            out += "\\{}";
            ++i;
            continue;
        }
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // A double-byte character or a half-width katakana: shown as text when it converts to
        // UTF-8 and back to the same bytes.
        size_t n =
            platform::isLeadByte(c) && i + 1 < b.size() ? 2 : (c >= 0xA1 && c <= 0xDF ? 1 : 0);
        if (n > 0) {
            std::string_view ch = b.substr(i, n);
            auto utf8 = platform::cp932ToUtf8Strict(ch);
            if (utf8) {
                auto back = platform::utf8ToCp932(*utf8);
                if (back && *back == ch) {
                    out += *utf8;
                    i += n;
                    continue;
                }
            }
        }
        appendHex(out, c);
        ++i;
    }
    out += '"';
    return out;
}

}  // namespace rs::tools
