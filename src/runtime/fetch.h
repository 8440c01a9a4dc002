// Argument fetchers: how commands and operators take values from a thread's parameter stack, and
// how they push results. Every fetcher reports its own fatal errors; after one, it returns a
// neutral result (null or 0) and `t.failed` is set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/script_thread.h"
#include "runtime/value.h"

namespace rs {
class Engine;
}

namespace rs::runtime {

// ngetvar: pops a value. A variable name is resolved (locals, then globals; array indices are
// popped below it) and a fresh copy of the element is returned; with `follow`, a reference is
// followed first. Any other cell is returned as it is. The caller owns the result.
Value* ngetvar(Engine& e, ScriptThread& t, bool follow = true);

// ngetint: a value converted to an integer (reals truncated toward zero, strings by their leading
// decimal text). ngetreal: converted to a 32-bit real.
int32_t ngetint(Engine& e, ScriptThread& t);
float ngetreal(Engine& e, ScriptThread& t);

// ngetbody: pops a variable name and returns the variable, created as a local scalar when new.
Variable* ngetbody(Engine& e, ScriptThread& t);

// getSlot: ngetbody, then the element slot named by the indices below it (null when they are out
// of range, without a message); with `follow`, a reference in the slot is followed.
Slot* getSlot(Engine& e, ScriptThread& t, bool follow = true);

// ngetstr: the text of a string argument, as the sound commands take it. A value that is not a
// string shows the plain box "文字列変数でないのに文字列評価されました" (not fatal, not logged) and
// yields no text; a failed fetch yields no text either (check `t.failed`).
std::optional<std::string> ngetstr(Engine& e, ScriptThread& t);

// Conversions used by the fetchers, exposed for commands that convert values themselves.
int32_t stringToInteger(std::string_view text);
// The leading decimal real of the text (blanks, sign, digits, point, exponent); no digits give 0.
float stringToReal(std::string_view text);
// A real truncated toward zero as the processor does it: out-of-range values give INT32_MIN.
int32_t truncateToInteger(double d);

// Pushes a cell made by the pool. A null cell (pool exhausted) or a full stack is a fatal error
// that ends the thread; returns false then.
bool pushFailed(Engine& e, ScriptThread& t, Value* v);
inline bool pushValue(Engine& e, ScriptThread& t, Value* v) {
    if (v && pushCell(t, v)) return true;
    return pushFailed(e, t, v);
}
bool pushInteger(Engine& e, ScriptThread& t, int32_t i);
bool pushReal(Engine& e, ScriptThread& t, float r);
bool pushString(Engine& e, ScriptThread& t, std::string_view text);

// Frees a popped cell.
void release(Engine& e, Value* v);

// Reports the fatal error of a failed cell allocation.
void allocationFailed(Engine& e, ScriptThread& t);

}  // namespace rs::runtime
