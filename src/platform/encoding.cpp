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

}  // namespace rs::platform
