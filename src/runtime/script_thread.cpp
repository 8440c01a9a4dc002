#include "runtime/script_thread.h"

#include <cstring>

namespace rs::runtime {

void CodeImage::setOwned(const uint8_t* data, int32_t n) {
    release();
    if (n < 0) n = 0;
    owned.reset(new uint8_t[static_cast<size_t>(n) + 1]);
    if (n > 0) std::memcpy(owned.get(), data, static_cast<size_t>(n));
    bytes = owned.get();
    size = n;
    shared = false;
    pc = 0;
}

void CodeImage::adopt(std::unique_ptr<uint8_t[]> data, int32_t n) {
    release();
    owned = std::move(data);
    bytes = owned.get();
    size = bytes && n > 0 ? n : 0;
    shared = false;
    pc = 0;
}

void CodeImage::setShared(const uint8_t* data, int32_t n) {
    release();
    bytes = data;
    size = n;
    shared = true;
    pc = 0;
}

void CodeImage::release() {
    owned.reset();
    bytes = nullptr;
    size = 0;
    shared = false;
    pc = 0;
}

void resetThread(ScriptThread& t, ValuePool& pool, VariableTable& globals, bool freeVariables) {
    if (freeVariables) {
        voidReferencesInto(globals, t.locals);
        t.locals.clear(pool);
    } else {
        t.locals = VariableTable();
    }
    // Cells still on the stack belong to nobody else.
    while (Value* v = popCell(t)) pool.free(v);
    t.psp = 0;
    t.depth = 0;
    t.frame_bases[0] = 0;
    t.frame_count = 1;
}

void destroyThread(ScriptThread& t, ValuePool& pool, VariableTable& globals) {
    voidReferencesInto(globals, t.locals);
    t.locals.clear(pool);
    while (Value* v = popCell(t)) pool.free(v);
    t.code.release();
    t.name.reset();
    t.tag.reset();
}

ScriptThread* ThreadTable::create(int32_t slot) {
    if (slot < 0 || slot >= kThreadCount || slots_[static_cast<size_t>(slot)]) return nullptr;
    auto t = std::make_unique<ScriptThread>();
    t->ended = 1;
    t->self_index = slot;
    t->next_index = -1;
    ScriptThread* raw = t.get();
    slots_[static_cast<size_t>(slot)] = std::move(t);
    return raw;
}

int32_t ThreadTable::firstFree() const {
    for (int32_t i = 0; i < kThreadCount; ++i) {
        if (!slots_[static_cast<size_t>(i)]) return i;
    }
    return -1;
}

void ThreadTable::destroy(int32_t slot, ValuePool& pool, VariableTable& globals) {
    if (slot < 0 || slot >= kThreadCount) return;
    auto& p = slots_[static_cast<size_t>(slot)];
    if (!p) return;
    destroyThread(*p, pool, globals);
    p.reset();
}

void ThreadTable::destroyAll(ValuePool& pool, VariableTable& globals) {
    for (int32_t i = 0; i < kThreadCount; ++i) destroy(i, pool, globals);
}

int32_t ThreadTable::count() const {
    int32_t n = 0;
    for (const auto& p : slots_) n += p ? 1 : 0;
    return n;
}

}  // namespace rs::runtime
