#include "builtins/variable_file.h"

#include <cstring>
#include <new>
#include <string_view>

namespace rs::builtins {

namespace {

using runtime::Slot;
using runtime::Value;

// Arrays larger than this cannot be held by a variable (see dimension).
constexpr int64_t kMaxElements = int64_t{1} << 24;

void putWord(std::vector<uint8_t>& out, uint32_t w) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(w >> (8 * i)));
}

int64_t elementCount(const runtime::Variable& v) {
    if (v.dim == 0) return 1;
    if (v.dim > 0) return v.dim;
    return -int64_t{v.dim} * v.rows;
}

bool takeWord(data::FileBuffer& b, uint32_t& w) {
    auto bytes = data::readAtPosition(b, 4);
    if (bytes.size() != 4) return false;
    w = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
        uint32_t{bytes[3]} << 24;
    return true;
}

bool takeInt(data::FileBuffer& b, int32_t& i) {
    uint32_t w = 0;
    if (!takeWord(b, w)) return false;
    i = static_cast<int32_t>(w);
    return true;
}

// Installs a new element array, keeping the old storage when the count is the same so that
// references into it stay valid; an old array of another size is retired, not freed.
void install(runtime::Variable& v, std::vector<Slot>&& elements, int32_t dim, int32_t rows) {
    if (elements.size() == v.elements.size()) {
        std::copy(elements.begin(), elements.end(), v.elements.begin());
    } else {
        v.retired.push_back(std::move(v.elements));
        v.elements = std::move(elements);
    }
    v.dim = dim;
    v.rows = rows;
}

enum class ElementResult { Ok, Damaged, NoCell };

ElementResult readElement(runtime::ValuePool& pool, data::FileBuffer& b, Slot& out) {
    int32_t type = 0;
    if (!takeInt(b, type)) return ElementResult::Damaged;
    Value* cell = nullptr;
    switch (type) {
        case runtime::kUnused: out = nullptr; return ElementResult::Ok;
        case runtime::kInteger:
        case runtime::kVarName:
        case runtime::kLabel:
        case runtime::kLabelDiff: {
            int32_t i = 0;
            if (!takeInt(b, i)) return ElementResult::Damaged;
            cell = pool.newOfType(type, i);
            break;
        }
        case runtime::kReal: {
            uint32_t w = 0;
            if (!takeWord(b, w)) return ElementResult::Damaged;
            float r;
            std::memcpy(&r, &w, sizeof r);
            cell = pool.newReal(r);
            break;
        }
        case runtime::kString: {
            int32_t length = 0;
            if (!takeInt(b, length) || length < 0 || length > b.remaining())
                return ElementResult::Damaged;
            auto bytes = data::readAtPosition(b, length);
            cell = pool.newStringWithLength(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                length);
            break;
        }
        case runtime::kVoid:
        case runtime::kReference:
        case runtime::kConstString:
        case runtime::kReference2: cell = pool.newOfType(runtime::kVoid, 0); break;
        default: return ElementResult::Damaged;
    }
    if (!cell) return ElementResult::NoCell;
    out = cell;
    return ElementResult::Ok;
}

}  // namespace

std::vector<uint8_t> encodeVariable(const runtime::Variable& v) {
    std::vector<uint8_t> out;
    putWord(out, static_cast<uint32_t>(v.dim));
    if (v.dim < 0) putWord(out, static_cast<uint32_t>(v.rows));
    int64_t count = elementCount(v);
    for (int64_t i = 0; i < count; ++i) {
        Slot cell = static_cast<size_t>(i) < v.elements.size() ? v.elements[static_cast<size_t>(i)]
                                                               : nullptr;
        if (!cell) {
            putWord(out, static_cast<uint32_t>(runtime::kUnused));
            continue;
        }
        putWord(out, static_cast<uint32_t>(cell->type));
        switch (cell->type) {
            case runtime::kInteger:
            case runtime::kVarName:
            case runtime::kLabel:
            case runtime::kLabelDiff: putWord(out, static_cast<uint32_t>(cell->u.i)); break;
            case runtime::kReal: {
                uint32_t w;
                std::memcpy(&w, &cell->u.r, sizeof w);
                putWord(out, w);
                break;
            }
            case runtime::kString: {
                const runtime::StringBody* s = cell->u.s;
                int32_t length = s && s->data ? s->length : 0;
                putWord(out, static_cast<uint32_t>(length));
                if (length > 0) out.insert(out.end(), s->data.get(), s->data.get() + length);
                break;
            }
            default: break;
        }
    }
    return out;
}

VariableReadResult readVariable(runtime::ValuePool& pool, runtime::Variable& v,
                                data::FileBuffer& b) {
    runtime::freeVariableCells(pool, v);
    auto fail = [&](VariableReadResult r, std::vector<Slot>& read) {
        for (Slot& s : read) pool.free(s);
        install(v, std::vector<Slot>(1, nullptr), 0, 0);
        return r;
    };
    std::vector<Slot> none;

    int32_t dim = 0;
    int32_t rows = 0;
    if (!takeInt(b, dim) || dim > pool.capacity()) return fail(VariableReadResult::Damaged, none);
    if (dim < 0 && (!takeInt(b, rows) || dim == INT32_MIN || rows < 1))
        return fail(VariableReadResult::Damaged, none);
    int64_t count = dim == 0 ? 1 : dim > 0 ? dim : -int64_t{dim} * rows;
    if (count > pool.capacity() || count > kMaxElements)
        return fail(VariableReadResult::Damaged, none);

    std::vector<Slot> elements;
    try {
        elements.assign(static_cast<size_t>(count), nullptr);
    } catch (const std::bad_alloc&) {
        return fail(VariableReadResult::Damaged, none);
    }
    for (Slot& slot : elements) {
        ElementResult r = readElement(pool, b, slot);
        if (r == ElementResult::Damaged) return fail(VariableReadResult::Damaged, elements);
        if (r == ElementResult::NoCell) return fail(VariableReadResult::PoolExhausted, elements);
    }
    install(v, std::move(elements), dim, dim < 0 ? rows : 0);
    return VariableReadResult::Ok;
}

}  // namespace rs::builtins
