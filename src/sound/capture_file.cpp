#include "sound/capture_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

namespace rs::sound {

namespace {

static_assert(std::endian::native == std::endian::little, "samples are written as they are held");

constexpr int64_t kMaxFrames = (int64_t{0xFFFFFFFF} - 36) / 4;

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The 44-byte header of a PCM WAVE file with `dataBytes` bytes of samples.
std::vector<uint8_t> header(uint32_t dataBytes) {
    std::vector<uint8_t> h(44);
    std::memcpy(h.data(), "RIFF", 4);
    put32(h.data() + 4, 36 + dataBytes);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    put32(h.data() + 16, 16);
    put32(h.data() + 20, 1 | 2 << 16);  // PCM, two channels
    put32(h.data() + 24, 44100);
    put32(h.data() + 28, 44100 * 4);
    put32(h.data() + 32, 4 | 16 << 16);  // four bytes a frame, 16 bits a sample
    std::memcpy(h.data() + 36, "data", 4);
    put32(h.data() + 40, dataBytes);
    return h;
}

}  // namespace

CaptureFile::~CaptureFile() {
    std::string ignored;
    close(ignored);
}

bool CaptureFile::open(const std::string& path, std::string& error) {
    std::string ignored;
    close(ignored);
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        error = "cannot write the audio capture '" + path + "': " + std::strerror(errno);
        return false;
    }
    path_ = path;
    frames_ = 0;
    failed_ = false;
    std::vector<uint8_t> h = header(0);
    if (std::fwrite(h.data(), 1, h.size(), file_) != h.size()) failed_ = true;
    return true;
}

void CaptureFile::write(const int16_t* frames, int64_t count) {
    if (!file_) return;
    count = std::min(count, kMaxFrames - frames_);
    if (count <= 0) return;
    if (std::fwrite(frames, 4, static_cast<size_t>(count), file_) != static_cast<size_t>(count))
        failed_ = true;
    frames_ += count;
}

void CaptureFile::writeSilence(int64_t count) {
    static const int16_t zeros[2048] = {};
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, 1024);
        write(zeros, n);
        count -= n;
    }
}

bool CaptureFile::close(std::string& error) {
    if (!file_) return true;
    std::vector<uint8_t> h = header(static_cast<uint32_t>(frames_ * 4));
    if (std::fseek(file_, 0, SEEK_SET) != 0 ||
        std::fwrite(h.data(), 1, h.size(), file_) != h.size())
        failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    if (failed_) error = "the audio capture '" + path_ + "' could not be written completely";
    return !failed_;
}

}  // namespace rs::sound
