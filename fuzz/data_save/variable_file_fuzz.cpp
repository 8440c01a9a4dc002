// Fuzzes restoring a variable from arbitrary bytes: whatever is read must be a sound variable
// whose bytes read back to the same variable.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "builtins/variable_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace rs;
    runtime::ValuePool pool(64);
    runtime::VariableTable vars;
    runtime::Variable& v = *vars.add(0);
    data::FileBuffer b;
    if (!data::writeAtPosition(b, std::span<const uint8_t>(data, size))) return 0;
    b.position = 0;
    builtins::VariableReadResult r = builtins::readVariable(pool, v, b);
    if (b.position > b.size) __builtin_trap();
    if (static_cast<int64_t>(v.elements.size()) != int64_t{v.width()} * v.height())
        __builtin_trap();
    if (r == builtins::VariableReadResult::Ok) {
        std::vector<uint8_t> bytes = builtins::encodeVariable(v);
        runtime::freeVariableCells(pool, v);  // the pool must hold the copy
        runtime::Variable& w = *vars.add(1);
        data::FileBuffer again;
        data::writeAtPosition(again, bytes);
        again.position = 0;
        if (builtins::readVariable(pool, w, again) != builtins::VariableReadResult::Ok)
            __builtin_trap();
        if (again.position != again.size || builtins::encodeVariable(w) != bytes) __builtin_trap();
    }
    vars.clear(pool);
    return 0;
}
