// printf-style formatting into the engine's 2048-byte message buffers.
#pragma once

#include <string>

namespace rs::runtime {

constexpr size_t kMessageBufferSize = 2048;

// Formats like snprintf into a 2048-byte buffer: the result holds at most 2047 bytes.
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace rs::runtime
