// A whole variable (scalar or array) as bytes in a script file:
//   dim (i32), rows (i32, only when dim < 0), then every element in storage order:
//   type (i32; -1 for an element never assigned) and its payload: a 32-bit word for integers,
//   variable names, labels and label differences, the float for reals, the stored length and
//   that many bytes for strings, nothing for other types. All little-endian.
#pragma once

#include <cstdint>
#include <vector>

#include "data/file_buffer.h"
#include "runtime/value.h"
#include "runtime/variables.h"

namespace rs::builtins {

// The bytes of a variable.
std::vector<uint8_t> encodeVariable(const runtime::Variable& v);

enum class VariableReadResult {
    Ok,
    Damaged,        // the data cannot be a variable: the variable is left an unassigned scalar
    PoolExhausted,  // no cell for an element: the variable is left an unassigned scalar
};

// Reads a variable from the buffer's cursor into `v`, whose old elements are freed first. Reads
// stop at the end of the buffer; data that ends early, names more elements than the value pool
// holds, or has an unknown type tag is damaged. References cannot be restored from a file (they
// named memory of another run): they, and the string constants the runtime never makes, come
// back as void values.
VariableReadResult readVariable(runtime::ValuePool& pool, runtime::Variable& v,
                                data::FileBuffer& b);

}  // namespace rs::builtins
