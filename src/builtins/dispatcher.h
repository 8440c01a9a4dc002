// Numbered built-in commands: the tables of each command group and the dispatcher.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace rs {
class Engine;
}
namespace rs::runtime {
struct ScriptThread;
}

namespace rs::builtins {

using CommandHandler = void (*)(Engine&, runtime::ScriptThread&);

// One command: its id, the name scripts and tools know it by, and its handler.
struct CommandEntry {
    int32_t id;
    const char* name;
    CommandHandler handler;
};

// The command groups by id range. Every id of a group without an entry is unassigned.
class CommandTable {
  public:
    struct Group {
        const char* name;
        int32_t first;
        int32_t last;
        std::vector<const CommandEntry*> byOffset;
    };

    CommandTable();
    // Adds a family's entries to their groups. Ids must be new and inside a group.
    void add(std::span<const CommandEntry> entries);

    const CommandEntry* find(int32_t id) const;
    const CommandEntry* findByName(std::string_view name) const;
    // Every entry, in id order.
    std::vector<const CommandEntry*> entries() const;
    const std::vector<Group>& groups() const { return groups_; }

  private:
    std::vector<Group> groups_;
};

// The table with every family of the engine registered.
const CommandTable& commandTable();

// Runs command `id` for the thread; unassigned ids are reported like an invalid instruction.
void dispatch(Engine& e, runtime::ScriptThread& t, int32_t id);

// The families, each registering its table.
void registerCoreCommands(CommandTable& table);
void registerMathCommands(CommandTable& table);
void registerStringCommands(CommandTable& table);
void registerTimingCommands(CommandTable& table);
void registerFileCommands(CommandTable& table);
void registerInputCommands(CommandTable& table);

}  // namespace rs::builtins
