#include "builtins/dispatcher.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/errors.h"
#include "runtime/format.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::builtins {

namespace {

// The sound group takes every id from 1280 up; its table covers the first 256 of them.
constexpr int32_t kSoundLast = 1280 + 255;

}  // namespace

CommandTable::CommandTable() {
    groups_ = {
        {"core", 0, 127, {}},
        {"math", 128, 255, {}},
        {"timing", 256, 511, {}},
        {"frame", 512, 767, {}},
        {"sprite", 768, 1023, {}},
        {"file", 1024, 1279, {}},
        {"sound", 1280, kSoundLast, {}},
    };
    for (Group& g : groups_) g.byOffset.assign(static_cast<size_t>(g.last - g.first + 1), nullptr);
}

void CommandTable::add(std::span<const CommandEntry> entries) {
    for (const CommandEntry& entry : entries) {
        bool placed = false;
        for (Group& g : groups_) {
            if (entry.id < g.first || entry.id > g.last) continue;
            const CommandEntry*& cell = g.byOffset[static_cast<size_t>(entry.id - g.first)];
            if (cell) {
                std::fprintf(stderr, "runestage: command %d registered twice (%s, %s)\n", entry.id,
                             cell->name, entry.name);
                std::abort();
            }
            cell = &entry;
            placed = true;
        }
        if (!placed) {
            std::fprintf(stderr, "runestage: command %d (%s) is outside every group\n", entry.id,
                         entry.name);
            std::abort();
        }
    }
}

const CommandEntry* CommandTable::find(int32_t id) const {
    for (const Group& g : groups_) {
        if (id >= g.first && id <= g.last) return g.byOffset[static_cast<size_t>(id - g.first)];
    }
    return nullptr;
}

const CommandEntry* CommandTable::findByName(std::string_view name) const {
    for (const Group& g : groups_) {
        for (const CommandEntry* entry : g.byOffset) {
            if (entry && name == entry->name) return entry;
        }
    }
    return nullptr;
}

std::vector<const CommandEntry*> CommandTable::entries() const {
    std::vector<const CommandEntry*> out;
    for (const Group& g : groups_) {
        for (const CommandEntry* entry : g.byOffset) {
            if (entry) out.push_back(entry);
        }
    }
    return out;
}

void dispatch(Engine& e, runtime::ScriptThread& t, int32_t id) {
    const CommandEntry* entry = e.commands.find(id);
    if (entry) {
        entry->handler(e, t);
        return;
    }
    runtime::scriptError(e, t,
                         runtime::formatMessage(
                             "アドレス%5d : 未定義の命令番号「%d」を実行しました", t.instr_pc, id),
                         "実行時のエラー");
}

}  // namespace rs::builtins
