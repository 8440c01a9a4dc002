// Frames: off-screen pixel buffers addressed by number, and the pixel primitives every drawing
// operation shares.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace rs {
class Engine;
}
namespace rs::runtime {
struct ScriptThread;
}

namespace rs::graphics {

constexpr int32_t kFrameCount = 8192;

// A back-end's device copy of a frame (a texture or surface); released with the frame.
class DeviceSurface {
  public:
    virtual ~DeviceSurface() = default;
};

// Rows are stored bottom-up and packed: pixel (x, y) lies at byte
// ((height - 1 - y) * width + x) * bpp / 8 from `pixels`. 32-bit pixels are 0xAARRGGBB.
struct Frame {
    uint8_t* pixels = nullptr;  // 16-byte aligned inside `block`
    std::unique_ptr<uint8_t[]> block;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bpp = 32;
    std::unique_ptr<DeviceSurface> surface;
    int32_t dirty = 1;
    int32_t placement = 0;
    int32_t synced = 0;
    std::array<uint32_t, 256> palette{};
    uint32_t redMask = 0x00FF0000;
    uint32_t greenMask = 0x0000FF00;
    uint32_t blueMask = 0x000000FF;
    int32_t alphaValid = 0;
    std::atomic<int32_t> busy{0};
    int32_t textureWidth = 0;
    int32_t textureHeight = 0;
    int32_t slot = -1;  // the frame-table slot holding it, -1 for frames outside the table

    int32_t bytesPerPixel() const { return bpp / 8; }
    // Bytes from one row to the next in memory (rows are packed). createFrame keeps it in range.
    int32_t rowBytes() const { return static_cast<int32_t>(int64_t{width} * bpp / 8); }
    bool contains(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    // The first byte of row y (y = 0 is the top row).
    uint8_t* row(int32_t y) const {
        return pixels + static_cast<ptrdiff_t>(height - 1 - y) * rowBytes();
    }
};

// The largest pixel allocation a frame may have; larger frames are refused.
constexpr uint64_t kMaxFrameBytes = uint64_t{1} << 31;

// createFrame: a frame of the given size and depth (0 means 32). Mode 3 leaves the pixels
// uninitialised, other modes zero them; alphaValid is set for 32-bit frames with mode >= 2.
// Depths other than 8 and 32 are stored, but drawing skips them. Null when the size or depth
// cannot be held in memory (negative sizes, depths outside 1..64, more than kMaxFrameBytes).
std::unique_ptr<Frame> createFrame(int32_t width, int32_t height, int32_t bpp, int32_t mode);

// destroyFrame: releases the device surface and the pixels.
void destroyFrame(std::unique_ptr<Frame> frame);

// pixelAddress: null outside the frame.
inline uint8_t* pixelAddress(const Frame& f, int32_t x, int32_t y) {
    if (!f.contains(x, y)) return nullptr;
    return f.row(y) + static_cast<ptrdiff_t>(x) * f.bytesPerPixel();
}

// getColour: the 32-bit colour at (x, y); an 8-bit frame gives its palette entry; 0 outside the
// frame or for other depths.
uint32_t getColour(const Frame& f, int32_t x, int32_t y);

// putPixel: 32-bit frames store the value, 8-bit frames its low byte, other depths nothing.
void putPixel(Frame& f, int32_t x, int32_t y, uint32_t colour);

// blendPixel: colour alpha A = colour >> 24. 8-bit frames store the low byte. On 32-bit frames
// A = 0 stores the colour as it is; otherwise each of B, G, R becomes
// (d * (255 - A) + s * A) / 255 and the destination alpha stays.
void blendPixel(Frame& f, int32_t x, int32_t y, uint32_t colour);
// blendPixelOpaque: as blendPixel, but A = 0 leaves the pixel unchanged.
void blendPixelOpaque(Frame& f, int32_t x, int32_t y, uint32_t colour);

// framesize(-3, which) while no sprite layer is attached: no sprites of any kind, -1 for other
// values of which.
inline int32_t statisticWithoutSprites(int32_t which) { return which >= 0 && which <= 2 ? 0 : -1; }

// The sprite layer as the frames see it: told of every change to a frame (it maps the point
// through the sprites showing the frame), and asked for its statistics.
class FrameChangeListener {
  public:
    virtual ~FrameChangeListener() = default;
    virtual void frameChanged(const Frame& frame, int32_t x, int32_t y) = 0;
    // framesize(-3, which): 0 sprite slots, 1 sprites in use, 2 sprites with a frame; else -1.
    virtual int32_t spriteStatistic(int32_t which) const { return statisticWithoutSprites(which); }
};

// Settings of the display back-end that decide whether frames get device surfaces kept for them.
// No back-end of this build keeps surfaces, so both stay false and every frame has placement 0.
struct SurfacePolicy {
    bool framesGetDeviceSurfaces = false;
    bool surfacesKeptForDeepFrames = false;
};

class AsyncLoads;

// Text buffers of the statistics hold at most this many bytes (and a NUL).
constexpr size_t kStatisticTextSize = 1024;

// The frame table and its statistics.
struct FrameTable {
    FrameTable();
    ~FrameTable();
    FrameTable(const FrameTable&) = delete;
    FrameTable& operator=(const FrameTable&) = delete;

    std::array<std::unique_ptr<Frame>, kFrameCount> slots;
    int32_t lastWidth = 0;
    int32_t lastHeight = 0;
    std::string lastLabel;  // at most 1023 bytes
    std::string lastImage;  // at most 1023 bytes
    FrameChangeListener* listener = nullptr;
    SurfacePolicy surfaces;
    // The depth of the display surface, which new frames of bmpload take unless mode 2 keeps the
    // image's own. The screen buffer is always 32 bits deep.
    int32_t screenDepth = 32;
    // Loader threads of bmpload2 and the changes they finished.
    std::unique_ptr<AsyncLoads> loads;

    Frame* at(int32_t number) const {
        if (number < 0 || number >= kFrameCount) return nullptr;
        return slots[static_cast<size_t>(number)].get();
    }
    // The lowest free slot, or -1.
    int32_t firstFree() const;
    int32_t usedCount() const;
    // Stores a frame in a slot (which must be free).
    Frame* place(int32_t number, std::unique_ptr<Frame> frame);
    // Destroys the frame in a slot and frees the slot. The frame must not be busy.
    void destroy(int32_t number);
};

// The placement of a new frame: 2 when the back-end keeps a device surface for it, else 0.
int32_t framePlacement(const SurfacePolicy& policy, int32_t mode, int32_t bpp);

// releaseAllSurfaces: drops every frame's device surface and marks the frame dirty (the back-end
// lost its device).
void releaseAllSurfaces(FrameTable& table);

// Reports the changes of finished background loads (on the main thread; message pumping and
// every wait on a busy frame do it).
void reportFinishedLoads(FrameTable& table);

// Shutdown: waits for each busy frame (keeping the window alive), destroys every frame and joins
// the loader threads.
void destroyAllFrames(Engine& e);

// frameChanged: marks the frame dirty and unsynced and tells the listener about the point.
void frameChanged(FrameTable& table, Frame& frame, int32_t x, int32_t y);

// Waits while loads are still writing into the frame, keeping the window alive; then reports what
// finished loads changed.
void waitWhileBusy(Engine& e, const Frame& frame);

// The frame-number check of every frame command: a number outside 0..8191 is the fatal error
// "無効なフレームです", a free slot "破棄されたフレームです", both at `place`. On success waits
// while the frame is busy and returns it; null after an error.
Frame* checkFrame(Engine& e, runtime::ScriptThread& t, int32_t number, const char* place);

}  // namespace rs::graphics
