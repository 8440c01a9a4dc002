// Operators of the byte code: arithmetic, comparison, logic, assignment and the statement end.
#include <cmath>
#include <cstring>
#include <string>

#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/format.h"
#include "runtime/interpreter.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::runtime {

namespace {

using OperatorFn = void (*)(Engine&, ScriptThread&);

bool isNumber(const Value& v) { return v.type == kInteger || v.type == kReal; }
float asReal(const Value& v) { return v.type == kInteger ? static_cast<float>(v.u.i) : v.u.r; }
double asDouble(const Value& v) {
    return v.type == kInteger ? static_cast<double>(v.u.i) : static_cast<double>(v.u.r);
}

// Pushes a result cell; a failed allocation is reported by pushValue.
void push(Engine& e, ScriptThread& t, Value* v) { pushValue(e, t, v); }
void pushInt(Engine& e, ScriptThread& t, int32_t i) { pushInteger(e, t, i); }

// The two operands of a binary operator: the right one is popped first.
struct Operands {
    Value* left = nullptr;
    Value* right = nullptr;
    bool ok() const { return left && right; }
};

Operands popOperands(Engine& e, ScriptThread& t) {
    Operands o;
    o.right = ngetvar(e, t, true);
    if (!o.right) return o;
    o.left = ngetvar(e, t, true);
    return o;
}

void freeOperands(Engine& e, Operands& o) {
    e.pool.free(o.left);
    e.pool.free(o.right);
}

std::string typeError(const Value& l, const Value& r) {
    return formatMessage("演算できない型です(%sと%s)", typeName(l.type), typeName(r.type));
}

// A result of + or -: a new cell, or null with `error` set to the failure message.
struct Result {
    Value* value = nullptr;
    std::string error;         // the type or size error, when there is one
    bool allocFailed = false;  // no cell was available for the result
};

Result add(Engine& e, const Value& l, const Value& r, bool withTypeNames) {
    Result res;
    if (l.type == kInteger && r.type == kInteger) {
        res.value = e.pool.newInteger(
            static_cast<int32_t>(static_cast<uint32_t>(l.u.i) + static_cast<uint32_t>(r.u.i)));
    } else if (isNumber(l) && isNumber(r)) {
        res.value = e.pool.newReal(asReal(l) + asReal(r));
    } else if (l.type == kString && r.type == kString) {
        const StringBody* a = l.u.s;
        const StringBody* b = r.u.s;
        std::string_view ta = a ? stringText(*a) : std::string_view();
        std::string_view tb = b ? stringText(*b) : std::string_view();
        int64_t total = static_cast<int64_t>(ta.size()) + static_cast<int64_t>(tb.size()) + 1;
        if (total > INT32_MAX) {
            res.error = formatMessage("長すぎる文字列です(長さ：%u)", static_cast<unsigned>(total));
            return res;
        }
        std::string joined;
        joined.reserve(static_cast<size_t>(total));
        joined.append(ta);
        joined.append(tb);
        res.value = e.pool.newString(joined);
    } else if (l.type == kLabel && r.type == kLabelDiff) {
        res.value = e.pool.newOfType(kLabel, static_cast<int32_t>(static_cast<uint32_t>(l.u.i) +
                                                                  static_cast<uint32_t>(r.u.i)));
    } else {
        res.error = withTypeNames ? typeError(l, r) : std::string("演算できない型です");
        return res;
    }
    res.allocFailed = res.value == nullptr;
    return res;
}

Result subtract(Engine& e, const Value& l, const Value& r, bool withTypeNames) {
    Result res;
    if (l.type == kInteger && r.type == kInteger) {
        res.value = e.pool.newInteger(
            static_cast<int32_t>(static_cast<uint32_t>(l.u.i) - static_cast<uint32_t>(r.u.i)));
    } else if (isNumber(l) && isNumber(r)) {
        res.value = e.pool.newReal(asReal(l) - asReal(r));
    } else if (l.type == kLabel && r.type == kLabel) {
        res.value = e.pool.newOfType(
            kLabelDiff,
            static_cast<int32_t>(static_cast<uint32_t>(l.u.i) - static_cast<uint32_t>(r.u.i)));
    } else {
        res.error = withTypeNames ? typeError(l, r) : std::string("演算できない型です");
        return res;
    }
    res.allocFailed = res.value == nullptr;
    return res;
}

// Pushes a result, or reports its error at `place` and pushes 0 so the stack stays well formed.
void pushResult(Engine& e, ScriptThread& t, Result res, const char* place) {
    if (res.value) {
        push(e, t, res.value);
        return;
    }
    if (res.allocFailed) {
        allocationFailed(e, t);
        return;
    }
    scriptError(e, t, res.error, place);
    pushInt(e, t, 0);
}

void opAdd(Engine& e, ScriptThread& t) {
    Operands o = popOperands(e, t);
    if (o.ok()) pushResult(e, t, add(e, *o.left, *o.right, true), "演算(+)エラー");
    freeOperands(e, o);
}

void opSub(Engine& e, ScriptThread& t) {
    Operands o = popOperands(e, t);
    if (o.ok()) pushResult(e, t, subtract(e, *o.left, *o.right, true), "演算(-)エラー");
    freeOperands(e, o);
}

void opMul(Engine& e, ScriptThread& t) {
    Operands o = popOperands(e, t);
    if (o.ok()) {
        const Value& l = *o.left;
        const Value& r = *o.right;
        if (l.type == kInteger && r.type == kInteger) {
            push(e, t,
                 e.pool.newInteger(static_cast<int32_t>(static_cast<uint32_t>(l.u.i) *
                                                        static_cast<uint32_t>(r.u.i))));
        } else if (isNumber(l) && isNumber(r)) {
            push(e, t, e.pool.newReal(asReal(l) * asReal(r)));
        } else {
            scriptError(e, t, typeError(l, r), "演算(*)エラー");
            pushInt(e, t, 0);
        }
    }
    freeOperands(e, o);
}

void opMod(Engine& e, ScriptThread& t) {
    Operands o = popOperands(e, t);
    if (o.ok()) {
        const Value& l = *o.left;
        const Value& r = *o.right;
        if (l.type == kInteger && r.type == kInteger) {
            if (r.u.i == 0) {
                scriptError(e, t, "除数が０です", "演算(%)エラー");
                pushInt(e, t, 0);
            } else if (r.u.i == -1) {
                pushInt(e, t, 0);  // also for INT32_MIN, whose quotient does not fit
            } else {
                pushInt(e, t, l.u.i % r.u.i);
            }
        } else if (isNumber(l) && isNumber(r)) {
            push(e, t, e.pool.newReal(std::fmod(asReal(l), asReal(r))));
        } else {
            scriptError(e, t, typeError(l, r), "演算(%)エラー");
            pushInt(e, t, 0);
        }
    }
    freeOperands(e, o);
}

void opDiv(Engine& e, ScriptThread& t) {
    float r = ngetreal(e, t);
    if (t.failed) return;
    float l = ngetreal(e, t);
    if (t.failed) return;
    if (r == 0.0f) {
        scriptError(e, t, "除数が０です", "０除算エラー(\\)");
        pushInt(e, t, 0);
        return;
    }
    push(e, t, e.pool.newReal(l / r));
}

void opIntDiv(Engine& e, ScriptThread& t) {
    int32_t r = ngetint(e, t);
    if (t.failed) return;
    int32_t l = ngetint(e, t);
    if (t.failed) return;
    if (r == 0) {
        scriptError(e, t, "除数が０です", "０除算エラー(\\)");
        pushInt(e, t, 0);
        return;
    }
    // INT32_MIN divided by -1 wraps to INT32_MIN, as two's complement negation does.
    pushInt(e, t, r == -1 ? static_cast<int32_t>(0u - static_cast<uint32_t>(l)) : l / r);
}

// Operators on two integers only.
template <typename F>
void integerOp(Engine& e, ScriptThread& t, const char* place, F f) {
    Operands o = popOperands(e, t);
    if (o.ok()) {
        if (o.left->type == kInteger && o.right->type == kInteger) {
            pushInt(e, t, f(o.left->u.i, o.right->u.i));
        } else {
            scriptError(e, t, typeError(*o.left, *o.right), place);
            pushInt(e, t, 0);
        }
    }
    freeOperands(e, o);
}

void opShl(Engine& e, ScriptThread& t) {
    integerOp(e, t, "演算(<<)エラー", [](int32_t a, int32_t b) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31));
    });
}
void opShr(Engine& e, ScriptThread& t) {
    integerOp(e, t, "演算(>>)エラー", [](int32_t a, int32_t b) { return a >> (b & 31); });
}
void opAnd(Engine& e, ScriptThread& t) {
    integerOp(e, t, "演算(&&)エラー",
              [](int32_t a, int32_t b) { return (a != 0 && b != 0) ? 1 : 0; });
}
void opOr(Engine& e, ScriptThread& t) {
    integerOp(e, t, "演算(||)エラー",
              [](int32_t a, int32_t b) { return (a != 0 || b != 0) ? 1 : 0; });
}
void opBitAnd(Engine& e, ScriptThread& t) {
    integerOp(e, t, "演算(&)エラー", [](int32_t a, int32_t b) { return a & b; });
}
void opBitOr(Engine& e, ScriptThread& t) {
    integerOp(e, t, "演算(|)エラー", [](int32_t a, int32_t b) { return a | b; });
}
void opBitXor(Engine& e, ScriptThread& t) {
    integerOp(e, t, "演算(^)エラー", [](int32_t a, int32_t b) { return a ^ b; });
}

// The ordering test "a greater than b": 1 or 0, or -1 after a warning for incomparable values.
int32_t greater(Engine& e, ScriptThread& t, const Value& a, const Value& b) {
    if (a.type == kInteger && b.type == kInteger) return a.u.i > b.u.i ? 1 : 0;
    if (isNumber(a) && isNumber(b)) return asDouble(a) > asDouble(b) ? 1 : 0;
    if (a.type == kString && b.type == kString) {
        std::string_view x = stringText(a);
        std::string_view y = stringText(b);
        // Unsigned bytes; a longer text with an equal prefix is greater.
        size_t n = x.size() < y.size() ? x.size() : y.size();
        int c = n ? std::memcmp(x.data(), y.data(), n) : 0;
        if (c != 0) return c > 0 ? 1 : 0;
        return x.size() > y.size() ? 1 : 0;
    }
    scriptWarning(e, t,
                  formatMessage("比較できない「モノ」を比較しました(%sと%s)", typeName(a.type),
                                typeName(b.type)),
                  "比較演算エラー");
    return -1;
}

template <typename F>
void compareOp(Engine& e, ScriptThread& t, F f) {
    Operands o = popOperands(e, t);
    if (o.ok()) pushInt(e, t, f(*o.left, *o.right));
    freeOperands(e, o);
}

void opEq(Engine& e, ScriptThread& t) {
    compareOp(e, t, [](const Value& l, const Value& r) { return valuesEqual(l, r) ? 1 : 0; });
}
void opNe(Engine& e, ScriptThread& t) {
    compareOp(e, t, [](const Value& l, const Value& r) { return valuesEqual(l, r) ? 0 : 1; });
}
void opGt(Engine& e, ScriptThread& t) {
    compareOp(e, t, [&](const Value& l, const Value& r) { return greater(e, t, l, r); });
}
void opLt(Engine& e, ScriptThread& t) {
    compareOp(e, t, [&](const Value& l, const Value& r) { return greater(e, t, r, l); });
}
void opGe(Engine& e, ScriptThread& t) {
    compareOp(e, t,
              [&](const Value& l, const Value& r) { return greater(e, t, r, l) == 0 ? 1 : 0; });
}
void opLe(Engine& e, ScriptThread& t) {
    compareOp(e, t,
              [&](const Value& l, const Value& r) { return greater(e, t, l, r) == 0 ? 1 : 0; });
}

void opNegate(Engine& e, ScriptThread& t) {
    Value* v = ngetvar(e, t, true);
    if (!v) return;
    if (v->type == kInteger) {
        pushInt(e, t, static_cast<int32_t>(0u - static_cast<uint32_t>(v->u.i)));
    } else if (v->type == kReal) {
        push(e, t, e.pool.newReal(0.0f - v->u.r));
    } else {
        scriptError(e, t, "演算できない型です", "演算(minus)エラー");
        pushInt(e, t, 0);
    }
    e.pool.free(v);
}

// Resolves an assignment target: a variable name (created as a local when new) and its indices.
// Null, without a message, when the cell is not a variable name or an index is out of range.
Slot* resolveTarget(Engine& e, ScriptThread& t) {
    if (t.psp <= 0) return nullptr;
    if (t.param_stack[static_cast<size_t>(t.psp - 1)]->type != kVarName) {
        e.pool.free(popCell(t));
        return nullptr;
    }
    return getSlot(e, t, true);
}

void opAssign(Engine& e, ScriptThread& t) {
    Value* v = ngetvar(e, t, true);
    if (!v) return;
    Slot* slot = resolveTarget(e, t);
    if (t.failed) {
        e.pool.free(v);
        return;
    }
    if (!slot) {
        e.pool.free(v);
        scriptError(e, t, "代入先が変数になっていません", "代入エラー");
        return;
    }
    if (*slot != v) e.pool.free(*slot);
    *slot = v;
}

// +=, -=, ++ and --: the slot's value combined with `operand` by the + or - rules.
void compound(Engine& e, ScriptThread& t, Value* operand, bool plus, const char* place) {
    Slot* slot = resolveTarget(e, t);
    if (t.failed || !slot || !*slot) {
        e.pool.free(operand);
        return;
    }
    Result res = plus ? add(e, **slot, *operand, false) : subtract(e, **slot, *operand, false);
    e.pool.free(operand);
    if (!res.value) {
        if (res.allocFailed) {
            allocationFailed(e, t);
        } else {
            scriptError(e, t, res.error, place);
        }
        return;
    }
    e.pool.free(*slot);
    *slot = res.value;
}

void opAddAssign(Engine& e, ScriptThread& t) {
    Value* v = ngetvar(e, t, true);
    if (v) compound(e, t, v, true, "演算(+=)エラー");
}
void opSubAssign(Engine& e, ScriptThread& t) {
    Value* v = ngetvar(e, t, true);
    if (v) compound(e, t, v, false, "演算(-=)エラー");
}
void opIncrement(Engine& e, ScriptThread& t) {
    Value* one = e.pool.newInteger(1);
    if (!one) return allocationFailed(e, t);
    compound(e, t, one, true, "演算(++)エラー");
}
void opDecrement(Engine& e, ScriptThread& t) {
    Value* one = e.pool.newInteger(1);
    if (!one) return allocationFailed(e, t);
    compound(e, t, one, false, "演算(--)エラー");
}

void opStatementEnd(Engine& e, ScriptThread& t) {
    int32_t n = t.frameCellCount();
    if (n >= 2) {
        scriptWarning(e, t, "文中でパラメータがスタック中に２個以上残りました", "警告");
    } else if (n == 1) {
        scriptWarning(e, t, "帰り値を代入していません", "警告");
    }
    int32_t base = t.frame_bases[static_cast<size_t>(t.frame_count - 1)];
    while (t.psp > base) e.pool.free(popCell(t));
}

void opNothing(Engine&, ScriptThread&) {}

void opUnknown(Engine& e, ScriptThread& t) { scriptError(e, t, "不明な演算子です", "演算エラー"); }

constexpr OperatorFn kOperators[30] = {
    opEq,     opNe,        opUnknown,   opGe,           opLe,        opShl,
    opShr,    opAnd,       opOr,        opAdd,          opSub,       opMul,
    opDiv,    opMod,       opGt,        opLt,           opBitAnd,    opBitOr,
    opBitXor, opNothing,   opNothing,   opStatementEnd, opNothing,   opAssign,
    opNegate, opAddAssign, opSubAssign, opIncrement,    opDecrement, opIntDiv,
};

}  // namespace

bool valuesEqual(const Value& a, const Value& b) {
    if (a.type == kString && b.type == kString) return stringText(a) == stringText(b);
    if (a.type == b.type) {
        switch (a.type) {
            case kReal: {
                uint32_t x, y;
                std::memcpy(&x, &a.u.r, 4);
                std::memcpy(&y, &b.u.r, 4);
                return x == y;
            }
            case kReference: return a.u.ref == b.u.ref;
            case kVoid:
            case kUnused: return true;
            default: return a.u.i == b.u.i;
        }
    }
    if (isNumber(a) && isNumber(b)) return asDouble(a) == asDouble(b);
    return false;
}

void runOperator(Engine& e, ScriptThread& t, int32_t code) {
    if (code < 0 || code >= 30) return opUnknown(e, t);
    kOperators[code](e, t);
}

}  // namespace rs::runtime
