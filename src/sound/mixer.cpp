#include "sound/mixer.h"

#include <algorithm>
#include <cmath>

namespace rs::sound {

namespace {

// The mix is made in pieces of this many frames.
constexpr int32_t kPieceFrames = 1024;

// A gain scaled by another (both fixed point).
int32_t scaled(int32_t gain, int32_t by) {
    return static_cast<int32_t>((static_cast<int64_t>(gain) * by) >> 16);
}

// Adds one side of a voice into the sum: as it is at unity gain, else scaled (rounding down).
void accumulate(int32_t* sum, const int16_t* in, int32_t frames, int32_t gain) {
    if (gain == kUnityGain) {
        for (int32_t i = 0; i < frames; ++i) sum[2 * i] += in[2 * i];
    } else if (gain != 0) {
        for (int32_t i = 0; i < frames; ++i) sum[2 * i] += (in[2 * i] * gain) >> 16;
    }
}

}  // namespace

int32_t attenuationGain(int32_t hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= -10000) return 0;
    if (hundredthsOfDecibel >= 0) return kUnityGain;
    return static_cast<int32_t>(
        std::lround(std::pow(10.0, hundredthsOfDecibel / 2000.0) * kUnityGain));
}

VoiceLevels levelsFor(int32_t volume, int32_t pan) {
    int32_t gain = attenuationGain(volume);
    VoiceLevels levels{gain, gain};
    if (pan < 0) levels.right = scaled(gain, attenuationGain(pan));
    if (pan > 0) levels.left = scaled(gain, attenuationGain(-pan));
    return levels;
}

void BufferLevels::set(int32_t newPan, int32_t newVolume) {
    if (newPan >= -10000 && newPan <= 10000) pan = newPan;
    if (newVolume >= -10000 && newVolume <= 0) volume = newVolume;
}

Mixer::Mixer() { lines_.fill(kUnityGain); }

Mixer::VoiceId Mixer::add(std::shared_ptr<MixerSource> source, MixerLine line, VoiceLevels levels) {
    std::lock_guard<std::mutex> lock(mutex_);
    VoiceId id = nextId_++;
    voices_.push_back({id, std::move(source), line, levels});
    return id;
}

void Mixer::remove(VoiceId id) {
    std::shared_ptr<MixerSource> keep;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = std::find_if(voices_.begin(), voices_.end(),
                               [id](const Voice& v) { return v.id == id; });
        if (it == voices_.end()) return;
        keep = std::move(it->source);
        voices_.erase(it);
    }
    // The source goes (if this was its last owner) outside the lock.
}

void Mixer::setLevels(VoiceId id, VoiceLevels levels) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Voice& v : voices_) {
        if (v.id == id) v.levels = levels;
    }
}

bool Mixer::playing(VoiceId id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(voices_.begin(), voices_.end(), [id](const Voice& v) { return v.id == id; });
}

int32_t Mixer::voiceCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int32_t>(voices_.size());
}

void Mixer::setLineGain(MixerLine line, int32_t gain) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_[static_cast<size_t>(line)] = std::max(0, gain);
}

int32_t Mixer::lineGain(MixerLine line) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_[static_cast<size_t>(line)];
}

void Mixer::render(int16_t* out, int32_t frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    sum_.resize(static_cast<size_t>(kPieceFrames) * 2);
    scratch_.resize(static_cast<size_t>(kPieceFrames) * 2);
    const int32_t master = lines_[static_cast<size_t>(MixerLine::Master)];
    for (int32_t done = 0; done < frames;) {
        int32_t n = std::min(kPieceFrames, frames - done);
        int16_t* piece = out + static_cast<size_t>(done) * 2;
        if (voices_.empty()) {
            std::fill(piece, piece + static_cast<size_t>(n) * 2, int16_t{0});
            done += n;
            continue;
        }
        std::fill(sum_.begin(), sum_.begin() + static_cast<ptrdiff_t>(n) * 2, 0);
        for (Voice& v : voices_) {
            int32_t got = v.source ? v.source->read(scratch_.data(), n) : 0;
            got = std::clamp(got, 0, n);
            int32_t line = scaled(lines_[static_cast<size_t>(v.line)], master);
            accumulate(sum_.data(), scratch_.data(), got, scaled(v.levels.left, line));
            accumulate(sum_.data() + 1, scratch_.data() + 1, got, scaled(v.levels.right, line));
            if (got < n) v.source.reset();  // ended: dropped below
        }
        std::erase_if(voices_, [](const Voice& v) { return !v.source; });
        for (int32_t i = 0; i < n * 2; ++i)
            piece[i] =
                static_cast<int16_t>(std::clamp(sum_[static_cast<size_t>(i)], -32768, 32767));
        done += n;
    }
}

}  // namespace rs::sound
