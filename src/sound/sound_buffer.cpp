#include "sound/sound_buffer.h"

#include <algorithm>
#include <cstring>

namespace rs::sound {

bool PcmFormat::playable() const {
    // The rates a DirectSound buffer accepts.
    return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate >= 100 &&
           rate <= 200000;
}

SoundBuffer::SoundBuffer(PcmFormat format, int32_t bytes, bool looping)
    : format_(format),
      bytes_(static_cast<size_t>(std::max(0, bytes - bytes % format.blockAlign())),
             format.silence()),
      looping_(looping),
      frameCount_(static_cast<int64_t>(bytes_.size()) / format.blockAlign()),
      step_((static_cast<uint64_t>(format.rate) << 32) / kOutputRate) {}

void SoundBuffer::write(int32_t offset, const uint8_t* data, int32_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (offset < 0 || count <= 0 || offset >= size()) return;
    count = std::min(count, size() - offset);
    std::memcpy(bytes_.data() + offset, data, static_cast<size_t>(count));
}

int32_t SoundBuffer::playCursor() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int32_t>(static_cast<int64_t>(position_ >> 32) * format_.blockAlign());
}

// One sample as a signed 16-bit value; a mono buffer gives its one channel for both sides.
int32_t SoundBuffer::sampleAt(int64_t frame, int32_t channel) const {
    if (format_.channels == 1) channel = 0;
    size_t at = static_cast<size_t>(frame) * static_cast<size_t>(format_.blockAlign());
    if (format_.bits == 8)
        return (static_cast<int32_t>(bytes_[at + static_cast<size_t>(channel)]) - 128) << 8;
    at += static_cast<size_t>(channel) * 2;
    return static_cast<int16_t>(bytes_[at] | bytes_[at + 1] << 8);
}

// Each output frame takes the buffer at the play position: the frame under it, moved towards the
// next frame by the fraction (linear interpolation). At a rate of 44100 the fraction stays 0 and
// the samples pass unchanged. A buffer played once holds its last frame as the next one.
int32_t SoundBuffer::read(int16_t* out, int32_t frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ended_ || frameCount_ == 0) return 0;
    const uint64_t wrap = static_cast<uint64_t>(frameCount_) << 32;
    if (step_ == (uint64_t{1} << 32) && format_.channels == 2 && format_.bits == 16 &&
        (position_ & 0xFFFFFFFFu) == 0) {
        // The output format itself: whole runs are copied (the same samples as below).
        int32_t done = 0;
        while (done < frames) {
            int64_t frame = static_cast<int64_t>(position_ >> 32);
            int32_t run =
                static_cast<int32_t>(std::min<int64_t>(frames - done, frameCount_ - frame));
            std::memcpy(out + static_cast<size_t>(done) * 2, bytes_.data() + frame * 4,
                        static_cast<size_t>(run) * 4);
            done += run;
            position_ += static_cast<uint64_t>(run) << 32;
            if (position_ >= wrap) {
                if (!looping_) {
                    ended_ = true;
                    return done;
                }
                position_ -= wrap;
            }
        }
        return frames;
    }
    for (int32_t i = 0; i < frames; ++i) {
        int64_t frame = static_cast<int64_t>(position_ >> 32);
        int32_t fraction = static_cast<int32_t>((position_ >> 16) & 0xFFFF);
        int64_t next = frame + 1;
        if (next == frameCount_) next = looping_ ? 0 : frame;
        for (int32_t c = 0; c < 2; ++c) {
            int32_t s = sampleAt(frame, c);
            // In 64 bits: a step across the whole range times a fraction overflows 32.
            if (fraction != 0)
                s += static_cast<int32_t>((int64_t{sampleAt(next, c)} - s) * fraction >> 16);
            out[2 * i + c] = static_cast<int16_t>(s);
        }
        position_ += step_;
        if (position_ >= wrap) {
            if (!looping_) {
                ended_ = true;
                return i + 1;
            }
            position_ -= wrap;
        }
    }
    return frames;
}

}  // namespace rs::sound
