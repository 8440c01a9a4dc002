#include "shell/input_file.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "data/host_file.h"
#include "platform/encoding.h"

namespace rs::shell {

namespace {

namespace vk = platform::vk;
using platform::InputEvent;
using platform::InputKind;

struct KeyName {
    const char* name;
    int32_t key;
};

// The names of keys besides letters, digits, F1-F24 and NUMPAD0-9; the first name of a key is
// the one recordings write.
constexpr KeyName kKeyNames[] = {
    {"LBUTTON", vk::kLButton},
    {"RBUTTON", vk::kRButton},
    {"CANCEL", 0x03},
    {"MBUTTON", vk::kMButton},
    {"XBUTTON1", vk::kXButton1},
    {"XBUTTON2", vk::kXButton2},
    {"BACK", vk::kBack},
    {"BACKSPACE", vk::kBack},
    {"TAB", vk::kTab},
    {"CLEAR", vk::kClear},
    {"RETURN", vk::kReturn},
    {"ENTER", vk::kReturn},
    {"SHIFT", vk::kShift},
    {"CONTROL", vk::kControl},
    {"CTRL", vk::kControl},
    {"MENU", vk::kMenu},
    {"ALT", vk::kMenu},
    {"PAUSE", vk::kPause},
    {"CAPITAL", vk::kCapital},
    {"CAPSLOCK", vk::kCapital},
    {"KANA", vk::kKana},
    {"KANJI", vk::kKanji},
    {"ESCAPE", vk::kEscape},
    {"ESC", vk::kEscape},
    {"CONVERT", vk::kConvert},
    {"NONCONVERT", vk::kNonConvert},
    {"SPACE", vk::kSpace},
    {"PRIOR", vk::kPrior},
    {"PAGEUP", vk::kPrior},
    {"NEXT", vk::kNext},
    {"PAGEDOWN", vk::kNext},
    {"END", vk::kEnd},
    {"HOME", vk::kHome},
    {"LEFT", vk::kLeft},
    {"UP", vk::kUp},
    {"RIGHT", vk::kRight},
    {"DOWN", vk::kDown},
    {"SNAPSHOT", vk::kSnapshot},
    {"PRINTSCREEN", vk::kSnapshot},
    {"INSERT", vk::kInsert},
    {"DELETE", vk::kDelete},
    {"LWIN", vk::kLWin},
    {"RWIN", vk::kRWin},
    {"APPS", vk::kApps},
    {"MULTIPLY", vk::kMultiply},
    {"ADD", vk::kAdd},
    {"SEPARATOR", vk::kSeparator},
    {"SUBTRACT", vk::kSubtract},
    {"DECIMAL", vk::kDecimal},
    {"DIVIDE", vk::kDivide},
    {"NUMLOCK", vk::kNumLock},
    {"SCROLL", vk::kScroll},
    {"SCROLLLOCK", vk::kScroll},
    {"LSHIFT", vk::kLShift},
    {"RSHIFT", vk::kRShift},
    {"LCONTROL", vk::kLControl},
    {"LCTRL", vk::kLControl},
    {"RCONTROL", vk::kRControl},
    {"RCTRL", vk::kRControl},
    {"LMENU", vk::kLMenu},
    {"LALT", vk::kLMenu},
    {"RMENU", vk::kRMenu},
    {"RALT", vk::kRMenu},
    {"OEM_1", vk::kOem1},
    {"OEM_PLUS", vk::kOemPlus},
    {"OEM_COMMA", vk::kOemComma},
    {"OEM_MINUS", vk::kOemMinus},
    {"OEM_PERIOD", vk::kOemPeriod},
    {"OEM_2", vk::kOem2},
    {"OEM_3", vk::kOem3},
    {"OEM_4", vk::kOem4},
    {"OEM_5", vk::kOem5},
    {"OEM_6", vk::kOem6},
    {"OEM_7", vk::kOem7},
    {"OEM_102", vk::kOem102},
};

// Names of the numbered families: A-Z, F1-F24, NUMPAD0-9, kept for virtualKeyName.
const std::array<std::string, 256>& generatedNames() {
    static const std::array<std::string, 256> names = [] {
        std::array<std::string, 256> n;
        for (int32_t c = 'A'; c <= 'Z'; ++c) n[static_cast<size_t>(c)] = std::string(1, char(c));
        for (int32_t i = 0; i < 24; ++i)
            n[static_cast<size_t>(vk::kF1 + i)] = std::string("F").append(std::to_string(i + 1));
        for (int32_t i = 0; i < 10; ++i)
            n[static_cast<size_t>(vk::kNumpad0 + i)] =
                std::string("NUMPAD").append(std::to_string(i));
        for (const KeyName& k : kKeyNames) {
            std::string& slot = n[static_cast<size_t>(k.key)];
            if (slot.empty()) slot = k.name;
        }
        return n;
    }();
    return names;
}

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool sameWord(std::string_view a, const char* b) { return upper(a) == upper(b); }

// A word for a message: printable ASCII as it is, other bytes as \xHH, at most 40 bytes.
std::string shown(std::string_view word) {
    std::string out;
    for (size_t i = 0; i < word.size() && i < 40; ++i) {
        auto b = static_cast<unsigned char>(word[i]);
        if (b >= 0x20 && b < 0x7F) {
            out += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    if (word.size() > 40) out += "...";
    return "'" + out + "'";
}

// A whole word as an integer: decimal with an optional sign, or hexadecimal after 0x.
std::optional<int64_t> integerOf(std::string_view w) {
    if (w.empty()) return std::nullopt;
    bool negative = false;
    if (w[0] == '-' || w[0] == '+') {
        negative = w[0] == '-';
        w.remove_prefix(1);
    }
    int base = 10;
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) {
        base = 16;
        w.remove_prefix(2);
    }
    if (w.empty() || w.size() > 18) return std::nullopt;
    int64_t v = 0;
    auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v, base);
    if (ec != std::errc() || end != w.data() + w.size()) return std::nullopt;
    return negative ? -v : v;
}

// One line being read: its words, and where the error goes.
class LineReader {
  public:
    LineReader(std::string_view line, InputFileError& error,
               platform::Cp932CharacterEncoder& encoder)
        : line_(line), error_(error), encoder_(encoder) {
        size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
            if (i >= line.size()) break;
            size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
            words_.push_back(line.substr(start, i - start));
            ends_.push_back(i);
        }
    }

    size_t count() const { return words_.size(); }
    platform::Cp932CharacterEncoder& encoder() { return encoder_; }
    std::string_view word(size_t i) const { return words_[i]; }
    // The text after word i and the one blank that follows it.
    std::string_view restAfter(size_t i) const {
        size_t at = ends_[i];
        if (at < line_.size()) ++at;
        return line_.substr(at);
    }
    // The words that count: up to a word starting with '#'.
    size_t meaningful() const {
        for (size_t i = 0; i < words_.size(); ++i) {
            if (words_[i][0] == '#') return i;
        }
        return words_.size();
    }

    bool fail(std::string message) {
        error_.message = std::move(message);
        return false;
    }
    // Word i as an integer in [lo, hi]; `what` names it in the message.
    bool number(size_t i, int64_t lo, int64_t hi, const char* what, int32_t& out) {
        if (i >= meaningful()) return fail(std::string("the event ends before its ") + what);
        auto v = integerOf(words_[i]);
        if (!v || *v < lo || *v > hi)
            return fail("the " + std::string(what) + " " + shown(words_[i]) +
                        " is not a number from " + std::to_string(lo) + " to " +
                        std::to_string(hi));
        out = static_cast<int32_t>(*v);
        return true;
    }
    // Word i must be one of the choices; its index.
    bool choice(size_t i, std::initializer_list<const char*> choices, const char* what,
                int32_t& out) {
        std::string list;
        int32_t n = 0;
        for (const char* c : choices) {
            if (i < meaningful() && sameWord(words_[i], c)) {
                out = n;
                return true;
            }
            list += (n ? (n + 1 == static_cast<int32_t>(choices.size()) ? " or " : ", ") : "");
            list += c;
            ++n;
        }
        if (i >= meaningful()) return fail(std::string("the event ends before its ") + what);
        return fail("the " + std::string(what) + " " + shown(words_[i]) + " is not " + list);
    }
    bool end(size_t i) {
        if (i < meaningful()) return fail("unexpected " + shown(words_[i]) + " after the event");
        return true;
    }

  private:
    std::string_view line_;
    InputFileError& error_;
    platform::Cp932CharacterEncoder& encoder_;
    std::vector<std::string_view> words_;
    std::vector<size_t> ends_;
};

constexpr int64_t kIntMin = INT32_MIN;
constexpr int64_t kIntMax = INT32_MAX;

// The event of one line (words from index 1); text lines may give several events.
bool parseEvent(LineReader& r, uint32_t time, std::vector<TimedInput>& out) {
    std::string_view kind = r.word(1);
    auto add = [&](const InputEvent& e) { out.push_back({time, e}); };
    int32_t a = 0, b = 0, c = 0, d = 0;
    if (sameWord(kind, "key")) {
        if (!r.choice(2, {"down", "up"}, "direction", a)) return false;
        if (r.meaningful() <= 3) return r.fail("the event ends before its key");
        auto key = virtualKeyFromName(r.word(3));
        if (!key)
            return r.fail("unknown key " + shown(r.word(3)) +
                          " (a name such as RETURN, or a number from 0 to 255)");
        if (!r.end(4)) return false;
        add(InputEvent::key(a == 0, *key));
        return true;
    }
    if (sameWord(kind, "mouse")) {
        if (!r.choice(2, {"move", "down", "up"}, "mouse event", a)) return false;
        size_t at = 3;
        if (a > 0) {
            if (!r.choice(3, {"left", "right", "middle"}, "button", b)) return false;
            at = 4;
        }
        if (!r.number(at, kIntMin, kIntMax, "x", c) ||
            !r.number(at + 1, kIntMin, kIntMax, "y", d) || !r.end(at + 2))
            return false;
        if (a == 0) {
            add(InputEvent::pointer(c, d));
        } else {
            add(InputEvent::button(a == 1, static_cast<platform::MouseButton>(b), c, d));
        }
        return true;
    }
    if (sameWord(kind, "wheel") || sameWord(kind, "hwheel")) {
        if (!r.number(2, kIntMin, kIntMax, "delta", a) || !r.end(3)) return false;
        add(InputEvent::wheel(sameWord(kind, "hwheel"), a));
        return true;
    }
    if (sameWord(kind, "text")) {
        std::string_view text = r.restAfter(1);
        auto codes = r.encoder().codes(text);
        if (!codes) return r.fail("the text is not valid UTF-8");
        if (out.size() + codes->size() > kMaxInputEvents)
            return r.fail("the file holds more than " + std::to_string(kMaxInputEvents) +
                          " events");
        // Control characters come from keys (Enter, Tab, Backspace, Escape), not from text.
        for (uint16_t code : *codes) {
            if (code >= 0x20 && code != 0x7F) add(InputEvent::character(code));
        }
        return true;
    }
    if (sameWord(kind, "pad")) {
        if (!r.number(2, 0, platform::kPadCount - 1, "pad", a) ||
            !r.choice(3, {"axis", "button"}, "pad event", b))
            return false;
        if (b == 0) {
            if (!r.number(4, 0, platform::kPadPovItem, "axis", c) ||
                !r.number(5, 0, platform::kAxisMax, "position", d) || !r.end(6))
                return false;
            add(InputEvent::padAxis(a, c, d));
        } else {
            if (!r.number(4, 0, platform::kPadButtonCount - 1, "button", c) ||
                !r.choice(5, {"down", "up"}, "direction", d) || !r.end(6))
                return false;
            add(InputEvent::padButton(a, c, d == 0));
        }
        return true;
    }
    if (sameWord(kind, "focus")) {
        if (!r.choice(2, {"in", "out"}, "focus", a) || !r.end(3)) return false;
        add(InputEvent::of(a == 0 ? InputKind::FocusIn : InputKind::FocusOut));
        return true;
    }
    if (sameWord(kind, "close")) {
        if (!r.end(2)) return false;
        add(InputEvent::of(InputKind::Close));
        return true;
    }
    return r.fail("unknown event " + shown(kind) +
                  " (key, mouse, wheel, hwheel, text, pad, focus or close)");
}

}  // namespace

std::optional<int32_t> virtualKeyFromName(std::string_view name) {
    if (auto v = integerOf(name)) {
        if (*v < 0 || *v > 255) return std::nullopt;
        return static_cast<int32_t>(*v);
    }
    std::string u = upper(name);
    if (u.rfind("VK_", 0) == 0) u.erase(0, 3);
    const auto& names = generatedNames();
    for (size_t k = 0; k < names.size(); ++k) {
        if (!names[k].empty() && names[k] == u) return static_cast<int32_t>(k);
    }
    for (const KeyName& k : kKeyNames) {
        if (u == k.name) return k.key;
    }
    return std::nullopt;
}

const char* virtualKeyName(int32_t key) {
    if (key < 0 || key > 255) return nullptr;
    const std::string& n = generatedNames()[static_cast<size_t>(key)];
    return n.empty() ? nullptr : n.c_str();
}

bool parseInputText(std::string_view text, std::vector<TimedInput>& out, InputFileError& error) {
    out.clear();
    // A byte-order mark some editors write.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int64_t lineNumber = 0;
    uint32_t lastTime = 0;
    platform::Cp932CharacterEncoder encoder;
    while (!text.empty()) {
        ++lineNumber;
        size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        error.line = lineNumber;
        if (line.size() > kMaxInputLineBytes) {
            error.message =
                "the line is longer than " + std::to_string(kMaxInputLineBytes) + " bytes";
            return false;
        }
        LineReader r(line, error, encoder);
        if (r.meaningful() == 0) {
            // Blank or a comment; a line whose first word is a comment is a comment.
            if (r.count() == 0 || r.word(0)[0] == '#') continue;
        }
        int32_t time = 0;
        if (!r.number(0, 0, kIntMax, "time", time)) {
            error.message += " (milliseconds of engine time from the start)";
            return false;
        }
        if (r.meaningful() < 2) return r.fail("the line has a time but no event");
        if (static_cast<uint32_t>(time) < lastTime)
            return r.fail("the time " + std::to_string(time) + " comes before " +
                          std::to_string(lastTime) + " of an earlier line (times never decrease)");
        lastTime = static_cast<uint32_t>(time);
        if (!parseEvent(r, lastTime, out)) return false;
        if (out.size() > kMaxInputEvents)
            return r.fail("the file holds more than " + std::to_string(kMaxInputEvents) +
                          " events");
    }
    return true;
}

bool readInputFile(const std::string& path, std::vector<TimedInput>& out, std::string* error) {
    std::string why;
    auto bytes = data::readWholeFile(path, &why, kMaxInputFileBytes);
    if (!bytes) {
        if (error) *error = "cannot read the input file '" + path + "': " + why;
        return false;
    }
    InputFileError e;
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (!parseInputText(text, out, e)) {
        if (error) *error = path + ":" + std::to_string(e.line) + ": " + e.message;
        return false;
    }
    return true;
}

std::string formatInputLine(uint32_t time, const InputEvent& ev) {
    std::string t = std::to_string(time) + " ";
    auto key = [](int32_t k) {
        const char* n = virtualKeyName(k);
        return n ? std::string(n) : std::to_string(k);
    };
    auto at = [&](const InputEvent& e) {
        return std::string(" ").append(std::to_string(e.x)).append(" ").append(std::to_string(e.y));
    };
    static const char* const kButtons[] = {"left", "right", "middle"};
    switch (ev.kind) {
        case InputKind::KeyDown: return t + "key down " + key(ev.code);
        case InputKind::KeyUp: return t + "key up " + key(ev.code);
        case InputKind::Character: {
            auto text = platform::characterCodeToUtf8(static_cast<uint16_t>(ev.code));
            if (ev.code < 0x20 || ev.code == 0x7F || ev.code > 0xFFFF || !text) return "";
            return t + "text " + *text;
        }
        case InputKind::PointerMove: return t + "mouse move" + at(ev);
        case InputKind::ButtonDown:
        case InputKind::ButtonUp:
            if (ev.code < 0 || ev.code > 2) return "";
            return t + "mouse " + (ev.kind == InputKind::ButtonDown ? "down " : "up ") +
                   kButtons[ev.code] + at(ev);
        case InputKind::Wheel: return t + "wheel " + std::to_string(ev.code);
        case InputKind::WheelH: return t + "hwheel " + std::to_string(ev.code);
        case InputKind::PadAxis:
            return t + "pad " + std::to_string(ev.pad) + " axis " + std::to_string(ev.item) + " " +
                   std::to_string(ev.value);
        case InputKind::PadButton:
            return t + "pad " + std::to_string(ev.pad) + " button " + std::to_string(ev.item) +
                   (ev.value ? " down" : " up");
        case InputKind::FocusIn: return t + "focus in";
        case InputKind::FocusOut: return t + "focus out";
        case InputKind::Close: return t + "close";
        case InputKind::Composition:
        case InputKind::PadRemoved: return "";
    }
    return "";
}

}  // namespace rs::shell
