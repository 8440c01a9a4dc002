#include "data/script_files.h"

namespace rs::data {

int32_t ScriptFileTable::add(std::unique_ptr<ScriptFile> file) {
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i]) {
            slots_[i] = std::move(file);
            return static_cast<int32_t>(i + 1);
        }
    }
    slots_.push_back(std::move(file));
    return static_cast<int32_t>(slots_.size());
}

ScriptFile* ScriptFileTable::find(int32_t handle) const {
    if (handle <= 0 || static_cast<size_t>(handle) > slots_.size()) return nullptr;
    return slots_[static_cast<size_t>(handle) - 1].get();
}

std::unique_ptr<ScriptFile> ScriptFileTable::take(int32_t handle) {
    if (!find(handle)) return nullptr;
    std::unique_ptr<ScriptFile> file = std::move(slots_[static_cast<size_t>(handle) - 1]);
    while (!slots_.empty() && !slots_.back()) slots_.pop_back();
    return file;
}

int32_t ScriptFileTable::openCount() const {
    int32_t n = 0;
    for (const auto& s : slots_) n += s ? 1 : 0;
    return n;
}

}  // namespace rs::data
