#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>

#include "asm/asm.h"
#include "asm/literal_text.h"
#include "builtins/dispatcher.h"
#include "platform/encoding.h"

namespace rs::tools {

namespace {

constexpr const char* kOperatorSymbols[30] = {
    "==",    "!=", nullptr, ">=", "<=",  "<<", ">>", "&&", "||", "+",
    "-",     "*",  "/",     "%",  ">",   "<",  "&",  "|",  "^",  nullptr,
    nullptr, ";",  nullptr, "=",  "neg", "+=", "-=", "++", "--", "\\",
};

enum class Width { Default, W8, W16, W32, K, Bits };

struct Operand {
    enum Kind { None, Number, Real, Symbol, Literal } kind = None;
    int64_t number = 0;
    double real = 0;
    std::string symbol;
    int64_t addend = 0;
    std::string literal;  // code page 932 bytes
};

struct Item {
    enum Kind { Instr, Bytes } kind = Instr;
    int line = 0;
    uint8_t op = 0;  // the low nibble for operand instructions, the whole opcode otherwise
    bool hasOperand = false;
    Width width = Width::Default;
    Operand operand;
    std::vector<uint8_t> bytes;
    std::vector<std::string> labels;  // labels defined at this item
    int32_t offset = 0;
};

bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// The line without its comment ('#' outside a string literal).
std::string_view stripComment(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted && c == '\\') {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == '#' && !quoted) {
            return line.substr(0, i);
        }
    }
    return line;
}

std::optional<int64_t> parseInteger(std::string_view s) {
    s = trim(s);
    if (s.empty()) return std::nullopt;
    std::string text(s);
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return v;
}

class Assembler {
  public:
    AsmResult run(std::string_view source);

  private:
    void error(int line, std::string message) {
        result_.errors.push_back({line, std::move(message)});
    }
    void parseLine(int line, std::string_view text);
    void parseInstruction(int line, std::string_view mnemonic, std::string_view rest);
    bool parseOperand(int line, std::string_view text, Operand& out);
    std::optional<std::string> parseLiteral(int line, std::string_view text);
    void addItem(Item item);
    void addLiteralBlock(int line, const std::string& text);
    int32_t sizeOf(Item& item);
    void emit(Item& item);
    std::optional<int64_t> valueOf(const Item& item);

    AsmResult result_;
    std::vector<Item> items_;
    std::vector<std::string> pendingLabels_;
    std::map<std::string, int32_t> labels_;
    std::map<std::string, int32_t> vars_;
    std::map<std::string, std::string> literalLabels_;       // literal bytes -> label of its block
    std::vector<std::pair<std::string, std::string>> pool_;  // label, bytes
    int currentLine_ = 0;
};

void Assembler::addLiteralBlock(int line, const std::string& text) {
    if (text.size() > 0xFFFF) return error(line, "a literal holds at most 65535 bytes");
    Item item;
    item.kind = Item::Bytes;
    item.line = line;
    // A 16-bit length, then the bytes.
    item.bytes.resize(2 + text.size());
    item.bytes[0] = static_cast<uint8_t>(text.size() & 0xFF);
    item.bytes[1] = static_cast<uint8_t>(text.size() >> 8);
    std::copy(text.begin(), text.end(), item.bytes.begin() + 2);
    addItem(std::move(item));
}

void Assembler::addItem(Item item) {
    item.labels = std::move(pendingLabels_);
    pendingLabels_.clear();
    items_.push_back(std::move(item));
}

std::optional<std::string> Assembler::parseLiteral(int line, std::string_view text) {
    std::string err;
    auto bytes = literalBytes(
        text,
        [&](std::string_view name) -> std::optional<int32_t> {
            auto it = vars_.find(std::string(name));
            if (it == vars_.end()) return std::nullopt;
            return it->second;
        },
        err);
    if (!bytes) error(line, err);
    return bytes;
}

bool Assembler::parseOperand(int line, std::string_view text, Operand& out) {
    text = trim(text);
    if (text.empty()) {
        error(line, "missing operand");
        return false;
    }
    if (text.front() == '"') {
        if (text.size() < 2 || text.back() != '"') {
            error(line, "unterminated string literal");
            return false;
        }
        auto bytes = parseLiteral(line, text.substr(1, text.size() - 2));
        if (!bytes) return false;
        out.kind = Operand::Literal;
        out.literal = std::move(*bytes);
        return true;
    }
    if (isIdentStart(text.front())) {
        size_t n = 0;
        while (n < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[n])) || text[n] == '_'))
            ++n;
        out.kind = Operand::Symbol;
        out.symbol = std::string(text.substr(0, n));
        std::string_view rest = trim(text.substr(n));
        if (!rest.empty()) {
            auto addend = parseInteger(rest[0] == '+' ? rest.substr(1) : rest);
            if (!addend || (rest[0] != '+' && rest[0] != '-')) {
                error(line, "bad operand '" + std::string(text) + "'");
                return false;
            }
            out.addend = *addend;
        }
        return true;
    }
    if (auto v = parseInteger(text)) {
        out.kind = Operand::Number;
        out.number = *v;
        return true;
    }
    std::string s(text);
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    if (*end == '\0') {
        out.kind = Operand::Real;
        out.real = d;
        return true;
    }
    error(line, "bad operand '" + s + "'");
    return false;
}

void Assembler::parseInstruction(int line, std::string_view mnemonic, std::string_view rest) {
    std::string base(mnemonic);
    Width width = Width::Default;
    if (size_t dot = base.find('.'); dot != std::string::npos && dot > 0) {
        std::string suffix = base.substr(dot + 1);
        base.resize(dot);
        if (suffix == "8")
            width = Width::W8;
        else if (suffix == "16")
            width = Width::W16;
        else if (suffix == "32")
            width = Width::W32;
        else if (suffix == "k")
            width = Width::K;
        else if (suffix == "bits")
            width = Width::Bits;
        else
            return error(line, "unknown width suffix '." + suffix + "'");
    }

    Item item;
    item.line = line;
    item.width = width;
    static const std::map<std::string, uint8_t> operandOps = {
        {"push", 0x0}, {"pushf", 0x1}, {"pushs", 0x2}, {"pushl", 0x3},
        {"cmd", 0x5},  {"call", 0x6},  {"var", 0x7},
    };
    static const std::map<std::string, uint8_t> plainOps = {
        {"void", 0x08}, {"global", 0xC0}, {"ifgoto", 0xC1}, {"goto", 0xC2}, {"return", 0xC3},
    };
    if (auto it = operandOps.find(base); it != operandOps.end()) {
        item.op = it->second;
        item.hasOperand = true;
        if (!parseOperand(line, rest, item.operand)) return;
        bool k = width == Width::K, bits = width == Width::Bits;
        if ((k && item.op != 0x0) || (bits && item.op != 0x1) ||
            (item.op == 0x1 && width != Width::Default && !bits)) {
            return error(line, "width suffix does not fit '" + base + "'");
        }
        if (item.operand.kind == Operand::Literal) {
            if (item.op != 0x2) return error(line, "a string literal only goes with pushs");
            auto& label = literalLabels_[item.operand.literal];
            if (label.empty()) {
                label = "__literal" + std::to_string(pool_.size());
                pool_.emplace_back(label, item.operand.literal);
            }
            item.operand.kind = Operand::Symbol;
            item.operand.symbol = label;
        }
        return addItem(std::move(item));
    }
    int operatorCode = -1;
    for (int code = 0; code < 30; ++code) {
        if (kOperatorSymbols[code] && base == kOperatorSymbols[code]) operatorCode = code;
    }
    if (operatorCode < 0 && !plainOps.count(base) && base != "op" && base != "jump") {
        return error(line, "unknown instruction '" + std::string(mnemonic) + "'");
    }
    if (!trim(rest).empty() && base != "op" && base != "jump") {
        return error(line, "'" + base + "' takes no operand");
    }
    if (width != Width::Default) return error(line, "'" + base + "' takes no width suffix");
    if (auto it = plainOps.find(base); it != plainOps.end()) {
        item.op = it->second;
        return addItem(std::move(item));
    }
    if (base == "op") {
        auto code = parseInteger(rest);
        if (!code || *code < 0 || *code > 63) return error(line, "op needs a code from 0 to 63");
        item.op = static_cast<uint8_t>(0x80 + *code);
        return addItem(std::move(item));
    }
    if (base == "jump") {
        Item push;
        push.line = line;
        push.op = 0x3;
        push.hasOperand = true;
        if (!parseOperand(line, rest, push.operand)) return;
        addItem(std::move(push));
        item.op = 0xC2;
        return addItem(std::move(item));
    }
    item.op = static_cast<uint8_t>(0x80 + operatorCode);
    addItem(std::move(item));
}

void Assembler::parseLine(int line, std::string_view raw) {
    std::string_view text = trim(stripComment(raw));
    // Labels at the start of the line.
    while (!text.empty() && isIdentStart(text.front())) {
        size_t n = 0;
        while (n < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[n])) || text[n] == '_'))
            ++n;
        if (n >= text.size() || text[n] != ':') break;
        std::string name(text.substr(0, n));
        if (labels_.count(name)) {
            error(line, "label '" + name + "' defined twice");
        } else {
            labels_[name] = -1;
            pendingLabels_.push_back(name);
        }
        text = trim(text.substr(n + 1));
    }
    if (text.empty()) return;
    size_t n = 0;
    while (n < text.size() && !std::isspace(static_cast<unsigned char>(text[n]))) ++n;
    std::string_view mnemonic = text.substr(0, n);
    std::string_view rest = trim(text.substr(n));

    if (mnemonic == ".var") {
        size_t sp = 0;
        while (sp < rest.size() && !std::isspace(static_cast<unsigned char>(rest[sp]))) ++sp;
        std::string name(rest.substr(0, sp));
        auto number = parseInteger(rest.substr(sp));
        if (name.empty() || !isIdentStart(name[0]) || !number || *number < 0 || *number > 65535) {
            return error(line, ".var needs a name and a variable number");
        }
        vars_[name] = static_cast<int32_t>(*number);
        return;
    }
    if (mnemonic == ".byte") {
        Item item;
        item.kind = Item::Bytes;
        item.line = line;
        size_t start = 0;
        std::string list(rest);
        while (start <= list.size()) {
            size_t comma = list.find(',', start);
            if (comma == std::string::npos) comma = list.size();
            auto v = parseInteger(std::string_view(list).substr(start, comma - start));
            if (!v || *v < 0 || *v > 255) return error(line, ".byte needs numbers from 0 to 255");
            item.bytes.push_back(static_cast<uint8_t>(*v));
            start = comma + 1;
        }
        return addItem(std::move(item));
    }
    if (mnemonic == ".str") {
        if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') {
            return error(line, ".str needs a string literal");
        }
        auto bytes = parseLiteral(line, rest.substr(1, rest.size() - 2));
        if (!bytes) return;
        addLiteralBlock(line, *bytes);
        return;
    }
    parseInstruction(line, mnemonic, rest);
}

// The operand's value, with symbols resolved; nullopt after reporting an error.
std::optional<int64_t> Assembler::valueOf(const Item& item) {
    const Operand& o = item.operand;
    if (o.kind == Operand::Number) return o.number;
    if (o.kind != Operand::Symbol) return std::nullopt;
    if (item.op == 0x5) {
        if (const auto* entry = builtins::commandTable().findByName(o.symbol))
            return entry->id + o.addend;
        error(item.line, "unknown command '" + o.symbol + "'");
        return std::nullopt;
    }
    if (item.op == 0x7) {
        auto it = vars_.find(o.symbol);
        if (it != vars_.end()) return it->second + o.addend;
        error(item.line, "unknown variable '" + o.symbol + "' (declare it with .var)");
        return std::nullopt;
    }
    auto it = labels_.find(o.symbol);
    if (it == labels_.end()) {
        error(item.line, "unknown label '" + o.symbol + "'");
        return std::nullopt;
    }
    return it->second + o.addend;
}

Width defaultWidth(uint8_t op, int64_t value) {
    switch (op) {
        case 0x0:
            if (value >= 0 && value <= 4) return Width::K;
            [[fallthrough]];
        case 0x5:
        case 0x7:
            if (value >= 0 && value <= 0xFF) return Width::W8;
            if (value >= 0 && value <= 0xFFFF) return Width::W16;
            return Width::W32;
        default: return Width::W32;
    }
}

int32_t Assembler::sizeOf(Item& item) {
    if (item.kind == Item::Bytes) return static_cast<int32_t>(item.bytes.size());
    if (!item.hasOperand) return 1;
    if (item.op == 0x1) return 5;
    if (item.width == Width::Default) {
        // Only numbers, commands and variables may take short forms by default: their value is
        // known before layout. Labels default to 32 bits.
        bool known = item.operand.kind == Operand::Number ||
                     (item.operand.kind == Operand::Symbol && (item.op == 0x5 || item.op == 0x7));
        if (known) {
            auto v = valueOf(item);
            item.width = v ? defaultWidth(item.op, *v) : Width::W32;
        } else {
            item.width = Width::W32;
        }
    }
    switch (item.width) {
        case Width::K: return 1;
        case Width::W8: return 2;
        case Width::W16: return 3;
        default: return 5;
    }
}

void Assembler::emit(Item& item) {
    std::vector<uint8_t>& out = result_.bytes;
    if (item.kind == Item::Bytes) {
        out.insert(out.end(), item.bytes.begin(), item.bytes.end());
        return;
    }
    if (!item.hasOperand) {
        out.push_back(item.op);
        return;
    }
    if (item.op == 0x1) {
        uint32_t bits = 0;
        if (item.width == Width::Bits) {
            if (item.operand.kind != Operand::Number || item.operand.number < 0 ||
                item.operand.number > 0xFFFFFFFFLL) {
                error(item.line, "pushf.bits needs a 32-bit number");
            }
            bits = static_cast<uint32_t>(item.operand.number);
        } else if (item.operand.kind == Operand::Number || item.operand.kind == Operand::Real) {
            float f = static_cast<float>(item.operand.kind == Operand::Real
                                             ? item.operand.real
                                             : static_cast<double>(item.operand.number));
            std::memcpy(&bits, &f, 4);
        } else {
            error(item.line, "pushf needs a number");
        }
        out.push_back(0x01);
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
        return;
    }
    if (item.operand.kind == Operand::Real) {
        error(item.line, "a real number only goes with pushf");
        return;
    }
    int64_t v = valueOf(item).value_or(0);
    switch (item.width) {
        case Width::K:
            if (v < 0 || v > 4) error(item.line, "the .k form holds 0 to 4");
            out.push_back(static_cast<uint8_t>(0xD0 + (v & 7)));
            return;
        case Width::W8:
            if (v < 0 || v > 0xFF) error(item.line, "the value does not fit 8 bits");
            out.push_back(static_cast<uint8_t>(0x20 | item.op));
            out.push_back(static_cast<uint8_t>(v));
            return;
        case Width::W16:
            if (v < 0 || v > 0xFFFF) error(item.line, "the value does not fit 16 bits");
            out.push_back(static_cast<uint8_t>(0x10 | item.op));
            out.push_back(static_cast<uint8_t>(v));
            out.push_back(static_cast<uint8_t>(v >> 8));
            return;
        default:
            if (v < INT32_MIN || v > 0xFFFFFFFFLL)
                error(item.line, "the value does not fit 32 bits");
            out.push_back(item.op);
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
            return;
    }
}

AsmResult Assembler::run(std::string_view source) {
    int line = 0;
    size_t pos = 0;
    while (pos <= source.size()) {
        size_t end = source.find('\n', pos);
        if (end == std::string_view::npos) end = source.size();
        ++line;
        parseLine(line, source.substr(pos, end - pos));
        pos = end + 1;
    }
    // Inline literals follow the code, each once.
    for (const auto& [label, bytes] : pool_) {
        pendingLabels_.push_back(label);
        labels_[label] = -1;
        addLiteralBlock(line, bytes);
    }
    if (!pendingLabels_.empty()) {
        Item end;
        end.kind = Item::Bytes;
        addItem(std::move(end));
    }
    int32_t offset = 0;
    for (Item& item : items_) {
        item.offset = offset;
        for (const std::string& l : item.labels) labels_[l] = offset;
        offset += sizeOf(item);
    }
    if (!result_.errors.empty()) return std::move(result_);
    for (Item& item : items_) emit(item);
    if (!result_.errors.empty()) result_.bytes.clear();
    return std::move(result_);
}

}  // namespace

const char* operatorSymbol(int code) {
    if (code < 0 || code >= 30) return nullptr;
    return kOperatorSymbols[code];
}

AsmResult assemble(std::string_view source) { return Assembler().run(source); }

}  // namespace rs::tools
