#include "runtime/variables.h"

#include <algorithm>
#include <functional>
#include <new>
#include <utility>

namespace rs::runtime {

namespace {

// The largest element count an array may have; beyond it the request is refused rather than
// letting an allocation of gigabytes fail.
constexpr int64_t kMaxElements = int64_t{1} << 24;

}  // namespace

void freeVariableCells(ValuePool& pool, Variable& v) {
    for (Slot& s : v.elements) {
        pool.free(s);
        s = nullptr;
    }
    for (auto& old : v.retired) {
        for (Slot& s : old) {
            pool.free(s);
            s = nullptr;
        }
    }
}

Variable* VariableTable::add(int32_t number) {
    auto v = std::make_unique<Variable>();
    v->elements.assign(1, nullptr);
    Variable* raw = v.get();
    vars_[static_cast<size_t>(count_)] = std::move(v);
    map_[static_cast<size_t>(number)] = count_;
    ++count_;
    return raw;
}

void VariableTable::clear(ValuePool& pool) {
    for (int32_t i = 0; i < count_; ++i) {
        freeVariableCells(pool, *vars_[static_cast<size_t>(i)]);
        vars_[static_cast<size_t>(i)].reset();
    }
    count_ = 0;
    map_.fill(-1);
}

Variable* findvar(VariableTable& locals, VariableTable& globals, int32_t number) {
    if (number < 0 || number >= kVariableCount) return nullptr;
    if (Variable* v = locals.find(number)) return v;
    if (Variable* v = globals.find(number)) return v;
    return locals.add(number);
}

void makeGlobal(VariableTable& globals, int32_t number) {
    if (number < 0 || number >= kVariableCount || globals.contains(number)) return;
    globals.add(number);
}

bool dimension(ValuePool& pool, Variable& v, int32_t dim, int32_t rows) {
    if (dim == INT32_MIN) return false;
    int32_t newWidth = dim < 0 ? -dim : std::max(dim, 1);
    int32_t newRows = dim < 0 ? rows : 1;
    if (newRows < 1) return false;
    int64_t count = int64_t{newWidth} * newRows;
    if (count > kMaxElements) return false;

    std::vector<Slot> fresh;
    try {
        fresh.assign(static_cast<size_t>(count), nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    int32_t oldWidth = v.width();
    int32_t oldRows = v.height();
    for (int32_t y = 0; y < oldRows; ++y) {
        for (int32_t x = 0; x < oldWidth; ++x) {
            size_t from =
                static_cast<size_t>(y) * static_cast<size_t>(oldWidth) + static_cast<size_t>(x);
            if (from >= v.elements.size()) continue;
            Slot& cell = v.elements[from];
            if (x < newWidth && y < newRows) {
                fresh[static_cast<size_t>(y) * static_cast<size_t>(newWidth) +
                      static_cast<size_t>(x)] = cell;
            } else {
                pool.free(cell);
            }
            cell = nullptr;
        }
    }
    // Anything left in the old array (it may be larger than width x rows) is freed too.
    for (Slot& cell : v.elements) {
        pool.free(cell);
        cell = nullptr;
    }
    v.retired.push_back(std::move(v.elements));
    v.elements = std::move(fresh);
    v.dim = dim < 0 ? dim : newWidth;
    v.rows = dim < 0 ? newRows : 0;
    return true;
}

bool makeReference(ValuePool& pool, Slot* a, Slot* b) {
    if (!a || !b) return false;
    if (a == b || (*a != nullptr && *a == *b)) return true;
    Value* cell = pool.alloc();
    if (!cell) return false;
    cell->type = kReference;
    cell->u.ref = b;
    pool.free(*a);
    *a = cell;
    return true;
}

void clearReference(Slot* slot) {
    if (slot && *slot && (*slot)->type == kReference) (*slot)->type = kVoid;
}

void voidReferencesInto(const VariableTable& holders, const VariableTable& owners) {
    std::vector<std::pair<const Slot*, const Slot*>> ranges;
    auto addRange = [&](const std::vector<Slot>& arr) {
        if (!arr.empty()) ranges.emplace_back(arr.data(), arr.data() + arr.size());
    };
    owners.forEach([&](const Variable& v) {
        addRange(v.elements);
        for (const auto& old : v.retired) addRange(old);
    });
    if (ranges.empty()) return;
    std::sort(ranges.begin(), ranges.end());
    auto pointsInto = [&](const Slot* p) {
        auto it = std::upper_bound(
            ranges.begin(), ranges.end(), p,
            [](const Slot* x, const auto& r) { return std::less<>()(x, r.first); });
        if (it == ranges.begin()) return false;
        --it;
        return !std::less<>()(p, it->first) && std::less<>()(p, it->second);
    };
    auto visit = [&](const std::vector<Slot>& arr) {
        for (Slot cell : arr) {
            if (cell && cell->type == kReference && pointsInto(cell->u.ref)) cell->type = kVoid;
        }
    };
    holders.forEach([&](const Variable& v) {
        visit(v.elements);
        for (const auto& old : v.retired) visit(old);
    });
}

}  // namespace rs::runtime
