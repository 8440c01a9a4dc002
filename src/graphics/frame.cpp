#include "graphics/frame.h"

#include <climits>
#include <cstring>
#include <new>
#include <thread>

#include "graphics/async_loads.h"
#include "runtime/errors.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::graphics {

std::unique_ptr<Frame> createFrame(int32_t width, int32_t height, int32_t bpp, int32_t mode) {
    if (bpp == 0) bpp = 32;
    if (width < 0 || height < 0 || bpp < 1 || bpp > 64) return nullptr;
    uint64_t rowBytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(bpp) / 8;
    if (rowBytes > INT32_MAX) return nullptr;
    // Rows are rounded up to 4 bytes for the allocation only; 32 spare bytes and 16 for alignment.
    uint64_t rowAlloc = (rowBytes + 3) & ~uint64_t{3};
    uint64_t total = rowAlloc * static_cast<uint64_t>(height) + 32 + 16;
    if (total > kMaxFrameBytes) return nullptr;

    auto f = std::make_unique<Frame>();
    uint8_t* raw =
        mode == 3 ? new (std::nothrow) uint8_t[total] : new (std::nothrow) uint8_t[total]();
    if (!raw) return nullptr;
    f->block.reset(raw);
    auto addr = reinterpret_cast<uintptr_t>(raw);
    f->pixels = raw + ((16 - (addr & 15)) & 15);
    f->width = width;
    f->height = height;
    f->bpp = bpp;
    f->alphaValid = (mode >= 2 && bpp == 32) ? 1 : 0;
    f->dirty = 1;
    return f;
}

void destroyFrame(std::unique_ptr<Frame> frame) {
    if (!frame) return;
    frame->surface.reset();
    frame->block.reset();
    frame->pixels = nullptr;
}

uint32_t getColour(const Frame& f, int32_t x, int32_t y) {
    const uint8_t* p = pixelAddress(f, x, y);
    if (!p) return 0;
    if (f.bpp == 32) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    if (f.bpp == 8) return f.palette[*p];
    return 0;
}

void putPixel(Frame& f, int32_t x, int32_t y, uint32_t colour) {
    uint8_t* p = pixelAddress(f, x, y);
    if (!p) return;
    if (f.bpp == 32) {
        std::memcpy(p, &colour, 4);
    } else if (f.bpp == 8) {
        *p = static_cast<uint8_t>(colour);
    }
}

namespace {

void blendInto(uint8_t* p, uint32_t colour, uint32_t a) {
    for (int c = 0; c < 3; ++c) {
        uint32_t s = (colour >> (8 * c)) & 0xFF;
        uint32_t d = p[c];
        p[c] = static_cast<uint8_t>((d * (255 - a) + s * a) / 255);
    }
}

}  // namespace

namespace {

// The blend of both pixel primitives; they differ only in what a colour with alpha 0 does.
void blendWith(Frame& f, int32_t x, int32_t y, uint32_t colour, bool storeTransparent) {
    uint8_t* p = pixelAddress(f, x, y);
    if (!p) return;
    if (f.bpp == 8) {
        *p = static_cast<uint8_t>(colour);
        return;
    }
    if (f.bpp != 32) return;
    uint32_t a = colour >> 24;
    if (a != 0) {
        blendInto(p, colour, a);
    } else if (storeTransparent) {
        std::memcpy(p, &colour, 4);
    }
}

}  // namespace

void blendPixel(Frame& f, int32_t x, int32_t y, uint32_t colour) {
    blendWith(f, x, y, colour, true);
}

void blendPixelOpaque(Frame& f, int32_t x, int32_t y, uint32_t colour) {
    blendWith(f, x, y, colour, false);
}

FrameTable::FrameTable() : loads(std::make_unique<AsyncLoads>()) {}

FrameTable::~FrameTable() {
    // No worker may outlive the frames it writes.
    loads->joinAll();
}

int32_t FrameTable::firstFree() const {
    for (int32_t i = 0; i < kFrameCount; ++i) {
        if (!slots[static_cast<size_t>(i)]) return i;
    }
    return -1;
}

int32_t FrameTable::usedCount() const {
    int32_t n = 0;
    for (const auto& s : slots) n += s ? 1 : 0;
    return n;
}

Frame* FrameTable::place(int32_t number, std::unique_ptr<Frame> frame) {
    frame->slot = number;
    auto& cell = slots[static_cast<size_t>(number)];
    cell = std::move(frame);
    return cell.get();
}

void FrameTable::destroy(int32_t number) {
    if (number < 0 || number >= kFrameCount) return;
    auto& cell = slots[static_cast<size_t>(number)];
    if (!cell) return;
    loads->forget(cell.get());
    destroyFrame(std::move(cell));
    cell.reset();
}

int32_t framePlacement(const SurfacePolicy& policy, int32_t mode, int32_t bpp) {
    bool keptSurface = policy.framesGetDeviceSurfaces && policy.surfacesKeptForDeepFrames;
    return keptSurface && (mode < 2 || bpp >= 24) ? 2 : 0;
}

void releaseAllSurfaces(FrameTable& table) {
    for (auto& f : table.slots) {
        if (f && f->surface) {
            f->surface.reset();
            f->dirty = 1;
        }
    }
}

void reportFinishedLoads(FrameTable& table) {
    for (const AsyncLoads::Report& r : table.loads->takeReports()) {
        if (r.touched) r.frame->dirty = 1;
        if (r.area) {
            frameChanged(table, *r.frame, r.area->left, r.area->top);
            frameChanged(table, *r.frame, r.area->right, r.area->bottom);
        }
    }
    table.loads->joinFinished();
}

void destroyAllFrames(Engine& e) {
    FrameTable& table = *e.frames;
    for (int32_t i = 0; i < kFrameCount; ++i) {
        if (Frame* f = table.at(i)) {
            waitWhileBusy(e, *f);
            table.destroy(i);
        }
    }
    table.loads->joinAll();
}

void frameChanged(FrameTable& table, Frame& frame, int32_t x, int32_t y) {
    frame.dirty = 1;
    frame.synced = 0;
    if (table.listener) table.listener->frameChanged(frame, x, y);
}

void waitWhileBusy(Engine& e, const Frame& frame) {
    while (frame.busy.load(std::memory_order_acquire) != 0) {
        e.pumpMessages();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    reportFinishedLoads(*e.frames);
}

Frame* checkFrame(Engine& e, runtime::ScriptThread& t, int32_t number, const char* place) {
    if (number < 0 || number >= kFrameCount) {
        runtime::scriptError(e, t, "無効なフレームです", place);
        return nullptr;
    }
    Frame* f = e.frames->at(number);
    if (!f) {
        runtime::scriptError(e, t, "破棄されたフレームです", place);
        return nullptr;
    }
    waitWhileBusy(e, *f);
    return f;
}

}  // namespace rs::graphics
