// The byte-code interpreter.
#pragma once

#include <cstdint>

namespace rs {
class Engine;
}

namespace rs::runtime {

struct ScriptThread;
struct Value;

// Instruction kinds, by opcode.
enum class OpKind : uint8_t {
    Invalid,
    PushInt,       // 0x00 / 0x10 / 0x20
    PushReal,      // 0x01
    PushString,    // 0x02 / 0x12 / 0x22
    PushLabel,     // 0x03 / 0x13 / 0x23
    CallCommand,   // 0x05 / 0x15 / 0x25
    CallFunction,  // 0x06 / 0x16 / 0x26
    PushVar,       // 0x07 / 0x17 / 0x27
    PushVoid,      // 0x08
    Operator,      // 0x80..0xBF
    Global,        // 0xC0
    IfGoto,        // 0xC1
    Goto,          // 0xC2
    Return,        // 0xC3
    PushSmall,     // 0xD0..0xD4
};

struct OpInfo {
    OpKind kind;
    uint8_t operandBytes;  // 0, 1, 2 or 4
};

// What an opcode byte means.
OpInfo opInfo(uint8_t opcode);

// run: executes instructions from the thread's pc until a command call, a function call, an
// error or the end; returns the thread's `ended` flag.
int32_t run(Engine& e, ScriptThread& t);

// Runs operator `code` (0..63) on the thread's stack.
void runOperator(Engine& e, ScriptThread& t, int32_t code);

// The equality of the == operator: strings by their text, equal types by their payload (reals
// bit for bit), an integer and a real numerically; any other pair is unequal.
bool valuesEqual(const Value& a, const Value& b);

}  // namespace rs::runtime
