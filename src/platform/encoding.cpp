#include "platform/encoding.h"

#include <iconv.h>

#include <cerrno>

namespace rs::platform {

namespace {

// One conversion descriptor per call keeps the functions safe to use from several threads.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

    // Converts as much as possible; on an unconvertible sequence calls `onError`, which returns
    // how many input bytes to skip and appends its replacement. A zero skip stops conversion.
    template <typename OnError>
    bool convert(std::string_view in, std::string& out, OnError onError) {
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char buf[1024];
        while (left > 0) {
            char* dst = buf;
            size_t room = sizeof buf;
            size_t r = iconv(cd_, &src, &left, &dst, &room);
            out.append(buf, static_cast<size_t>(dst - buf));
            if (r != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            size_t skip = onError(std::string_view(src, left), out);
            if (skip == 0) return false;
            src += skip;
            left -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        // Flush any shift state.
        char* dst = buf;
        size_t room = sizeof buf;
        iconv(cd_, nullptr, nullptr, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        return true;
    }

  private:
    iconv_t cd_;
};

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) {
    std::string out;
    Converter conv("UTF-8", "CP932");
    if (!conv.ok()) return std::string(cp932);
    conv.convert(cp932, out, [](std::string_view rest, std::string& o) -> size_t {
        o += "\xEF\xBF\xBD";
        // Skip a lead byte together with its trail byte, so one bad pair gives one mark.
        if (rest.size() >= 2 && isLeadByte(static_cast<uint8_t>(rest[0]))) return 2;
        return 1;
    });
    return out;
}

std::optional<std::string> cp932ToUtf8Strict(std::string_view cp932) {
    std::string out;
    Converter conv("UTF-8", "CP932");
    if (!conv.ok()) return std::nullopt;
    if (!conv.convert(cp932, out, [](std::string_view, std::string&) -> size_t { return 0; })) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> utf8ToCp932(std::string_view utf8) {
    std::string out;
    Converter conv("CP932", "UTF-8");
    if (!conv.ok()) return std::nullopt;
    if (!conv.convert(utf8, out, [](std::string_view, std::string&) -> size_t { return 0; })) {
        return std::nullopt;
    }
    return out;
}

std::string utf8ToCp932Lossy(std::string_view utf8) {
    std::string out;
    Converter conv("CP932", "UTF-8");
    if (!conv.ok()) return std::string(utf8);
    conv.convert(utf8, out, [](std::string_view rest, std::string& o) -> size_t {
        o += '?';
        // Skip one whole UTF-8 sequence.
        auto b = static_cast<uint8_t>(rest[0]);
        size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return n < rest.size() ? n : rest.size();
    });
    return out;
}

namespace {

// The length of the UTF-8 sequence at the start of `s`, 0 when it is not a valid one (a stray
// continuation byte, a cut sequence, an overlong form, a surrogate or a value above U+10FFFF).
size_t utf8SequenceLength(std::string_view s) {
    auto b = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
    uint8_t first = b(0);
    size_t n;
    uint32_t cp;
    if (first < 0x80) return 1;
    if (first >= 0xC2 && first <= 0xDF) {
        n = 2;
        cp = first & 0x1F;
    } else if (first >= 0xE0 && first <= 0xEF) {
        n = 3;
        cp = first & 0x0F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        n = 4;
        cp = first & 0x07;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (b(i) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

}  // namespace

struct Cp932CharacterEncoder::Impl {
    Converter conv{"CP932", "UTF-8"};
};

Cp932CharacterEncoder::Cp932CharacterEncoder() : impl_(std::make_unique<Impl>()) {}
Cp932CharacterEncoder::~Cp932CharacterEncoder() = default;

std::optional<std::vector<uint16_t>> Cp932CharacterEncoder::codes(std::string_view utf8) {
    std::vector<uint16_t> codes;
    Converter& conv = impl_->conv;
    if (!conv.ok()) return std::nullopt;
    while (!utf8.empty()) {
        size_t n = utf8SequenceLength(utf8);
        if (n == 0) return std::nullopt;
        std::string out;
        bool converted = conv.convert(utf8.substr(0, n), out,
                                      [](std::string_view, std::string&) -> size_t { return 0; });
        utf8.remove_prefix(n);
        if (!converted) {
            // Back to the initial state after the refused character.
            conv.reset();
            continue;
        }
        if (out.empty() || out.size() > 2) continue;
        auto lead = static_cast<uint8_t>(out[0]);
        uint16_t code = out.size() == 2
                            ? static_cast<uint16_t>(lead << 8 | static_cast<uint8_t>(out[1]))
                            : lead;
        if (code != 0) codes.push_back(code);
    }
    return codes;
}

std::optional<std::vector<uint16_t>> cp932CharacterCodes(std::string_view utf8) {
    return Cp932CharacterEncoder().codes(utf8);
}

std::optional<std::string> characterCodeToUtf8(uint16_t code) {
    if (code == 0) return std::nullopt;
    std::string bytes;
    if (code > 0xFF) bytes += static_cast<char>(code >> 8);
    bytes += static_cast<char>(code & 0xFF);
    // A lone lead byte, or a pair whose first byte leads nothing, is no character.
    if ((bytes.size() == 1) == isLeadByte(static_cast<uint8_t>(bytes[0]))) return std::nullopt;
    return cp932ToUtf8Strict(bytes);
}

}  // namespace rs::platform
