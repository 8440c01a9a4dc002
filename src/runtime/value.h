// Typed value cells and the pool they come from.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rs::runtime {

// Type tags of a value cell.
enum ValueType : int32_t {
    kUnused = -1,
    kVoid = 0,
    kInteger = 1,
    kReal = 2,
    kString = 3,
    kVarName = 4,    // a variable by number, not yet resolved
    kReference = 5,  // an alias of another variable's element slot
    kLabel = 6,      // a code offset
    kConstString = 7,
    kLabelDiff = 8,  // a difference of two code offsets
    kReference2 = 9,
};

// A string's buffer: `length` counts the bytes of the buffer including the terminating NUL
// ("abc" has length 4). The buffer always has one more NUL byte after `length` so that readers
// can treat it as a C string.
struct StringBody {
    std::unique_ptr<char[]> data;
    int32_t length = 0;
};

struct Value;
using Slot = Value*;  // a variable element: null while never assigned

struct Value {
    int32_t type = kUnused;
    union {
        int32_t i;      // kInteger, kVarName, kLabel, kLabelDiff
        float r;        // kReal
        StringBody* s;  // kString (owned)
        Slot* ref;      // kReference
    } u{};
};

// The text of a string cell: its bytes up to the first NUL or its stored length.
std::string_view stringText(const Value& v);
std::string_view stringText(const StringBody& body);

// The name shown in messages for a type tag.
const char* typeName(int32_t type);

// Releases a string body held by a cell (used when a cell is overwritten in place).
void releaseString(Value& v);

// The largest pool the engine builds, from the command line or a script (cells of 16 bytes, so
// 1 GiB): a larger request is refused like a failed allocation instead of taking the machine's
// memory.
constexpr int32_t kMaxPoolCapacity = 1 << 26;

// The pool of value cells. Cells never move; the free list is an array of capacity + 1 indices
// whose element 0 is the first free cell and element i + 1 the free cell after cell i.
class ValuePool {
  public:
    explicit ValuePool(int32_t capacity);
    ~ValuePool();
    ValuePool(const ValuePool&) = delete;
    ValuePool& operator=(const ValuePool&) = delete;

    // Pops the head of the free list; null when the pool is exhausted (after calling the
    // exhaustion handler). The cell keeps its previous contents; callers set both fields.
    // (alloc, free and the small constructors are inline: the interpreter calls them for every
    // operand.)
    Value* alloc() {
        int32_t head = freeList_[0];
        if (head < 0) return exhausted();
        freeList_[0] = freeList_[head + 1];
        return &cells_[head];
    }
    // Frees a string's body and links the cell in front of the free list. The type is kept, so a
    // cell once used never reads kUnused again.
    void free(Value* v) {
        if (!v) return;
        if (v->type == kString) releaseString(*v);
        int32_t index = indexOf(v);
        if (index < 0) return;  // a cell of a discarded pool: nothing to link
        freeList_[index + 1] = freeList_[0];
        freeList_[0] = index;
    }
    // Discards the pool and builds a new one. Cells still held elsewhere stay readable: the old
    // cell array is kept until the pool is destroyed, and freeing such a cell only releases its
    // string.
    bool rebuild(int32_t capacity);

    int32_t capacity() const { return capacity_; }
    // Cells whose type is not kUnused: every cell handed out since the pool was built.
    int32_t usedCellCount() const;

    void setExhaustedHandler(std::function<void()> handler) { onExhausted_ = std::move(handler); }

    // Constructors of filled cells; null when the pool is exhausted.
    Value* newInteger(int32_t i) { return newOfType(kInteger, i); }
    Value* newReal(float r) {
        Value* v = alloc();
        if (v) {
            v->type = kReal;
            v->u.r = r;
        }
        return v;
    }
    Value* newString(std::string_view text);
    // A string whose buffer holds `bytes` and whose stored length is `length` (>= bytes.size());
    // the rest of the buffer is zero.
    Value* newStringWithLength(std::string_view bytes, int32_t length);
    Value* newOfType(int32_t type, int32_t payload) {
        Value* v = alloc();
        if (v) {
            v->type = type;
            v->u.i = payload;
        }
        return v;
    }
    // A copy of `v`; a string gets its own body.
    Value* copy(const Value& src) {
        if (src.type == kString) return copyString(src);
        Value* v = alloc();
        if (v) {
            v->type = src.type;
            v->u = src.u;
        }
        return v;
    }

    // Index of a cell of the current pool, or -1.
    int32_t indexOf(const Value* v) const {
        if (!v || capacity_ == 0) return -1;
        const Value* base = cells_.get();
        if (v < base || v >= base + capacity_) return -1;
        return static_cast<int32_t>(v - base);
    }

  private:
    void build(int32_t capacity);
    Value* exhausted();
    Value* copyString(const Value& src);

    std::unique_ptr<Value[]> cells_;
    std::unique_ptr<int32_t[]> freeList_;
    int32_t capacity_ = 0;
    std::vector<std::pair<std::unique_ptr<Value[]>, int32_t>> retired_;
    std::function<void()> onExhausted_;
};

// printValue: the text of a cell as messages and interpolation show it. A null cell prints as
// "[no initialize reg - N]" with the variable number. At most 2047 bytes.
std::string printValue(const Value* v, int32_t varNumber);
// printValueWidth: the cell formatted into a field of `width` characters (negative: zero padded
// numbers and left-aligned strings). Other types give the empty text.
std::string printValueWidth(const Value* v, int32_t width);

}  // namespace rs::runtime
