#include "runtime/fetch.h"

#include <cmath>
#include <cstdlib>

#include "platform/host.h"
#include "runtime/errors.h"
#include "runtime/format.h"
#include "shell/engine.h"

namespace rs::runtime {

namespace {

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Pops one array index with the integer conversion; `place` names the fetcher in errors.
int32_t popIndex(Engine& e, ScriptThread& t) { return ngetint(e, t); }

// The element slot of `v` for the indices on the stack. With `report`, an out-of-range index is
// the fatal error of findreg; otherwise it just gives null.
Slot* elementSlot(Engine& e, ScriptThread& t, Variable& v, int32_t number, bool report) {
    if (v.dim == 0) return &v.elements[0];
    if (v.dim > 0) {
        int32_t i = popIndex(e, t);
        if (t.failed) return nullptr;
        if (i >= 0 && i < v.dim && static_cast<size_t>(i) < v.elements.size()) {
            return &v.elements[static_cast<size_t>(i)];
        }
        if (report) {
            scriptError(e, t,
                        formatMessage("配列参照が範囲外です(変数:#%x[hex],id:%d[d],max:%d[d])",
                                      static_cast<unsigned>(number), i, v.dim),
                        "findreg");
        }
        return nullptr;
    }
    int32_t width = -v.dim;
    int32_t x = popIndex(e, t);
    if (t.failed) return nullptr;
    int32_t y = popIndex(e, t);
    if (t.failed) return nullptr;
    if (x >= 0 && x < width && y >= 0 && y < v.rows) {
        size_t index = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
        if (index < v.elements.size()) return &v.elements[index];
    }
    if (report) {
        scriptError(
            e, t,
            formatMessage("２次配列参照が範囲外です(変数:#%x[hex],id:(%d,%d)[d],max:(%d,%d)[d])",
                          static_cast<unsigned>(number), x, y, width, v.rows),
            "findreg");
    }
    return nullptr;
}

}  // namespace

void release(Engine& e, Value* v) { e.pool.free(v); }

void allocationFailed(Engine& e, ScriptThread& t) {
    scriptError(e, t, "変数使用数が最大値を超えました", "(alloc)");
}

Value* ngetvar(Engine& e, ScriptThread& t, bool follow) {
    Value* cell = popCell(t);
    if (!cell) {
        scriptError(e, t, "パラメータがたりません", "ngetvar");
        return nullptr;
    }
    if (cell->type != kVarName) return cell;
    int32_t number = cell->u.i;
    e.pool.free(cell);

    Variable* var = t.locals.find(number);
    if (!var) var = e.globals.find(number);
    if (!var) {
        scriptError(
            e, t,
            formatMessage("未使用変数(#%x[hex])を使用しました", static_cast<unsigned>(number)),
            "ngetvar");
        return nullptr;
    }
    Slot* slot = elementSlot(e, t, *var, number, true);
    if (!slot) return nullptr;
    if (follow && *slot && (*slot)->type == kReference) slot = (*slot)->u.ref;
    if (!*slot) {
        scriptError(
            e, t,
            formatMessage("未初期化変数(#%x[hex])を使用しました", static_cast<unsigned>(number)),
            "ngetvar");
        return nullptr;
    }
    Value* copy = e.pool.copy(**slot);
    if (!copy) allocationFailed(e, t);
    return copy;
}

int32_t stringToInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;  // saturates as strtol does
    return static_cast<int32_t>(value);
}

float stringToReal(std::string_view text) {
    // Only the decimal form is taken: the hexadecimal, "inf" and "nan" forms that strtod also
    // knows are not numbers in scripts.
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    auto digits = [&] {
        size_t from = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        return i - from;
    };
    size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return 0.0f;
    size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() > 0) end = i;
    }
    std::string decimal(text.substr(start, end - start));
    return static_cast<float>(std::strtod(decimal.c_str(), nullptr));
}

int32_t truncateToInteger(double d) {
    if (!(d > -2147483649.0 && d < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(d);
}

int32_t ngetint(Engine& e, ScriptThread& t) {
    Value* v = ngetvar(e, t, true);
    if (!v) return 0;
    int32_t result = 0;
    switch (v->type) {
        case kInteger: result = v->u.i; break;
        case kReal: result = truncateToInteger(static_cast<double>(v->u.r)); break;
        case kString: result = stringToInteger(stringText(*v)); break;
        case kVoid: scriptError(e, t, "パラメータがありません", "ngetint"); break;
        default:
            scriptError(e, t, formatMessage("数値化できないパラメータです(%s)", typeName(v->type)),
                        "ngetint");
            break;
    }
    e.pool.free(v);
    return result;
}

float ngetreal(Engine& e, ScriptThread& t) {
    Value* v = ngetvar(e, t, true);
    if (!v) return 0.0f;
    float result = 0.0f;
    switch (v->type) {
        case kInteger: result = static_cast<float>(v->u.i); break;
        case kReal: result = v->u.r; break;
        case kString: result = stringToReal(stringText(*v)); break;
        case kVoid: scriptError(e, t, "パラメータがありません", "ngetreal"); break;
        default:
            scriptError(e, t, formatMessage("数値化できないパラメータです(%s)", typeName(v->type)),
                        "ngetreal");
            break;
    }
    e.pool.free(v);
    return result;
}

Variable* ngetbody(Engine& e, ScriptThread& t) {
    Value* cell = popCell(t);
    if (!cell) {
        scriptError(e, t, "変数がありません", "ngetbody");
        return nullptr;
    }
    if (cell->type != kVarName) {
        e.pool.free(cell);
        scriptError(e, t, "変数名ではありません", "ngetbody");
        return nullptr;
    }
    int32_t number = cell->u.i;
    e.pool.free(cell);
    Variable* v = findvar(t.locals, e.globals, number);
    if (!v) {
        scriptError(e, t,
                    formatMessage("変数番号が範囲外です(#%x[hex])", static_cast<unsigned>(number)),
                    "ngetbody");
    }
    return v;
}

std::optional<std::string> ngetstr(Engine& e, ScriptThread& t) {
    Value* v = ngetvar(e, t, true);
    if (!v) return std::nullopt;
    if (v->type != kString) {
        e.pool.free(v);
        platform::MessageBoxRequest box;
        box.text = "文字列変数でないのに文字列評価されました";
        box.caption = "システムの警告";
        box.ownedByWindow = false;
        e.host.messageBoxes().show(box);
        return std::nullopt;
    }
    std::string text(stringText(*v));
    e.pool.free(v);
    return text;
}

Slot* getSlot(Engine& e, ScriptThread& t, bool follow) {
    Variable* v = ngetbody(e, t);
    if (!v) return nullptr;
    Slot* slot = elementSlot(e, t, *v, 0, false);
    if (slot && follow && *slot && (*slot)->type == kReference) slot = (*slot)->u.ref;
    return slot;
}

bool pushFailed(Engine& e, ScriptThread& t, Value* v) {
    if (!v) {
        allocationFailed(e, t);
        return false;
    }
    e.pool.free(v);
    scriptError(e, t, "パラメータスタックが溢れました", "(push)");
    return false;
}

bool pushInteger(Engine& e, ScriptThread& t, int32_t i) {
    return pushValue(e, t, e.pool.newInteger(i));
}

bool pushReal(Engine& e, ScriptThread& t, float r) { return pushValue(e, t, e.pool.newReal(r)); }

bool pushString(Engine& e, ScriptThread& t, std::string_view text) {
    return pushValue(e, t, e.pool.newString(text));
}

}  // namespace rs::runtime
