#include "builtins/script_commands.h"

#include <optional>
#include <string>

#include "builtins/dispatcher.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/format.h"
#include "runtime/script_loader.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::builtins {

namespace {

using runtime::ScriptThread;
using runtime::Value;

constexpr const char* kChainPlace = "ファイル実行(1)";
constexpr const char* kSpawnPlace = "ファイル実行(2)";

void reportLoadFailure(Engine& e, ScriptThread& t, const std::string& name, const char* place) {
    runtime::scriptError(
        e, t,
        runtime::formatMessage(
            "実行用ファイル(%s)が読めませんでした\nインストールしたフォルダに異常がないか\n"
            "またはＣＤに異常がないか\n確認し直してみてください",
            name.c_str()),
        place);
}

// The script name in a popped cell (which the caller owns and this frees); a cell that is not a
// string is a fatal error.
std::optional<std::string> scriptName(Engine& e, ScriptThread& t, Value* v, const char* place) {
    if (!v) return std::nullopt;
    std::optional<std::string> name;
    if (v->type == runtime::kString) name = std::string(runtime::stringText(*v));
    e.pool.free(v);
    if (!name) runtime::scriptError(e, t, "引数が文字列になっていません", place);
    return name;
}

// chain (19): pops the script name and loads it into this thread in place of its script. Loaded or
// not, the thread then starts over: locals freed, stacks empty, from offset 0.
void cmdChain(Engine& e, ScriptThread& t) {
    std::optional<std::string> name = scriptName(e, t, runtime::ngetvar(e, t), kChainPlace);
    if (!name) return;
    if (!runtime::loadScript(e, t, *name)) reportLoadFailure(e, t, *name, kChainPlace);
    runtime::resetThread(t, e.pool, e.globals, true);
    t.code.pc = 0;
}

// spawn (20): starts the script named below the arguments in a new thread, linked into the run
// chain right after this one, and pushes its slot (-1 when the table is full). Every cell of the
// current frame above its bottom one moves to the new thread, top first, so the new stack holds
// them in reverse; the last one moved is the name, and the arguments left on the new stack are
// the frame below its first call frame (as a called function sees its caller's arguments).
void cmdSpawn(Engine& e, ScriptThread& t) {
    int32_t slot = e.threads.firstFree();
    if (slot < 0) {
        while (t.frameCellCount() > 1) e.pool.free(runtime::popCell(t));
        runtime::pushInteger(e, t, -1);
        return;
    }
    // With no cell above the bottom one there is no name to start.
    if (t.frameCellCount() < 2) {
        runtime::scriptError(e, t, "パラメータがありません", kSpawnPlace);
        return;
    }
    ScriptThread* spawned = e.threads.create(slot);
    while (t.frameCellCount() > 1) runtime::pushCell(*spawned, runtime::popCell(t));
    Value* nameCell = runtime::popCell(*spawned);
    if (spawned->psp > 0) {
        spawned->frame_bases[1] = spawned->psp;
        spawned->frame_count = 2;
    }
    // A variable given as the name is the calling script's variable: resolve it on this thread.
    if (nameCell->type == runtime::kVarName) {
        runtime::pushCell(t, nameCell);
        nameCell = runtime::ngetvar(e, t);
    }
    std::optional<std::string> name = scriptName(e, t, nameCell, kSpawnPlace);
    if (name && !runtime::loadScript(e, *spawned, *name)) {
        reportLoadFailure(e, t, *name, kSpawnPlace);
        name.reset();
    }
    if (!name) {
        e.threads.destroy(slot, e.pool, e.globals);
        return;
    }
    spawned->self_index = slot;
    spawned->next_index = t.next_index;
    t.next_index = slot;
    runtime::pushInteger(e, t, slot);
}

constexpr CommandEntry kScriptCommands[] = {
    {19, "chain", cmdChain},
    {20, "spawn", cmdSpawn},
};

}  // namespace

void registerScriptCommands(CommandTable& table) { table.add(kScriptCommands); }

}  // namespace rs::builtins
