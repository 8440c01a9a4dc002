#include "sound/midi_file.h"

#include <algorithm>
#include <cstring>

namespace rs::sound {

namespace {

// A message as read from its track, timed in ticks.
struct TickEvent {
    uint64_t tick;
    MidiEvent event;
};

struct TempoChange {
    uint64_t tick;
    uint32_t usPerQuarter;
};

// Tick times of a hostile file are held below this, so that no sum overflows.
constexpr uint64_t kMaxTicks = uint64_t{1} << 40;

// The default tempo: 120 quarter notes a minute.
constexpr uint32_t kDefaultUsPerQuarter = 500000;

uint32_t bigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t bigEndian16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

class TrackReader {
  public:
    TrackReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

    bool atEnd() const { return p_ >= end_; }

    // A variable-length quantity of at most 4 bytes; false when the track ends inside it or it
    // runs longer.
    bool quantity(uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (p_ >= end_) return false;
            uint8_t b = *p_++;
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;  // a fifth byte is not allowed: the track is damaged from here
    }

    bool byte(uint8_t& b) {
        if (p_ >= end_) return false;
        b = *p_++;
        return true;
    }

    uint8_t peek() const { return *p_; }

    // `n` bytes starting here, or nothing when the track ends first.
    const uint8_t* take(uint32_t n) {
        if (static_cast<size_t>(end_ - p_) < n) return nullptr;
        const uint8_t* at = p_;
        p_ += n;
        return at;
    }

  private:
    const uint8_t* p_;
    const uint8_t* end_;
};

// The data bytes of a channel message of this status.
int dataBytesOf(uint8_t status) {
    uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// The data bytes of a system common or real-time status found inside a track (not valid there,
// but skipped by their length rather than ending the track).
int systemDataBytesOf(uint8_t status) {
    switch (status) {
        case 0xF1:
        case 0xF3: return 1;
        case 0xF2: return 2;
        default: return 0;
    }
}

struct Reading {
    std::vector<TickEvent> events;
    std::vector<uint8_t> sysex;
    std::vector<TempoChange> tempos;
    uint64_t endTick = 0;
    bool tooMany = false;
};

// Reads one track's messages into `r`; the track's end (its end of track, else its last
// message) raises r.endTick.
void readTrack(const uint8_t* data, size_t size, Reading& r) {
    TrackReader in(data, size);
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!in.atEnd()) {
        uint32_t delta;
        if (!in.quantity(delta)) break;
        tick = std::min(tick + delta, kMaxTicks);
        if (in.atEnd()) break;
        uint8_t status = in.peek();
        if (status & 0x80) {
            in.byte(status);
        } else if (running == 0) {
            break;  // data without a status: the track is damaged from here
        } else {
            status = running;
        }
        if (status == 0xFF) {
            uint8_t type;
            uint32_t length;
            if (!in.byte(type) || !in.quantity(length)) break;
            const uint8_t* body = in.take(length);
            if (!body) break;
            if (type == 0x2F) {
                r.endTick = std::max(r.endTick, tick);
                return;
            }
            if (type == 0x51 && length >= 3) {
                uint32_t us = (uint32_t{body[0]} << 16) | (uint32_t{body[1]} << 8) | body[2];
                if (us > 0) r.tempos.push_back({tick, us});
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            uint32_t length;
            if (!in.quantity(length)) break;
            const uint8_t* body = in.take(length);
            if (!body) break;
            // A complete exclusive message goes to the synthesizer; escaped packets (0xF7) and
            // continuations are left out.
            if (status == 0xF0 && length > 0) {
                uint32_t n = body[length - 1] == 0xF7 ? length - 1 : length;
                MidiEvent e;
                e.status = 0xF0;
                e.sysexOffset = static_cast<uint32_t>(r.sysex.size());
                e.sysexSize = n;
                r.sysex.insert(r.sysex.end(), body, body + n);
                r.events.push_back({tick, e});
            }
        } else if (status >= 0xF1) {
            if (!in.take(static_cast<uint32_t>(systemDataBytesOf(status)))) break;
            continue;
        } else {
            running = status;
            MidiEvent e;
            e.status = status;
            const uint8_t* body = in.take(static_cast<uint32_t>(dataBytesOf(status)));
            if (!body) break;
            e.data1 = body[0] & 0x7F;
            if (dataBytesOf(status) == 2) e.data2 = body[1] & 0x7F;
            r.events.push_back({tick, e});
        }
        if (r.events.size() > kMaxMidiEvents) {
            r.tooMany = true;
            return;
        }
    }
    r.endTick = std::max(r.endTick, tick);
}

// Tick times to microseconds: through the tempo map, or at a fixed rate for SMPTE division.
class TickClock {
  public:
    TickClock(uint16_t division, std::vector<TempoChange> tempos) : tempos_(std::move(tempos)) {
        if (division & 0x8000) {
            int fps = -static_cast<int8_t>(division >> 8);
            // 29 stands for 29.97 frames a second.
            ticksPerSecondX100_ = static_cast<uint64_t>(fps == 29 ? 2997 : fps * 100) *
                                  static_cast<uint64_t>(division & 0xFF);
        } else {
            quarter_ = division;
        }
        std::stable_sort(
            tempos_.begin(), tempos_.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    }

    // Microseconds of `tick`; ticks must be asked for in increasing order.
    int64_t at(uint64_t tick) {
        if (quarter_ == 0) {
            if (ticksPerSecondX100_ == 0) return 0;
            unsigned __int128 us = static_cast<unsigned __int128>(tick) * 100000000u;
            return clampUs(us / ticksPerSecondX100_);
        }
        while (next_ < tempos_.size() && tempos_[next_].tick <= tick) {
            segmentUs_ = segmentUs_ + span(tempos_[next_].tick - segmentTick_);
            segmentTick_ = tempos_[next_].tick;
            usPerQuarter_ = tempos_[next_].usPerQuarter;
            ++next_;
        }
        return std::min<int64_t>(segmentUs_ + span(tick - segmentTick_), kMaxMidiTimeUs + 1);
    }

  private:
    int64_t span(uint64_t ticks) const {
        unsigned __int128 us = static_cast<unsigned __int128>(ticks) * usPerQuarter_ / quarter_;
        return clampUs(us);
    }
    static int64_t clampUs(unsigned __int128 us) {
        return us > static_cast<unsigned __int128>(kMaxMidiTimeUs) ? kMaxMidiTimeUs + 1
                                                                   : static_cast<int64_t>(us);
    }

    std::vector<TempoChange> tempos_;
    uint32_t quarter_ = 0;
    uint64_t ticksPerSecondX100_ = 0;
    size_t next_ = 0;
    uint64_t segmentTick_ = 0;
    int64_t segmentUs_ = 0;
    uint32_t usPerQuarter_ = kDefaultUsPerQuarter;
};

// The standard MIDI file inside a RIFF "RMID" file: its "data" chunk.
bool unwrapRmid(const uint8_t*& data, size_t& size) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "RMID", 4) != 0)
        return false;
    size_t pos = 12;
    while (pos + 8 <= size) {
        uint32_t length = data[pos + 4] | (data[pos + 5] << 8) | (data[pos + 6] << 16) |
                          (uint32_t{data[pos + 7]} << 24);
        size_t bodyAt = pos + 8;
        size_t bodySize = std::min<size_t>(length, size - bodyAt);
        if (std::memcmp(data + pos, "data", 4) == 0) {
            data += bodyAt;
            size = bodySize;
            return true;
        }
        pos = bodyAt + bodySize + (bodySize & 1);
    }
    return false;
}

}  // namespace

MidiFileProblem readMidiFile(const uint8_t* data, size_t size, MidiSequence& out) {
    out = MidiSequence{};
    if (size == 0) return MidiFileProblem::Empty;
    if (size > kMaxMidiFileBytes) return MidiFileProblem::TooLarge;
    unwrapRmid(data, size);
    if (size < 4 || std::memcmp(data, "MThd", 4) != 0) return MidiFileProblem::NotMidi;
    if (size < 14) return MidiFileProblem::BadHeader;
    uint32_t headerLength = bigEndian32(data + 4);
    uint16_t trackCount = bigEndian16(data + 10);
    uint16_t division = bigEndian16(data + 12);
    if (headerLength < 6 || division == 0 || ((division & 0x8000) && (division & 0xFF) == 0))
        return MidiFileProblem::BadHeader;

    // The tracks: the first `trackCount` "MTrk" chunks; other chunks are skipped. A chunk that
    // claims more bytes than the file has ends with the file.
    Reading r;
    size_t pos = 8 + static_cast<size_t>(std::min<uint32_t>(headerLength, size - 8));
    int tracksRead = 0;
    while (pos + 8 <= size && tracksRead < trackCount) {
        uint32_t length = bigEndian32(data + pos + 4);
        size_t bodyAt = pos + 8;
        size_t bodySize = std::min<size_t>(length, size - bodyAt);
        if (std::memcmp(data + pos, "MTrk", 4) == 0) {
            readTrack(data + bodyAt, bodySize, r);
            if (r.tooMany) return MidiFileProblem::TooManyEvents;
            ++tracksRead;
        }
        pos = bodyAt + bodySize;
    }

    // Merged in tick order; the sort keeps track order, then file order, among equal ticks.
    std::stable_sort(r.events.begin(), r.events.end(),
                     [](const TickEvent& a, const TickEvent& b) { return a.tick < b.tick; });
    TickClock clock(division, std::move(r.tempos));
    out.events.reserve(r.events.size());
    for (TickEvent& te : r.events) {
        te.event.timeUs = clock.at(te.tick);
        if (te.event.timeUs > kMaxMidiTimeUs) break;
        out.events.push_back(te.event);
    }
    out.sysex = std::move(r.sysex);
    // Every track's end lies at or after its messages: the clock is still asked in order.
    out.endUs = std::min(clock.at(r.endTick), kMaxMidiTimeUs);
    return MidiFileProblem::None;
}

}  // namespace rs::sound
