// The whole-file buffer behind a script file handle: a read handle holds the whole file in it, a
// write handle collects its bytes in it until the file is closed.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace rs::data {

struct FileBuffer {
    int32_t capacity = 0;             // bytes allocated for `data`
    std::unique_ptr<uint8_t[]> data;  // the bytes (owned)
    int32_t size = 0;                 // bytes in use
    int32_t position = 0;             // the read/write cursor

    std::span<const uint8_t> bytes() const {
        return {data.get(), static_cast<size_t>(size > 0 ? size : 0)};
    }
    // Bytes from the cursor to the end.
    int32_t remaining() const { return position >= 0 && position < size ? size - position : 0; }
};

// clearBuffer: every field back to empty (the data is released).
void clearBuffer(FileBuffer& b);
// freeBufferData: releases the data; the counters are left as they are.
void freeBufferData(FileBuffer& b);

// resizeBuffer: a size of 0 or less empties the buffer. An empty buffer gets exactly the size
// asked for; otherwise the capacity becomes the size rounded up to a multiple of 4096 and the
// block is reallocated when that changes, keeping as much of the old contents as fits. Bytes past
// the old contents read as zero. False (and nothing changed) when the memory cannot be had.
bool resizeBuffer(FileBuffer& b, int32_t newSize);

// Writes `bytes` at the cursor, growing the buffer as needed, and moves the cursor past them.
// False when the buffer cannot grow (a size beyond 2 GiB or no memory); nothing is written then.
bool writeAtPosition(FileBuffer& b, std::span<const uint8_t> bytes);

// Takes up to `n` bytes from the cursor (fewer at the end) and moves the cursor past them.
std::span<const uint8_t> readAtPosition(FileBuffer& b, int32_t n);

}  // namespace rs::data
