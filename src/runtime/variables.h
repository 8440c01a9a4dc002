// Numbered script variables: scalars, 1-D and 2-D arrays, and the local and global tables.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/value.h"

namespace rs::runtime {

constexpr int32_t kVariableCount = 2048;  // variable numbers 0..2047

struct Variable {
    int32_t dim = 0;   // 0 scalar, > 0 1-D of dim elements, < 0 2-D of width -dim
    int32_t rows = 0;  // height of a 2-D array
    std::vector<Slot> elements;
    // Element arrays replaced by `dimension`. They are kept, emptied, until the variable goes, so
    // that a reference made into an old array stays a valid (empty) slot instead of dangling.
    std::vector<std::vector<Slot>> retired;

    int32_t width() const { return dim > 0 ? dim : dim < 0 ? -dim : 1; }
    int32_t height() const { return dim < 0 ? rows : 1; }
};

// Frees every cell a variable holds.
void freeVariableCells(ValuePool& pool, Variable& v);

// A table of variables by number: the locals of one thread or the globals.
class VariableTable {
  public:
    VariableTable() { map_.fill(-1); }

    int32_t count() const { return count_; }
    // The variable of that number, or null (also for numbers outside 0..2047).
    Variable* find(int32_t number) const {
        if (number < 0 || number >= kVariableCount) return nullptr;
        int32_t index = map_[static_cast<size_t>(number)];
        return index >= 0 ? vars_[static_cast<size_t>(index)].get() : nullptr;
    }
    bool contains(int32_t number) const { return find(number) != nullptr; }
    // Appends a new scalar for the number (which must be in range and not yet present).
    Variable* add(int32_t number);
    // Frees every variable and its cells and forgets every number.
    void clear(ValuePool& pool);
    // Visits every variable.
    template <typename F>
    void forEach(F f) const {
        for (int32_t i = 0; i < count_; ++i) f(*vars_[static_cast<size_t>(i)]);
    }

  private:
    int32_t count_ = 0;
    std::array<std::unique_ptr<Variable>, kVariableCount> vars_;
    std::array<int32_t, kVariableCount> map_;
};

// findvar: the local, else the global, else a new local scalar. Null for numbers outside
// 0..2047 (the caller reports the error).
Variable* findvar(VariableTable& locals, VariableTable& globals, int32_t number);

// makeGlobal: declares the number global unless it already is.
void makeGlobal(VariableTable& globals, int32_t number);

// dimension: resizes in place, keeping elements whose (x, y) fits the new layout. `dim` < 0 makes
// a 2-D array of width -dim and `rows` rows; otherwise a 1-D array of max(dim, 1) elements.
// Returns false (and changes nothing) for sizes that cannot be held.
bool dimension(ValuePool& pool, Variable& v, int32_t dim, int32_t rows);

// makeReference: slot a becomes an alias of slot b. Returns false when no cell was available.
bool makeReference(ValuePool& pool, Slot* a, Slot* b);

// clearReference: a slot holding a reference becomes void.
void clearReference(Slot* slot);

// Turns every reference held by `holders` that points into an element array of `owners` into a
// void value. Used before a thread's locals are freed, so that a global never keeps an alias of a
// slot that is gone.
void voidReferencesInto(const VariableTable& holders, const VariableTable& owners);

}  // namespace rs::runtime
