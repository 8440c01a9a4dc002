// Drawing commands: pset, point, line, full, fulla, pointblock and psetblock.
#include <algorithm>
#include <cstring>
#include <string>

#include "builtins/dispatcher.h"
#include "graphics/draw.h"
#include "graphics/frame.h"
#include "graphics/frame_commands.h"
#include "runtime/errors.h"
#include "shell/engine.h"

namespace rs::graphics {

namespace {

using runtime::ScriptThread;
using runtime::Value;

// The largest pixel block pointblock returns, in bytes.
constexpr int64_t kMaxBlockBytes = int64_t{1} << 28;

// pset's drawing and its change report (only for a point inside the frame).
void setPoint(Engine& e, Frame& f, int32_t x, int32_t y, uint32_t colour) {
    blendPixel(f, x, y, colour);
    if (f.contains(x, y)) frameChanged(*e.frames, f, x, y);
}

// The change report of a filled rectangle: its top-left and the corner past its bottom-right.
void reportRect(Engine& e, Frame& f, const std::optional<ClippedRect>& r) {
    if (!r) return;
    frameChanged(*e.frames, f, r->x, r->y);
    frameChanged(*e.frames, f, r->x + r->w, r->y + r->h);
}

void cmdPset(Engine& e, ScriptThread& t) {
    int32_t frame, x, y, colour;
    if (!popInts(e, t, {&frame, &x, &y, &colour})) return;
    Frame* f = checkFrame(e, t, frame, "pset");
    if (!f) return;
    setPoint(e, *f, x, y, static_cast<uint32_t>(colour));
}

void cmdPoint(Engine& e, ScriptThread& t) {
    int32_t frame, x, y;
    if (!popInts(e, t, {&frame, &x, &y})) return;
    Frame* f = checkFrame(e, t, frame, "point");
    if (!f) return;
    runtime::pushInteger(e, t, pointValue(*f, x, y));
}

void cmdLine(Engine& e, ScriptThread& t) {
    int32_t frame, x1, y1, x2, y2, colour;
    if (!popInts(e, t, {&frame, &x1, &y1, &x2, &y2, &colour})) return;
    Frame* f = checkFrame(e, t, frame, "line");
    if (!f) return;
    drawLine(*f, x1, y1, x2, y2, static_cast<uint32_t>(colour));
    // The rectangle spanned by the two ends, cut to the frame.
    int32_t left = std::max(std::min(x1, x2), 0);
    int32_t top = std::max(std::min(y1, y2), 0);
    int32_t right = std::min(std::max(x1, x2), f->width - 1);
    int32_t bottom = std::min(std::max(y1, y2), f->height - 1);
    if (left > right || top > bottom) return;
    frameChanged(*e.frames, *f, left, top);
    frameChanged(*e.frames, *f, right, bottom);
}

void fill(Engine& e, ScriptThread& t, bool withAlpha, const char* place) {
    int32_t frame, x, y, w, h, colour;
    if (!popInts(e, t, {&frame, &x, &y, &w, &h, &colour})) return;
    Frame* f = checkFrame(e, t, frame, place);
    if (!f) return;
    auto c = static_cast<uint32_t>(colour);
    reportRect(e, *f, withAlpha ? fillRectAlpha(*f, x, y, w, h, c) : fillRect(*f, x, y, w, h, c));
}

void cmdFull(Engine& e, ScriptThread& t) { fill(e, t, false, "full"); }
void cmdFulla(Engine& e, ScriptThread& t) { fill(e, t, true, "fulla"); }

void cmdPointblock(Engine& e, ScriptThread& t) {
    int32_t frame, x, y, srcW, srcH, cols, rows;
    if (!popInts(e, t, {&frame, &x, &y, &srcW, &srcH, &cols, &rows})) return;
    Frame* f = checkFrame(e, t, frame, "pointblock");
    if (!f) return;
    std::string bytes;
    int64_t size = int64_t{cols} * rows * 4;
    // No pixels (or more than a string can sensibly hold) give the empty string.
    if (cols > 0 && rows > 0 && size <= kMaxBlockBytes) {
        bytes.resize(static_cast<size_t>(size));
        char* out = bytes.data();
        for (int64_t r = 0; r < rows; ++r) {
            int64_t py = y + r * srcH / rows;
            for (int64_t c = 0; c < cols; ++c) {
                int64_t px = x + c * srcW / cols;
                int32_t point =
                    px < 0 || py < 0 || px >= f->width || py >= f->height
                        ? -1
                        : pointValue(*f, static_cast<int32_t>(px), static_cast<int32_t>(py));
                uint32_t v = static_cast<uint32_t>(point) | 0xFF000000u;
                std::memcpy(out, &v, 4);
                out += 4;
            }
        }
    }
    runtime::pushValue(e, t,
                       e.pool.newStringWithLength(bytes, static_cast<int32_t>(bytes.size()) + 1));
}

void cmdPsetblock(Engine& e, ScriptThread& t) {
    int32_t frame, x, y, w, h, srcW, srcH;
    if (!popInts(e, t, {&srcW, &srcH, &frame, &x, &y, &w, &h})) return;
    Value* data = runtime::ngetvar(e, t);
    if (!data) return;
    Frame* f = checkFrame(e, t, frame, "psetblock");
    if (f && data->type == runtime::kString && data->u.s && w > 0 && h > 0) {
        const int64_t length = data->u.s->length;
        if (length >= int64_t{srcW} * srcH * 4) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(data->u.s->data.get());
            // Only the part of the block that lands in the frame can change anything.
            int64_t r0 = std::max<int64_t>(0, -int64_t{y});
            int64_t r1 = std::min<int64_t>(h, int64_t{f->height} - y);
            int64_t c0 = std::max<int64_t>(0, -int64_t{x});
            int64_t c1 = std::min<int64_t>(w, int64_t{f->width} - x);
            for (int64_t r = r0; r < r1; ++r) {
                int64_t rowBase = (r * srcH / h) * srcW;
                for (int64_t c = c0; c < c1; ++c) {
                    int64_t index = rowBase + c * srcW / w;
                    if (index < 0 || index * 4 + 4 > length) continue;
                    uint32_t v;
                    std::memcpy(&v, bytes + index * 4, 4);
                    setPoint(e, *f, static_cast<int32_t>(x + c), static_cast<int32_t>(y + r), v);
                }
            }
        }
    }
    e.pool.free(data);
}

constexpr builtins::CommandEntry kDrawCommands[] = {
    {0x202, "pset", cmdPset},           {0x203, "line", cmdLine},
    {0x204, "full", cmdFull},           {0x211, "fulla", cmdFulla},
    {0x214, "point", cmdPoint},         {0x224, "pointblock", cmdPointblock},
    {0x225, "psetblock", cmdPsetblock},
};

}  // namespace

void registerDrawCommands(builtins::CommandTable& table) { table.add(kDrawCommands); }

}  // namespace rs::graphics
