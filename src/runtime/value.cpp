#include "runtime/value.h"

#include "runtime/format.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace rs::runtime {

namespace {

constexpr const char* kTypeNames[11] = {
    "未使用変数", "型なし（無意味数）", "整数",         "小数",       "文字列", "変数",
    "参照",       "ラベルオフセット",   "定数化文字列", "ラベル差分", "参照",
};

// A string cut for printing: longer than 2039 bytes, bytes 2037..2039 become "*ov".
std::string cutForPrint(std::string_view text) {
    if (text.size() <= 2039) return std::string(text);
    std::string out(text.substr(0, 2037));
    out += "*ov";
    return out;
}

}  // namespace

std::string_view stringText(const StringBody& body) {
    if (!body.data || body.length <= 0) return {};
    size_t n = ::strnlen(body.data.get(), static_cast<size_t>(body.length));
    return std::string_view(body.data.get(), n);
}

std::string_view stringText(const Value& v) {
    if (v.type != kString || !v.u.s) return {};
    return stringText(*v.u.s);
}

const char* typeName(int32_t type) {
    if (type < -1 || type > 9) return "不明な型";
    return kTypeNames[type + 1];
}

ValuePool::ValuePool(int32_t capacity) { build(capacity); }

ValuePool::~ValuePool() {
    // Release the strings still held by cells; the arrays go with their owners.
    auto release = [](Value* cells, int32_t n) {
        for (int32_t i = 0; i < n; ++i) releaseString(cells[i]);
    };
    release(cells_.get(), capacity_);
    for (auto& [cells, n] : retired_) release(cells.get(), n);
}

void ValuePool::build(int32_t capacity) {
    if (capacity < 0) capacity = 0;
    cells_.reset(new Value[static_cast<size_t>(capacity) > 0 ? static_cast<size_t>(capacity) : 1]);
    freeList_.reset(new int32_t[static_cast<size_t>(capacity) + 1]);
    capacity_ = capacity;
    for (int32_t i = 0; i < capacity; ++i) cells_[i].type = kUnused;
    freeList_[0] = capacity > 0 ? 0 : -1;
    for (int32_t i = 0; i < capacity; ++i) freeList_[i + 1] = i + 1 < capacity ? i + 1 : -1;
}

bool ValuePool::rebuild(int32_t capacity) {
    if (capacity > kMaxPoolCapacity) return false;
    std::unique_ptr<Value[]> oldCells = std::move(cells_);
    std::unique_ptr<int32_t[]> oldList = std::move(freeList_);
    int32_t oldCapacity = capacity_;
    try {
        build(capacity);
    } catch (const std::bad_alloc&) {
        cells_ = std::move(oldCells);
        freeList_ = std::move(oldList);
        capacity_ = oldCapacity;
        return false;
    }
    retired_.emplace_back(std::move(oldCells), oldCapacity);
    return true;
}

Value* ValuePool::exhausted() {
    if (onExhausted_) onExhausted_();
    return nullptr;
}

void releaseString(Value& v) {
    if (v.type == kString && v.u.s) {
        delete v.u.s;
        v.u.s = nullptr;
    }
}

int32_t ValuePool::usedCellCount() const {
    int32_t n = 0;
    for (int32_t i = 0; i < capacity_; ++i) {
        if (cells_[i].type != kUnused) ++n;
    }
    return n;
}

Value* ValuePool::newStringWithLength(std::string_view bytes, int32_t length) {
    if (length < static_cast<int32_t>(bytes.size())) length = static_cast<int32_t>(bytes.size());
    Value* v = alloc();
    if (!v) return nullptr;
    auto* body = new StringBody;
    body->length = length;
    body->data.reset(new char[static_cast<size_t>(length) + 1]());
    if (!bytes.empty()) std::memcpy(body->data.get(), bytes.data(), bytes.size());
    v->type = kString;
    v->u.s = body;
    return v;
}

Value* ValuePool::newString(std::string_view text) {
    return newStringWithLength(text, static_cast<int32_t>(text.size()) + 1);
}

Value* ValuePool::copyString(const Value& src) {
    if (!src.u.s) return newStringWithLength({}, 0);
    const StringBody& b = *src.u.s;
    return newStringWithLength(std::string_view(b.data.get(), static_cast<size_t>(b.length)),
                               b.length);
}

std::string printValue(const Value* v, int32_t varNumber) {
    if (!v) return formatMessage("[no initialize reg - %d]", varNumber);
    switch (v->type) {
        case kUnused: return "(null)";
        case kVoid: return "(void)";
        case kInteger: return formatMessage("%d", v->u.i);
        case kReal: return formatMessage("%f", static_cast<double>(v->u.r));
        case kString: return cutForPrint(stringText(*v));
        case kVarName: return formatMessage("(reg:%d)", v->u.i);
        case kLabel: return formatMessage("(lab:%d)", v->u.i);
        case kLabelDiff: return formatMessage("(off:%d)", v->u.i);
        default: return "(bad reg.)";
    }
}

std::string printValueWidth(const Value* v, int32_t width) {
    if (!v) return {};
    // The field is at most what the text buffer holds.
    int64_t wide = width < 0 ? -static_cast<int64_t>(width) : width;
    int field = wide > static_cast<int64_t>(kMessageBufferSize)
                    ? static_cast<int>(kMessageBufferSize)
                    : static_cast<int>(wide);
    bool left = width < 0;
    switch (v->type) {
        case kInteger:
            return left ? formatMessage("%0*d", field, v->u.i)
                        : formatMessage("%*d", field, v->u.i);
        case kReal: {
            double d = static_cast<double>(v->u.r);
            return left ? formatMessage("%0*f", field, d) : formatMessage("%*f", field, d);
        }
        case kString: {
            std::string text = cutForPrint(stringText(*v));
            return left ? formatMessage("%-*s", field, text.c_str())
                        : formatMessage("%*s", field, text.c_str());
        }
        default: return {};
    }
}

}  // namespace rs::runtime
