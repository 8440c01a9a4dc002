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
    // Bytes from one row to the next in memory (rows are packed).
    int32_t rowBytes() const { return width * bpp / 8; }
    bool contains(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // The first byte of row y (y = 0 is the top row).
    uint8_t* row(int32_t y) const {
        return pixels + static_cast<ptrdiff_t>(height - 1 - y) * rowBytes();
    }
};

// createFrame: a frame of the given size and depth (0 means 32). Mode 3 leaves the pixels
// uninitialised, other modes zero them; alphaValid is set for 32-bit frames with mode >= 2.
// Null when the size or depth cannot be held in memory.
std::unique_ptr<Frame> createFrame(int32_t width, int32_t height, int32_t bpp, int32_t mode);

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

// Told of every change to a frame (the sprite layer maps it to the screen).
class FrameChangeListener {
public:
    virtual ~FrameChangeListener() = default;
    virtual void frameChanged(const Frame& frame, int32_t x, int32_t y) = 0;
};

// The frame table and its statistics.
struct FrameTable {
    std::array<std::unique_ptr<Frame>, kFrameCount> slots;
    int32_t lastWidth = 0;
    int32_t lastHeight = 0;
    std::string lastLabel;  // at most 1023 bytes
    std::string lastImage;  // at most 1023 bytes
    FrameChangeListener* listener = nullptr;

    Frame* at(int32_t number) const {
        if (number < 0 || number >= kFrameCount) return nullptr;
        return slots[static_cast<size_t>(number)].get();
    }
    // The lowest free slot, or -1.
    int32_t firstFree() const;
    int32_t usedCount() const;
    // Stores a frame in a slot (which must be free).
    Frame* place(int32_t number, std::unique_ptr<Frame> frame);
};

// frameChanged: marks the frame dirty and unsynced and tells the listener about the point.
void frameChanged(FrameTable& table, Frame& frame, int32_t x, int32_t y);

// Waits while loads are still writing into the frame, keeping the window alive.
void waitWhileBusy(Engine& e, const Frame& frame);

// The frame-number check of every frame command: a number outside 0..8191 is the fatal error
// "無効なフレームです", a free slot "破棄されたフレームです", both at `place`. On success waits
// while the frame is busy and returns it; null after an error.
Frame* checkFrame(Engine& e, runtime::ScriptThread& t, int32_t number, const char* place);

}  // namespace rs::graphics
