// Frame commands: frame, killframe, framesize, clip and the one-argument command 0x20B.
#include "graphics/frame_commands.h"

#include <algorithm>
#include <cstring>

#include "builtins/dispatcher.h"
#include "graphics/frame.h"
#include "runtime/errors.h"
#include "runtime/format.h"
#include "runtime/variables.h"
#include "shell/engine.h"

namespace rs::graphics {

using runtime::ScriptThread;

std::string statisticText(std::string_view text) {
    return std::string(text.substr(0, kStatisticTextSize - 1));
}

Frame* createTableFrame(Engine& e, ScriptThread& t, int32_t slot, int32_t width, int32_t height,
                        int32_t bpp, int32_t mode, const char* place, const char* what) {
    std::unique_ptr<Frame> made = createFrame(width, height, bpp, mode);
    if (!made) {
        // Beyond what memory can hold: reported like a bad size rather than failing later.
        runtime::scriptError(
            e, t, runtime::formatMessage("フレーム作成サイズが異常(%d,%d)です。", width, height),
            place);
        return nullptr;
    }
    FrameTable& table = *e.frames;
    made->placement = framePlacement(table.surfaces, mode, made->bpp);
    Frame* f = table.place(slot, std::move(made));
    table.lastWidth = width;
    table.lastHeight = height;
    std::string name = t.name ? *t.name : std::string("(null)");
    table.lastLabel = statisticText(
        runtime::formatMessage("%s(line%d,%d)%s", name.c_str(), t.line, t.code.pc, what));
    return f;
}

namespace {

constexpr const char* kTableFull = "フレーム枚数が最大数を越えました。";

void cmdFrame(Engine& e, ScriptThread& t) {
    int32_t width, height, bpp, mode;
    if (!popInts(e, t, {&width, &height, &bpp, &mode})) return;
    int32_t slot = e.frames->firstFree();
    if (width < 0 || height < 0) {
        runtime::scriptError(
            e, t, runtime::formatMessage("フレーム作成サイズが異常(%d,%d)です。", width, height),
            "frame");
        return;
    }
    if (slot < 0) {
        runtime::scriptError(e, t, kTableFull, "frame");
        return;
    }
    if (!createTableFrame(e, t, slot, width, height, bpp, mode, "frame", "frame")) return;
    runtime::pushInteger(e, t, slot);
}

void cmdKillframe(Engine& e, ScriptThread& t) {
    int32_t number = runtime::ngetint(e, t);
    if (t.failed) return;
    if (number < 0 || number >= kFrameCount) return;
    Frame* f = e.frames->at(number);
    if (!f) {
        runtime::scriptError(e, t, "無効なフレーム番号です", "killframe");
        return;
    }
    waitWhileBusy(e, *f);
    e.frames->destroy(number);
}

void cmdFramesize(Engine& e, ScriptThread& t) {
    int32_t number, which;
    if (!popInts(e, t, {&number, &which})) return;
    FrameTable& table = *e.frames;
    if (number == -3) {
        int32_t v = table.listener ? table.listener->spriteStatistic(which)
                                   : statisticWithoutSprites(which);
        runtime::pushInteger(e, t, v);
        return;
    }
    if (number == -2) {
        switch (which) {
            case 0: runtime::pushInteger(e, t, kFrameCount); return;
            case 1: runtime::pushInteger(e, t, table.usedCount()); return;
            case 2: runtime::pushInteger(e, t, table.lastWidth); return;
            case 3: runtime::pushInteger(e, t, table.lastHeight); return;
            case 4: runtime::pushString(e, t, table.lastImage); return;
            case 5: runtime::pushString(e, t, table.lastLabel); return;
            default: runtime::pushInteger(e, t, -1); return;
        }
    }
    Frame* f = checkFrame(e, t, number, "framesize");
    if (!f) return;
    int32_t v = -1;
    switch (which) {
        case 0: v = f->width; break;
        case 1: v = f->height; break;
        case 2: v = f->bpp; break;
        case 3: v = f->placement; break;
        default: break;
    }
    runtime::pushInteger(e, t, v);
}

// Command 0x20B: takes one integer and gives 0.
void cmdFrameNop(Engine& e, ScriptThread& t) {
    runtime::ngetint(e, t);
    if (t.failed) return;
    runtime::pushInteger(e, t, 0);
}

// The bounding box of the set pixels: minX, minY, maxX, maxY; (width, height, -1, -1) when none.
struct Bounds {
    int32_t minX, minY, maxX, maxY;
};

Bounds setPixelBounds(const Frame& f) {
    Bounds b{f.width, f.height, -1, -1};
    if (f.bpp != 32 && f.bpp != 8) return b;
    for (int32_t y = 0; y < f.height; ++y) {
        const uint8_t* row = f.row(y);
        auto isSet = [&](int32_t x) {
            if (f.bpp == 8) return row[x] != 0;
            uint32_t v;
            std::memcpy(&v, row + static_cast<ptrdiff_t>(x) * 4, 4);
            return v != 0;
        };
        int32_t first = 0;
        while (first < f.width && !isSet(first)) ++first;
        if (first == f.width) continue;
        int32_t last = f.width - 1;
        while (!isSet(last)) --last;
        b.minX = std::min(b.minX, first);
        b.maxX = std::max(b.maxX, last);
        b.minY = std::min(b.minY, y);
        b.maxY = y;
    }
    return b;
}

void cmdClip(Engine& e, ScriptThread& t) {
    int32_t number, which;
    if (!popInts(e, t, {&number, &which})) return;
    runtime::Variable* out = nullptr;
    if (which == 4) {
        out = runtime::ngetbody(e, t);
        if (!out) return;
    }
    Frame* f = checkFrame(e, t, number, "clip");
    if (!f) return;
    Bounds b = setPixelBounds(*f);
    if (which == 4) {
        runtime::freeVariableCells(e.pool, *out);
        runtime::dimension(e.pool, *out, 4, 0);
        const int32_t values[4] = {b.minX, b.minY, b.maxX, b.maxY};
        for (size_t i = 0; i < 4 && i < out->elements.size(); ++i)
            out->elements[i] = e.pool.newInteger(values[i]);
        return;
    }
    int32_t v = -1;
    switch (which) {
        case 0: v = b.minX; break;
        case 1: v = b.minY; break;
        case 2: v = b.maxX; break;
        case 3: v = b.maxY; break;
        default: break;
    }
    runtime::pushInteger(e, t, v);
}

constexpr builtins::CommandEntry kFrameCommands[] = {
    {0x200, "frame", cmdFrame},       {0x20A, "killframe", cmdKillframe},
    {0x20B, "framenop", cmdFrameNop}, {0x20C, "framesize", cmdFramesize},
    {0x223, "clip", cmdClip},
};

}  // namespace

void registerFrameCommands(builtins::CommandTable& table) { table.add(kFrameCommands); }

}  // namespace rs::graphics
