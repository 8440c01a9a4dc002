#include "runtime/interpreter.h"

#include <array>
#include <cstring>

#include "builtins/dispatcher.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/format.h"
#include "runtime/literal.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::runtime {

namespace {

// Core command ids of the fixed-command opcodes.
constexpr int32_t kCmdGoto = 1;
constexpr int32_t kCmdIfGoto = 2;
constexpr int32_t kCmdReturn = 17;
constexpr int32_t kCmdGlobal = 34;

constexpr uint8_t widthOf(uint8_t opcode) {
    switch (opcode >> 4) {
        case 0x0: return 4;
        case 0x1: return 2;
        default: return 1;
    }
}

void invalidInstruction(Engine& e, ScriptThread& t, int32_t at, uint8_t opcode) {
    scriptError(e, t, formatMessage("アドレス%5d : おかしな命令「%02x」を実行しました", at, opcode),
                "実行時のエラー");
}

constexpr OpInfo decodeOp(uint8_t op) {
    uint8_t low = op & 0x0F;
    uint8_t high = op >> 4;
    if (high <= 2) {
        uint8_t w = widthOf(op);
        switch (low) {
            case 0x0: return {OpKind::PushInt, w};
            case 0x1: return high == 0 ? OpInfo{OpKind::PushReal, 4} : OpInfo{OpKind::Invalid, 0};
            case 0x2: return {OpKind::PushString, w};
            case 0x3: return {OpKind::PushLabel, w};
            case 0x5: return {OpKind::CallCommand, w};
            case 0x6: return {OpKind::CallFunction, w};
            case 0x7: return {OpKind::PushVar, w};
            case 0x8: return high == 0 ? OpInfo{OpKind::PushVoid, 0} : OpInfo{OpKind::Invalid, 0};
            default: return {OpKind::Invalid, 0};
        }
    }
    if (op >= 0x80 && op <= 0xBF) return {OpKind::Operator, 0};
    switch (op) {
        case 0xC0: return {OpKind::Global, 0};
        case 0xC1: return {OpKind::IfGoto, 0};
        case 0xC2: return {OpKind::Goto, 0};
        case 0xC3: return {OpKind::Return, 0};
        default: break;
    }
    if (op >= 0xD0 && op <= 0xD4) return {OpKind::PushSmall, 0};
    return {OpKind::Invalid, 0};
}

// The meaning of every opcode byte, looked up once an instruction.
constexpr std::array<OpInfo, 256> kOpInfo = [] {
    std::array<OpInfo, 256> table{};
    for (int op = 0; op < 256; ++op)
        table[static_cast<size_t>(op)] = decodeOp(static_cast<uint8_t>(op));
    return table;
}();

}  // namespace

OpInfo opInfo(uint8_t op) { return kOpInfo[op]; }

int32_t run(Engine& e, ScriptThread& t) {
    CodeImage& code = t.code;
    for (;;) {
        int32_t at = code.pc;
        if (at < 0 || at >= code.size) {
            // Running off the image (or jumping outside it) has no instruction to execute.
            t.instr_pc = at;
            scriptError(e, t,
                        formatMessage("アドレス%5d : コードの範囲外を実行しようとしました", at),
                        "実行時のエラー");
            return t.ended;
        }
        uint8_t op = code.bytes[at];
        OpInfo info = kOpInfo[op];
        t.instr_pc = at;
        code.pc = at + 1;
        if (info.kind == OpKind::Invalid || code.size - code.pc < info.operandBytes) {
            invalidInstruction(e, t, at, op);
            return t.ended;
        }
        // The operand: 32-bit little-endian signed, 16- and 8-bit unsigned.
        int32_t operand = 0;
        const uint8_t* p = code.bytes + code.pc;
        switch (info.operandBytes) {
            case 4: {
                uint32_t v =
                    p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
                operand = static_cast<int32_t>(v);
                break;
            }
            case 2: operand = p[0] | (p[1] << 8); break;
            case 1: operand = p[0]; break;
            default: break;
        }
        code.pc += info.operandBytes;

        switch (info.kind) {
            case OpKind::PushInt:
                if (!pushInteger(e, t, operand)) return t.ended;
                break;
            case OpKind::PushSmall:
                if (!pushInteger(e, t, op - 0xD0)) return t.ended;
                break;
            case OpKind::PushReal: {
                float r;
                std::memcpy(&r, &operand, sizeof r);
                if (!pushReal(e, t, r)) return t.ended;
                break;
            }
            case OpKind::PushString: {
                // The literal must lie inside the image: two length bytes, then the text.
                if (operand < 0 || operand > code.size - 2) {
                    invalidInstruction(e, t, at, op);
                    return t.ended;
                }
                const uint8_t* lit = code.bytes + operand;
                int32_t length = lit[0] | (lit[1] << 8);
                if (length > code.size - operand - 2) {
                    invalidInstruction(e, t, at, op);
                    return t.ended;
                }
                std::string text =
                    expandLiteral(e, t,
                                  std::string_view(reinterpret_cast<const char*>(lit + 2),
                                                   static_cast<size_t>(length)));
                if (t.failed) return t.ended;
                if (!pushString(e, t, text)) return t.ended;
                break;
            }
            case OpKind::PushLabel:
                if (!pushValue(e, t, e.pool.newOfType(kLabel, operand))) return t.ended;
                break;
            case OpKind::PushVar:
                if (!pushValue(e, t, e.pool.newOfType(kVarName, operand))) return t.ended;
                break;
            case OpKind::PushVoid:
                if (!pushValue(e, t, e.pool.newOfType(kVoid, 0))) return t.ended;
                break;
            case OpKind::Operator:
                runOperator(e, t, op - 0x80);
                if (t.failed) return t.ended;
                break;
            case OpKind::CallCommand: builtins::dispatch(e, t, operand); return t.ended;
            case OpKind::Global: builtins::dispatch(e, t, kCmdGlobal); return t.ended;
            case OpKind::IfGoto: builtins::dispatch(e, t, kCmdIfGoto); return t.ended;
            case OpKind::Goto: builtins::dispatch(e, t, kCmdGoto); return t.ended;
            case OpKind::Return: builtins::dispatch(e, t, kCmdReturn); return t.ended;
            case OpKind::CallFunction: {
                if (t.depth >= kReturnStackSize) {
                    scriptError(
                        e, t, "リターンスタックレベルを超えました\n不当な再帰呼び出しと思われます",
                        "(call)");
                    return t.ended;
                }
                if (t.frame_count >= kFrameStackSize) {
                    scriptError(
                        e, t,
                        "パラメータスタックレベルを超えました\n不当な再帰呼び出しと思われます",
                        "(call)");
                    return t.ended;
                }
                t.return_stack[static_cast<size_t>(t.depth++)] = code.pc;
                code.pc = operand;
                t.frame_bases[static_cast<size_t>(t.frame_count++)] = t.psp;
                if (operand < 0 || operand >= code.size) {
                    scriptError(e, t, "未定義ラベルを関数呼び出しに使用しました", "(call)");
                    return 0;
                }
                return t.ended;
            }
            case OpKind::Invalid: break;
        }
        if (e.app.quitLevel != 0) return t.ended;
    }
}

}  // namespace rs::runtime
