// Core commands: control flow, call frames, threads, variables and the value pool.
#include <optional>
#include <string>

#include "builtins/dispatcher.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/format.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::builtins {

namespace {

using runtime::ScriptThread;
using runtime::Value;

// Jumps to a label offset; one outside the image is the undefined-label error.
void jumpTo(Engine& e, ScriptThread& t, int32_t target, const char* place) {
    if (target < 0 || target >= t.code.size) {
        runtime::scriptError(e, t, "未定義ラベルを関数呼び出しに使用しました", place);
        return;
    }
    t.code.pc = target;
}

void cmdGoto(Engine& e, ScriptThread& t) {
    Value* v = runtime::ngetvar(e, t);
    if (!v) return;
    if (v->type != runtime::kLabel) {
        runtime::scriptError(e, t, "パラメータが変です", "goto");
    } else {
        jumpTo(e, t, v->u.i, "goto");
    }
    e.pool.free(v);
}

// ifgoto / nifgoto: pops the condition, then the target; jumps when the condition is an integer
// and `test` accepts it.
void conditionalGoto(Engine& e, ScriptThread& t, bool jumpOnZero, const char* place) {
    Value* cond = runtime::ngetvar(e, t);
    if (!cond) return;
    Value* target = runtime::ngetvar(e, t);
    if (!target) {
        e.pool.free(cond);
        return;
    }
    bool jump = cond->type == runtime::kInteger && ((cond->u.i == 0) == jumpOnZero);
    if (jump) {
        if (target->type != runtime::kLabel) {
            runtime::scriptError(e, t, "パラメータがありません", place);
        } else if (target->u.i < 0) {
            runtime::scriptError(e, t, "飛び先がありません", place);
        } else {
            jumpTo(e, t, target->u.i, place);
        }
    }
    e.pool.free(cond);
    e.pool.free(target);
}

void cmdIfGoto(Engine& e, ScriptThread& t) { conditionalGoto(e, t, true, "ifgoto"); }
void cmdNifGoto(Engine& e, ScriptThread& t) { conditionalGoto(e, t, false, "nifgoto"); }

void cmdNothing(Engine&, ScriptThread&) {}

void cmdReturn(Engine& e, ScriptThread& t) {
    if (t.depth < 1) {
        runtime::scriptError(e, t, "呼び出しのないreturnです", "return");
        return;
    }
    // The callee's remaining cells stay on the stack for the caller: that is the return value.
    if (t.frame_count > 1) --t.frame_count;
    t.code.pc = t.return_stack[static_cast<size_t>(--t.depth)];
}

void cmdEnd(Engine&, ScriptThread& t) { t.ended = 1; }

void cmdThreadSlot(Engine& e, ScriptThread& t) { runtime::pushInteger(e, t, t.self_index); }

void cmdLine(Engine& e, ScriptThread& t) {
    int32_t n = runtime::ngetint(e, t);
    if (t.failed) return;
    if (n >= 0) {
        t.line = n;
    } else {
        runtime::pushInteger(e, t, t.line);
    }
}

// Script name (23) and tag (36): a string sets the text; anything else asks for it.
void nameLike(Engine& e, ScriptThread& t, std::optional<std::string>& field) {
    Value* v = runtime::ngetvar(e, t);
    if (!v) return;
    if (v->type == runtime::kString) {
        field = std::string(runtime::stringText(*v));
    } else if (field) {
        runtime::pushString(e, t, *field);
    } else {
        runtime::pushInteger(e, t, -1);
    }
    e.pool.free(v);
}

void cmdScriptName(Engine& e, ScriptThread& t) { nameLike(e, t, t.name); }
void cmdTag(Engine& e, ScriptThread& t) { nameLike(e, t, t.tag); }

void cmdWindowTitle(Engine& e, ScriptThread& t) {
    Value* v = runtime::ngetvar(e, t);
    if (!v) return;
    if (v->type == runtime::kString) {
        std::string_view text = runtime::stringText(*v);
        e.app.windowTitle = std::string(text.substr(0, 256));
        e.host.window().setTitle(e.app.windowTitle);
    }
    e.pool.free(v);
}

// Moves the current frame base down to the top of the stack: the arguments taken by the bind
// commands leave the caller's part of the stack.
void settleFrameBase(ScriptThread& t) {
    t.frame_bases[static_cast<size_t>(t.frame_count - 1)] = t.psp;
}

void cmdBindValue(Engine& e, ScriptThread& t) {
    runtime::Slot* slot = runtime::getSlot(e, t);
    if (t.failed) return;
    if (!slot) {
        runtime::scriptError(e, t, "代入先が変数になっていません", "引数代入エラー");
        return;
    }
    Value* v = runtime::ngetvar(e, t);
    if (!v) return;
    if (*slot != v) e.pool.free(*slot);
    *slot = v;
    settleFrameBase(t);
}

void cmdBindReference(Engine& e, ScriptThread& t) {
    runtime::Slot* a = runtime::getSlot(e, t);
    if (t.failed) return;
    runtime::Slot* b = a ? runtime::getSlot(e, t) : nullptr;
    if (t.failed) return;
    if (!a || !b) {
        runtime::scriptError(e, t, "代入先が変数になっていません", "引数代入エラー");
        return;
    }
    if (!runtime::makeReference(e.pool, a, b)) return runtime::allocationFailed(e, t);
    settleFrameBase(t);
}

void cmdDiscardFrame(Engine& e, ScriptThread& t) {
    if (t.frame_count > 1) --t.frame_count;
    int32_t base = t.frame_bases[static_cast<size_t>(t.frame_count - 1)];
    while (t.psp > base) e.pool.free(runtime::popCell(t));
    if (t.depth > 0) --t.depth;
}

void cmdReturnOffset(Engine& e, ScriptThread& t) {
    if (t.depth > 0) {
        runtime::pushValue(
            e, t,
            e.pool.newOfType(runtime::kLabel, t.return_stack[static_cast<size_t>(t.depth - 1)]));
    } else {
        runtime::pushInteger(e, t, 0);
    }
}

void cmdArgumentCount(Engine& e, ScriptThread& t) {
    int32_t n = 0;
    if (t.frame_count >= 2) {
        n = t.frame_bases[static_cast<size_t>(t.frame_count - 1)] -
            t.frame_bases[static_cast<size_t>(t.frame_count - 2)];
    }
    runtime::pushInteger(e, t, n);
}

void cmdTypeOf(Engine& e, ScriptThread& t) {
    Value* v = runtime::ngetvar(e, t);
    if (!v) return;
    int32_t type = v->type;
    e.pool.free(v);
    runtime::pushInteger(e, t, type);
}

void cmdClearReference(Engine& e, ScriptThread& t) {
    runtime::clearReference(runtime::getSlot(e, t, false));
}

void cmdToInteger(Engine& e, ScriptThread& t) {
    int32_t n = runtime::ngetint(e, t);
    if (!t.failed) runtime::pushInteger(e, t, n);
}

void cmdDimension(Engine& e, ScriptThread& t) {
    int32_t size = runtime::ngetint(e, t);
    int32_t rows = 0;
    if (!t.failed && size < 0) rows = runtime::ngetint(e, t);
    if (t.failed) return;
    runtime::Variable* v = runtime::ngetbody(e, t);
    if (!v) return;
    if (!runtime::dimension(e.pool, *v, size, rows)) {
        runtime::scriptError(
            e, t, runtime::formatMessage("配列の大きさが異常です(%d,%d)", size, rows), "dim");
    }
}

void cmdGlobal(Engine& e, ScriptThread& t) {
    Value* cell = runtime::popCell(t);
    if (!cell) {
        runtime::scriptError(e, t, "変数名がありません", "global");
        return;
    }
    if (cell->type != runtime::kVarName) {
        e.pool.free(cell);
        runtime::scriptError(e, t, "変数名ではありません", "global");
        return;
    }
    int32_t number = cell->u.i;
    e.pool.free(cell);
    if (number < 0 || number >= runtime::kVariableCount) {
        runtime::scriptError(
            e, t,
            runtime::formatMessage("変数番号が範囲外です(#%x[hex])", static_cast<unsigned>(number)),
            "global");
        return;
    }
    runtime::makeGlobal(e.globals, number);
}

void cmdArraySize(Engine& e, ScriptThread& t) {
    int32_t n = runtime::ngetint(e, t);
    if (t.failed) return;
    runtime::Variable* v = runtime::ngetbody(e, t);
    if (!v) return;
    int32_t result = -1;
    if (n == 0) result = v->dim < 0 ? -v->dim : v->dim;
    if (n == 1) result = v->rows < 0 ? -v->rows : v->rows;
    runtime::pushInteger(e, t, result);
}

void cmdPool(Engine& e, ScriptThread& t) {
    int32_t n = runtime::ngetint(e, t);
    if (t.failed) return;
    if (n == -2) {
        runtime::pushInteger(e, t, e.pool.usedCellCount());
    } else if (n == -1) {
        runtime::pushInteger(e, t, e.pool.capacity());
    } else if (n >= 0) {
        if (!e.pool.rebuild(n)) runtime::scriptError(e, t, "メモリ確保が出来ません", "pool");
    }
}

constexpr CommandEntry kCoreCommands[] = {
    {1, "goto", cmdGoto},
    {2, "ifgoto", cmdIfGoto},
    {3, "nifgoto", cmdNifGoto},
    {4, "nop4", cmdNothing},
    {5, "nop5", cmdNothing},
    {6, "nop6", cmdNothing},
    {7, "nop7", cmdNothing},
    {8, "nop8", cmdNothing},
    {9, "nop9", cmdNothing},
    {10, "nop10", cmdNothing},
    {11, "nop11", cmdNothing},
    {12, "nop12", cmdNothing},
    {13, "nop13", cmdNothing},
    {14, "nop14", cmdNothing},
    {15, "nop15", cmdNothing},
    {16, "nop16", cmdNothing},
    {17, "return", cmdReturn},
    {18, "end", cmdEnd},
    {21, "threadid", cmdThreadSlot},
    {22, "lineno", cmdLine},
    {23, "scriptname", cmdScriptName},
    {24, "title", cmdWindowTitle},
    {25, "argval", cmdBindValue},
    {26, "dropframe", cmdDiscardFrame},
    {27, "retaddr", cmdReturnOffset},
    {28, "argcount", cmdArgumentCount},
    {29, "typeof", cmdTypeOf},
    {30, "argref", cmdBindReference},
    {31, "unref", cmdClearReference},
    {32, "int", cmdToInteger},
    {33, "dim", cmdDimension},
    {34, "global", cmdGlobal},
    {35, "dimsize", cmdArraySize},
    {36, "tag", cmdTag},
    {37, "pool", cmdPool},
};

}  // namespace

void registerCoreCommands(CommandTable& table) { table.add(kCoreCommands); }

}  // namespace rs::builtins
