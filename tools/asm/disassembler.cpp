#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "asm/asm.h"
#include "asm/literal_text.h"
#include "builtins/dispatcher.h"
#include "runtime/interpreter.h"

namespace rs::tools {

namespace {

using runtime::OpKind;

struct Decoded {
    bool valid = false;
    OpKind kind = OpKind::Invalid;
    uint8_t opcode = 0;
    int32_t operand = 0;
    int32_t size = 1;
};

Decoded decodeAt(std::span<const uint8_t> img, int32_t at) {
    Decoded d;
    d.opcode = img[static_cast<size_t>(at)];
    runtime::OpInfo info = runtime::opInfo(d.opcode);
    int32_t left = static_cast<int32_t>(img.size()) - at - 1;
    if (info.kind == OpKind::Invalid || left < info.operandBytes) return d;
    const uint8_t* p = img.data() + at + 1;
    switch (info.operandBytes) {
        case 4:
            d.operand = static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                                             (static_cast<uint32_t>(p[3]) << 24));
            break;
        case 2: d.operand = p[0] | (p[1] << 8); break;
        case 1: d.operand = p[0]; break;
        default: break;
    }
    d.valid = true;
    d.kind = info.kind;
    d.size = 1 + info.operandBytes;
    return d;
}

// A literal block that a push-string instruction names and that lies inside the image.
bool literalFits(std::span<const uint8_t> img, int32_t off, int32_t& end) {
    auto size = static_cast<int64_t>(img.size());
    if (off < 0 || off + 2 > size) return false;
    int32_t len = img[static_cast<size_t>(off)] | (img[static_cast<size_t>(off) + 1] << 8);
    if (off + 2 + int64_t{len} > size) return false;
    end = off + 2 + len;
    return true;
}

// Where the literal blocks are: found by decoding around the blocks found so far, until the set
// stops changing (a few rounds at most).
std::map<int32_t, int32_t> findLiterals(std::span<const uint8_t> img) {
    std::map<int32_t, int32_t> regions;  // start -> end
    for (int round = 0; round < 4; ++round) {
        std::set<int32_t> wanted;
        int32_t at = 0;
        auto size = static_cast<int32_t>(img.size());
        while (at < size) {
            auto r = regions.find(at);
            if (r != regions.end()) {
                at = r->second;
                continue;
            }
            Decoded d = decodeAt(img, at);
            auto next = regions.lower_bound(at + 1);
            if (!d.valid || (next != regions.end() && next->first < at + d.size)) {
                ++at;
                continue;
            }
            if (d.kind == OpKind::PushString) wanted.insert(d.operand);
            at += d.size;
        }
        std::map<int32_t, int32_t> fresh;
        int32_t lastEnd = 0;
        for (int32_t off : wanted) {
            int32_t end = 0;
            if (off < lastEnd || !literalFits(img, off, end)) continue;
            fresh[off] = end;
            lastEnd = end;
        }
        if (fresh == regions) break;
        regions = std::move(fresh);
    }
    return regions;
}

std::string suffixFor(uint8_t opcode) {
    switch (opcode >> 4) {
        case 0x0: return ".32";
        case 0x1: return ".16";
        default: return ".8";
    }
}

// The encoding the assembler picks by default, as a suffix ("" for the default of labels).
std::string defaultSuffix(OpKind kind, int64_t value) {
    switch (kind) {
        case OpKind::PushInt:
            if (value >= 0 && value <= 4) return ".k";
            [[fallthrough]];
        case OpKind::CallCommand:
        case OpKind::PushVar:
            if (value >= 0 && value <= 0xFF) return ".8";
            if (value >= 0 && value <= 0xFFFF) return ".16";
            return ".32";
        default: return ".32";
    }
}

std::string realText(int32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    if (std::isfinite(f)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(f));
        float back = static_cast<float>(std::strtod(buf, nullptr));
        int32_t backBits;
        std::memcpy(&backBits, &back, 4);
        // The text must read as a real, not an integer the assembler would widen differently.
        if (backBits == bits) {
            std::string s(buf);
            if (s.find_first_of(".en") == std::string::npos) s += ".0";
            return "pushf " + s;
        }
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "pushf.bits 0x%08x", static_cast<uint32_t>(bits));
    return buf;
}

}  // namespace

std::string disassemble(std::span<const uint8_t> img) {
    auto size = static_cast<int32_t>(img.size());
    std::map<int32_t, int32_t> literals = findLiterals(img);

    // Items: literal blocks, instructions, and single bytes that are neither.
    struct Item {
        int32_t at;
        int32_t size;
        bool literal;
        Decoded d;
    };
    std::vector<Item> items;
    for (int32_t at = 0; at < size;) {
        if (auto r = literals.find(at); r != literals.end()) {
            items.push_back({at, r->second - at, true, {}});
            at = r->second;
            continue;
        }
        Decoded d = decodeAt(img, at);
        auto next = literals.lower_bound(at + 1);
        if (!d.valid || (next != literals.end() && next->first < at + d.size)) d = Decoded{};
        items.push_back({at, d.size, false, d});
        at += d.size;
    }
    std::set<int32_t> starts;
    for (const Item& it : items) starts.insert(it.at);

    // Labels at the offsets that operands name.
    std::map<int32_t, std::string> labels;
    for (const Item& it : items) {
        if (it.literal || !it.d.valid) continue;
        int32_t target = it.d.operand;
        if (it.d.kind == OpKind::PushString && literals.count(target)) {
            labels[target] = "S" + std::to_string(target);
        } else if ((it.d.kind == OpKind::PushLabel || it.d.kind == OpKind::CallFunction) &&
                   starts.count(target)) {
            if (!labels.count(target))
                labels[target] = (literals.count(target) ? "S" : "L") + std::to_string(target);
        }
    }

    std::string out = "# disassembled by rs-dis: " + std::to_string(size) + " bytes\n";
    const auto& commands = builtins::commandTable();
    std::vector<uint8_t> pendingBytes;
    auto flushBytes = [&]() {
        for (size_t i = 0; i < pendingBytes.size(); i += 16) {
            out += "    .byte ";
            for (size_t j = i; j < pendingBytes.size() && j < i + 16; ++j) {
                char buf[8];
                std::snprintf(buf, sizeof buf, j == i ? "0x%02x" : ", 0x%02x", pendingBytes[j]);
                out += buf;
            }
            out += '\n';
        }
        pendingBytes.clear();
    };
    for (const Item& it : items) {
        if (auto l = labels.find(it.at); l != labels.end()) {
            flushBytes();
            out += l->second + ":\n";
        }
        if (!it.literal && !it.d.valid) {
            pendingBytes.push_back(img[static_cast<size_t>(it.at)]);
            continue;
        }
        flushBytes();
        if (it.literal) {
            auto text = std::string_view(reinterpret_cast<const char*>(img.data()) + it.at + 2,
                                         static_cast<size_t>(it.size - 2));
            out += "    .str " + literalSource(text) + "\n";
            continue;
        }
        const Decoded& d = it.d;
        std::string line;
        auto operandLine = [&](const char* mnemonic, int64_t value, const std::string& text) {
            std::string suffix = suffixFor(d.opcode);
            std::string def = defaultSuffix(d.kind, value);
            line = std::string(mnemonic) + (suffix == def ? "" : suffix) + " " + text;
        };
        switch (d.kind) {
            case OpKind::PushInt: {
                // 16- and 8-bit operands are unsigned.
                int64_t v = d.operand;
                operandLine("push", v, std::to_string(v));
                break;
            }
            case OpKind::PushSmall: line = "push " + std::to_string(d.opcode - 0xD0); break;
            case OpKind::PushReal: line = realText(d.operand); break;
            case OpKind::PushString:
            case OpKind::PushLabel:
            case OpKind::CallFunction: {
                const char* m = d.kind == OpKind::PushString  ? "pushs"
                                : d.kind == OpKind::PushLabel ? "pushl"
                                                              : "call";
                auto l = labels.find(d.operand);
                bool named = l != labels.end() &&
                             (d.kind != OpKind::PushString || literals.count(d.operand));
                // A label operand written as a number is read back with the shortest width, so
                // numbers always carry their suffix.
                std::string suffix = suffixFor(d.opcode);
                if (named) {
                    line = std::string(m) + (suffix == ".32" ? "" : suffix) + " " + l->second;
                } else {
                    line = std::string(m) + suffix + " " + std::to_string(d.operand);
                }
                break;
            }
            case OpKind::CallCommand: {
                const auto* entry = commands.find(d.operand);
                operandLine("cmd", d.operand, entry ? entry->name : std::to_string(d.operand));
                break;
            }
            case OpKind::PushVar: operandLine("var", d.operand, std::to_string(d.operand)); break;
            case OpKind::PushVoid: line = "void"; break;
            case OpKind::Operator: {
                const char* sym = operatorSymbol(d.opcode - 0x80);
                line = sym ? sym : "op " + std::to_string(d.opcode - 0x80);
                break;
            }
            case OpKind::Global: line = "global"; break;
            case OpKind::IfGoto: line = "ifgoto"; break;
            case OpKind::Goto: line = "goto"; break;
            case OpKind::Return: line = "return"; break;
            case OpKind::Invalid: break;
        }
        out += "    " + line + "\n";
    }
    flushBytes();
    return out;
}

}  // namespace rs::tools
