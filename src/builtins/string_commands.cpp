// String commands: bytes of a text, its length, its left, right and middle parts, searching, a
// character code as text, and searching an array. Positions and lengths count bytes; texts are
// code page 932, and the search never starts a match on the second byte of a double-byte
// character.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "builtins/dispatcher.h"
#include "platform/encoding.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/interpreter.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::builtins {

namespace {

using runtime::ScriptThread;
using runtime::Value;

// The message of a position that lies outside the text (negative, or past it).
constexpr const char* kBadPosition = "位置指定パラメータが異常です";

// A popped value that must be a string; null after an error (reported at `place` with
// `message`). The caller frees the result.
Value* stringArgument(Engine& e, ScriptThread& t, const char* message, const char* place) {
    Value* v = runtime::ngetvar(e, t);
    if (!v) return nullptr;
    if (v->type != runtime::kString) {
        e.pool.free(v);
        runtime::scriptError(e, t, message, place);
        return nullptr;
    }
    return v;
}

// The stored length of a string cell: its buffer, the terminating NUL included.
int32_t storedLength(const Value& v) { return v.u.s ? v.u.s->length : 0; }

void cmdAsc(Engine& e, ScriptThread& t) {
    int32_t i = runtime::ngetint(e, t);
    if (t.failed) return;
    Value* s = stringArgument(e, t, "引数が文字列になっていません", "asc");
    if (!s) return;
    // Any byte of the string's buffer may be read, the terminating NUL included (it gives 0, so a
    // loop that scans for the end works); a position outside the buffer is an error.
    if (i < 0 || i >= storedLength(*s)) {
        e.pool.free(s);
        runtime::scriptError(e, t, kBadPosition, "asc");
        return;
    }
    int32_t byte = static_cast<uint8_t>(s->u.s->data[static_cast<size_t>(i)]);
    e.pool.free(s);
    runtime::pushInteger(e, t, byte);
}

void cmdMid(Engine& e, ScriptThread& t) {
    int32_t b = runtime::ngetint(e, t);
    if (t.failed) return;
    int32_t i = runtime::ngetint(e, t);
    if (t.failed) return;
    runtime::Slot* slot = runtime::getSlot(e, t);
    if (t.failed) return;
    if (!slot || !*slot || (*slot)->type != runtime::kString || !(*slot)->u.s) {
        runtime::scriptError(e, t, "書き込みデータが文字列でないです", "mid");
        return;
    }
    Value& s = **slot;
    if (i < 0) {
        runtime::scriptError(e, t, kBadPosition, "mid");
        return;
    }
    if (i >= storedLength(s)) {
        runtime::scriptError(e, t, "書き込み文字列の長さが足りません", "mid");
        return;
    }
    s.u.s->data[static_cast<size_t>(i)] = static_cast<char>(b & 0xFF);
}

void cmdStrlen(Engine& e, ScriptThread& t) {
    Value* s = stringArgument(e, t, "引数が文字列になっていません", "strlen");
    if (!s) return;
    auto n = static_cast<int32_t>(runtime::stringText(*s).size());
    e.pool.free(s);
    runtime::pushInteger(e, t, n);
}

// lefts and rights: s, then a count or a separator.
enum class Side { Left, Right };

void leftRight(Engine& e, ScriptThread& t, Side side, const char* place) {
    Value* n = runtime::ngetvar(e, t);
    if (!n) return;
    Value* s = runtime::ngetvar(e, t);
    if (!s) {
        e.pool.free(n);
        return;
    }
    const char* error = nullptr;
    if (s->type != runtime::kString) {
        error = "書き込みデータが文字列でないです";
    } else if (n->type != runtime::kInteger && n->type != runtime::kString) {
        error = kBadPosition;
    }
    if (error) {
        e.pool.free(n);
        e.pool.free(s);
        runtime::scriptError(e, t, error, place);
        return;
    }
    std::string_view text = runtime::stringText(*s);
    auto length = static_cast<int64_t>(text.size());
    std::string result;
    bool found = true;
    if (n->type == runtime::kInteger) {
        int64_t count = n->u.i;
        if (side == Side::Left) {
            int64_t k = count >= 0 ? std::min(count, length) : std::max(length + count, int64_t{0});
            result = std::string(text.substr(0, static_cast<size_t>(k)));
        } else if (count >= 0) {
            int64_t k = std::min(count, length);
            result = std::string(text.substr(static_cast<size_t>(length - k)));
        } else {
            int64_t drop = std::min(-count, length);
            result = std::string(text.substr(static_cast<size_t>(drop)));
        }
    } else {
        std::string_view separator = runtime::stringText(*n);
        size_t at = text.find(separator);
        if (at == std::string_view::npos) {
            found = false;
        } else if (side == Side::Left) {
            result = std::string(text.substr(0, at));
        } else {
            result = std::string(text.substr(at + separator.size()));
        }
    }
    e.pool.free(n);
    e.pool.free(s);
    if (found) {
        runtime::pushString(e, t, result);
    } else {
        runtime::pushInteger(e, t, 0);
    }
}

void cmdLefts(Engine& e, ScriptThread& t) { leftRight(e, t, Side::Left, "lefts"); }
void cmdRights(Engine& e, ScriptThread& t) { leftRight(e, t, Side::Right, "rights"); }

void cmdMids(Engine& e, ScriptThread& t) {
    int32_t count = runtime::ngetint(e, t);
    if (t.failed) return;
    int32_t start = runtime::ngetint(e, t);
    if (t.failed) return;
    Value* s = stringArgument(e, t, "書き込みデータが文字列でないです", "mids");
    if (!s) return;
    std::string_view text = runtime::stringText(*s);
    auto length = static_cast<int64_t>(text.size());
    // A start outside 0..length would read outside the text.
    if (start < 0 || start > length) {
        e.pool.free(s);
        runtime::scriptError(e, t, kBadPosition, "mids");
        return;
    }
    int64_t n = count;
    if (start + n > length) n = length - start;
    std::string result;
    if (n > 0)
        result = std::string(text.substr(static_cast<size_t>(start), static_cast<size_t>(n)));
    e.pool.free(s);
    runtime::pushString(e, t, result);
}

// The offset of the first occurrence of `needle` in `text` that starts on a character boundary,
// or -1.
int32_t findCharacterWise(std::string_view text, std::string_view needle) {
    size_t i = 0;
    while (i + needle.size() <= text.size()) {
        if (text.compare(i, needle.size(), needle) == 0) return static_cast<int32_t>(i);
        bool lead = platform::isLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size();
        i += lead ? 2 : 1;
    }
    return -1;
}

void cmdStrstr(Engine& e, ScriptThread& t) {
    const char* message = "比較データが文字列でないです";
    Value* needle = stringArgument(e, t, message, "strstr");
    if (!needle) return;
    Value* s = stringArgument(e, t, message, "strstr");
    if (!s) {
        e.pool.free(needle);
        return;
    }
    int32_t at = findCharacterWise(runtime::stringText(*s), runtime::stringText(*needle));
    e.pool.free(needle);
    e.pool.free(s);
    runtime::pushInteger(e, t, at);
}

void cmdChr(Engine& e, ScriptThread& t) {
    int32_t code = runtime::ngetint(e, t);
    if (t.failed) return;
    std::string bytes;
    if (code & 0xFF00) {
        bytes += static_cast<char>((code >> 8) & 0xFF);
        bytes += static_cast<char>(code & 0xFF);
    } else if (code & 0xFF) {
        bytes += static_cast<char>(code & 0xFF);
    }
    // The bytes are stored as they are, even a NUL second byte: the text then ends before it.
    runtime::pushValue(e, t,
                       e.pool.newStringWithLength(bytes, static_cast<int32_t>(bytes.size()) + 1));
}

void cmdArrayFind(Engine& e, ScriptThread& t) {
    int32_t start = runtime::ngetint(e, t);
    if (t.failed) return;
    Value* wanted = runtime::ngetvar(e, t);
    if (!wanted) return;
    runtime::Variable* a = runtime::ngetbody(e, t);
    if (!a) {
        e.pool.free(wanted);
        return;
    }
    int32_t result = -1;
    if (a->dim <= 0) {
        result = -2;  // a scalar or a 2-D array
    } else if (start < 0) {
        e.pool.free(wanted);
        runtime::scriptError(e, t, kBadPosition, "arrfind");
        return;
    } else {
        auto size =
            static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(a->dim), a->elements.size()));
        for (int32_t i = start; i < size; ++i) {
            runtime::Slot* slot = &a->elements[static_cast<size_t>(i)];
            // An element bound by reference is compared by the value it aliases.
            if (*slot && (*slot)->type == runtime::kReference) slot = (*slot)->u.ref;
            if (*slot && runtime::valuesEqual(**slot, *wanted)) {
                result = i;
                break;
            }
        }
    }
    e.pool.free(wanted);
    runtime::pushInteger(e, t, result);
}

constexpr CommandEntry kStringCommands[] = {
    {147, "asc", cmdAsc},       {148, "mid", cmdMid},           {151, "strlen", cmdStrlen},
    {152, "lefts", cmdLefts},   {153, "rights", cmdRights},     {156, "chr", cmdChr},
    {164, "strstr", cmdStrstr}, {165, "arrfind", cmdArrayFind}, {166, "mids", cmdMids},
};

}  // namespace

void registerStringCommands(CommandTable& table) { table.add(kStringCommands); }

}  // namespace rs::builtins
