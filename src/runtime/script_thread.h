// Cooperative script threads and the thread table.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/value.h"
#include "runtime/variables.h"

namespace rs::runtime {

constexpr int32_t kThreadCount = 256;
constexpr int32_t kParamStackSize = 2048;
constexpr int32_t kReturnStackSize = 256;
constexpr int32_t kFrameStackSize = 256;

// A thread's code: a flat byte-code image, either its own or shared with the load cache.
struct CodeImage {
    const uint8_t* bytes = nullptr;
    int32_t size = 0;
    int32_t pc = 0;
    bool shared = false;
    std::unique_ptr<uint8_t[]> owned;  // set when the image is not shared

    // Takes a private copy of the bytes.
    void setOwned(const uint8_t* data, int32_t n);
    // Takes over a buffer of `n` bytes.
    void adopt(std::unique_ptr<uint8_t[]> data, int32_t n);
    // Points at bytes that somebody else keeps alive.
    void setShared(const uint8_t* data, int32_t n);
    void release();
};

struct ScriptThread {
    CodeImage code;
    VariableTable locals;
    std::array<Value*, kParamStackSize> param_stack{};
    int32_t psp = 0;  // index of the next free stack entry
    std::array<int32_t, kReturnStackSize> return_stack{};
    int32_t depth = 0;
    std::array<int32_t, kFrameStackSize> frame_bases{};
    int32_t frame_count = 1;
    int32_t ended = 1;
    uint32_t wake_time = 0;
    int32_t self_index = -1;
    int32_t next_index = -1;
    int32_t line = -1;
    std::optional<std::string> name;
    std::optional<std::string> tag;

    // Offset of the instruction being run (error messages about instructions use it).
    int32_t instr_pc = 0;
    // A fatal script error was reported for this thread.
    bool failed = false;

    // Cells in the current frame (above the last frame base); never negative.
    int32_t frameCellCount() const {
        int32_t n = psp - frame_bases[static_cast<size_t>(frame_count - 1)];
        return n > 0 ? n : 0;
    }
};

// Pushes a cell; false when the stack is full (the cell is then not taken).
inline bool pushCell(ScriptThread& t, Value* v) {
    if (t.psp >= kParamStackSize) return false;
    t.param_stack[static_cast<size_t>(t.psp++)] = v;
    return true;
}

// Pops the top cell; null when the stack is empty.
inline Value* popCell(ScriptThread& t) {
    if (t.psp <= 0) return nullptr;
    Value* v = t.param_stack[static_cast<size_t>(--t.psp)];
    t.param_stack[static_cast<size_t>(t.psp)] = nullptr;
    return v;
}

// resetThread: empties the stacks and the local table (freeing the locals when asked); the code
// image stays. References that globals hold into the freed locals become void.
void resetThread(ScriptThread& t, ValuePool& pool, VariableTable& globals, bool freeVariables);

// Frees everything a thread holds: code (unless shared), locals, stacked cells, name and tag.
void destroyThread(ScriptThread& t, ValuePool& pool, VariableTable& globals);

// The thread table and its run chain.
class ThreadTable {
  public:
    ScriptThread* at(int32_t slot) const {
        if (slot < 0 || slot >= kThreadCount) return nullptr;
        return slots_[static_cast<size_t>(slot)].get();
    }
    // Creates an empty thread in a free slot (ended until loaded); null when the slot is used.
    ScriptThread* create(int32_t slot);
    // The lowest free slot, or -1.
    int32_t firstFree() const;
    // Destroys the thread in the slot and clears it.
    void destroy(int32_t slot, ValuePool& pool, VariableTable& globals);
    void destroyAll(ValuePool& pool, VariableTable& globals);
    int32_t count() const;

  private:
    std::array<std::unique_ptr<ScriptThread>, kThreadCount> slots_;
};

}  // namespace rs::runtime
