#include "sound/midi_player.h"

#include <algorithm>

namespace rs::sound {

namespace {

constexpr int64_t kLoopStartUs = kMidiLoopStartMs * 1000;

}  // namespace

MidiPlayer::MidiPlayer(std::shared_ptr<platform::MidiSynth> synth,
                       std::shared_ptr<const MidiSequence> piece, bool loop)
    : synth_(std::move(synth)),
      piece_(std::move(piece)),
      loop_(loop),
      endFrame_(frameOfMicroseconds(piece_->endUs)) {}

void MidiPlayer::send(const MidiEvent& e) {
    if (e.status == 0xF0) {
        synth_->systemExclusive(piece_->sysex.data() + e.sysexOffset, e.sysexSize);
    } else {
        synth_->channelMessage(e.status, e.data1, e.data2);
    }
}

void MidiPlayer::restart() {
    synth_->allNotesOff();
    const std::vector<MidiEvent>& events = piece_->events;
    size_t i = 0;
    for (; i < events.size() && events[i].timeUs < kLoopStartUs; ++i) {
        if (!events[i].isNote()) send(events[i]);
    }
    next_ = i;
    position_ = frameOfMicroseconds(kLoopStartUs);
    ++loops_;
}

int32_t MidiPlayer::read(int16_t* out, int32_t frames) {
    const std::vector<MidiEvent>& events = piece_->events;
    int32_t done = 0;
    while (done < frames) {
        while (next_ < events.size() && frameOfMicroseconds(events[next_].timeUs) <= position_)
            send(events[next_++]);
        if (position_ >= endFrame_) {
            // A loop that would hold no time at all (a piece of 16 ms or less) ends instead.
            if (!loop_ || endFrame_ <= frameOfMicroseconds(kLoopStartUs)) break;
            restart();
            continue;
        }
        int64_t until = endFrame_;
        if (next_ < events.size())
            until = std::min(until, frameOfMicroseconds(events[next_].timeUs));
        int32_t n = static_cast<int32_t>(std::min<int64_t>(frames - done, until - position_));
        synth_->render(out + static_cast<size_t>(done) * 2, n);
        done += n;
        position_ += n;
    }
    return done;
}

}  // namespace rs::sound
