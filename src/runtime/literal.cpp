#include "runtime/literal.h"

#include <cstring>

#include "platform/encoding.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::runtime {

namespace {

constexpr size_t kWorkBuffer = 2048;  // the expanded text holds at most 2047 bytes

// Full-width forms of 0x20..0x7E.
constexpr uint16_t kFullAscii[95] = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B,
    0x8143, 0x817C, 0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197, 0x8260, 0x8261, 0x8262,
    0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276, 0x8277, 0x8278, 0x8279, 0x816D,
    0x815F, 0x816E, 0x814F, 0x8151, 0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293,
    0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,
};

// Full-width forms of the half-width katakana 0xA1..0xDF.
constexpr uint16_t kFullKana[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,
};

int32_t readWord(std::string_view b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return static_cast<int32_t>(v);
}

// Four ASCII decimal digits; -1 when they are not digits.
int32_t readDigits(std::string_view b, size_t at) {
    int32_t n = 0;
    for (size_t i = 0; i < 4; ++i) {
        char c = b[at + i];
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The first element of a variable known to the thread (locals first), or "not known".
struct FirstElement {
    bool known = false;
    const Value* cell = nullptr;
};

FirstElement firstElement(Engine& e, ScriptThread& t, int32_t number) {
    Variable* v = t.locals.find(number);
    if (!v) v = e.globals.find(number);
    if (!v || v->elements.empty()) return {};
    return {true, v->elements[0]};
}

class Output {
  public:
    // Appends as much as fits; a double-byte pair is never split.
    void append(std::string_view s) {
        for (size_t i = 0; i < s.size(); ++i) {
            bool pair = platform::isLeadByte(static_cast<uint8_t>(s[i])) && i + 1 < s.size();
            size_t need = pair ? 2 : 1;
            if (text.size() + need > kWorkBuffer - 1) {
                full = true;
                return;
            }
            text += s[i];
            if (pair) text += s[++i];
        }
    }
    void insert(std::string_view s, bool fullWidth) {
        append(fullWidth ? toFullWidth(s) : std::string(s));
    }
    std::string text;
    bool full = false;
};

}  // namespace

std::string toFullWidth(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) {
        auto b = static_cast<uint8_t>(s[i]);
        uint16_t code = 0;
        if (b >= 0x20 && b <= 0x7E) {
            code = kFullAscii[b - 0x20];
        } else if (b >= 0xA1 && b <= 0xDF) {
            code = kFullKana[b - 0xA1];
        } else if (platform::isLeadByte(b) && i + 1 < s.size()) {
            out += s[i];
            out += s[++i];
            continue;
        } else {
            out += s[i];
            continue;
        }
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }
    return out;
}

std::string expandLiteral(Engine& e, ScriptThread& t, std::string_view b) {
    Output out;
    size_t i = 0;
    while (i < b.size() && !out.full && !t.failed) {
        auto c = static_cast<uint8_t>(b[i]);
        if (c == 0x07 && i + 5 <= b.size()) {
            int32_t number = readDigits(b, i + 1);
            i += 5;
            if (number < 0) continue;
            FirstElement first = firstElement(e, t, number);
            if (first.known) out.append(printValue(first.cell, number));
        } else if (c == 0x08 && i + 17 <= b.size()) {
            int32_t width = readWord(b, i + 1);
            bool fullWidth = readWord(b, i + 9) == 1;
            int32_t number = readDigits(b, i + 13);
            i += 17;
            if (number < 0) continue;
            FirstElement first = firstElement(e, t, number);
            if (first.known && first.cell)
                out.insert(printValueWidth(first.cell, width), fullWidth);
        } else if (c == 0x09) {
            i += 1;
            Value* v = ngetvar(e, t, true);
            out.append(printValue(v, 0));
            release(e, v);
        } else if (c == 0x0A && i + 13 <= b.size()) {
            int32_t width = readWord(b, i + 1);
            bool fullWidth = readWord(b, i + 9) == 1;
            i += 13;
            Value* v = ngetvar(e, t, true);
            out.insert(printValueWidth(v, width), fullWidth);
            release(e, v);
        } else if (c >= 0x07 && c <= 0x0A) {
            // A code cut short by the end of the literal: nothing more to expand.
            break;
        } else {
            size_t n = platform::isLeadByte(c) && i + 1 < b.size() ? 2 : 1;
            out.append(b.substr(i, n));
            i += n;
        }
    }
    return out.text;
}

}  // namespace rs::runtime
