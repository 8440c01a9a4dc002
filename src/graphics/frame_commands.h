// The frame commands: creating, loading, measuring and destroying frames, and drawing points,
// lines and filled rectangles into them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>

#include "runtime/fetch.h"
#include "runtime/script_thread.h"

namespace rs {
class Engine;
}
namespace rs::builtins {
class CommandTable;
}

namespace rs::graphics {

struct Frame;

void registerFrameCommands(builtins::CommandTable& table);
void registerDrawCommands(builtins::CommandTable& table);
void registerImageLoadCommands(builtins::CommandTable& table);

// Shared by the families.

// Pops integer arguments into the places given in script order (the last one written comes off
// the stack first). False after a fatal error.
inline bool popInts(Engine& e, runtime::ScriptThread& t,
                    std::initializer_list<int32_t*> scriptOrder) {
    for (auto it = std::rbegin(scriptOrder); it != std::rend(scriptOrder); ++it) {
        **it = runtime::ngetint(e, t);
        if (t.failed) return false;
    }
    return true;
}

// Makes a frame in the free slot `slot` and records it in the table statistics with the trace
// "<script>(line<n>,<offset>)<what>". A frame too large for memory is the fatal error
// "フレーム作成サイズが異常(%d,%d)です。" at `place`; null then.
Frame* createTableFrame(Engine& e, runtime::ScriptThread& t, int32_t slot, int32_t width,
                        int32_t height, int32_t bpp, int32_t mode, const char* place,
                        const char* what);

// A text cut to fit a statistics buffer of 1024 bytes.
std::string statisticText(std::string_view text);

}  // namespace rs::graphics
