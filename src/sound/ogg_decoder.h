// Ogg Vorbis decoding for the streams, through libogg's sync and stream layers and libvorbis's
// synthesis interface, fed 4 KB at a time from the file held in memory. The decoder applies the
// loop points of the Vorbis comments sample-exactly while it fills the stream's blocks.
#pragma once

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstdint>
#include <functional>
#include <string_view>

namespace rs::sound {

// Appends an error-log entry (title, text); may be called from a streaming thread.
using SoundLog = std::function<void(std::string_view title, std::string_view text)>;

// The results of the header parse.
enum OggHeaderCode : int32_t {
    kOggHeadersOk = 0,
    kOggNoFirstPage = -2,       // "error1"
    kOggFirstPageRefused = -3,  // "error2"
    kOggNoFirstPacket = -4,     // "error3"
    kOggNotVorbis = -5,         // "error4"
    kOggEndInHeaders = -6,      // "error6"
    kOggNoSyncBuffer = -7,      // "error7"
    kOggHeaderHole = -8,        // "error5"
};

// The loop points of a file: sample frames, `loopEnd` -1 when the file has none.
struct LoopPoints {
    int32_t start = 0;
    int32_t end = -1;
};

// The comments' loop points: "LOOPSTART" (0 when absent), "LOOPEND" (-1 when absent), and
// "LOOPLENGTH", which when present makes the end start + length. The first comment of each name
// counts (names compared without regard to case); values are decimal with leading blanks and a
// sign allowed, read up to the first other character (no digits: 0).
LoopPoints readLoopPoints(vorbis_comment& comments);

// The decimal value of a comment as the loop points read it (saturated to 32 bits).
int32_t commentNumber(const char* text);

// The length in milliseconds the engine reports: the granule position of the last page, found
// by scanning back from 4 bytes before the end for "OggS" (not at offset 0), x 1000 / 44100
// whatever the stream's rate; 0 when there is no such page.
int32_t oggDuration(const uint8_t* data, int32_t size);
// The granule position of that last page, or -1.
int64_t lastGranule(const uint8_t* data, int32_t size);

class OggDecoder {
  public:
    // Decodes `data` (not owned; it must outlive the decoder). Nothing is read until
    // parseHeaders.
    OggDecoder(const uint8_t* data, int32_t size, SoundLog log);
    ~OggDecoder();
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    // parseOggHeaders: reads the three Vorbis headers from the start of the data. 0, or a
    // negative OggHeaderCode after appending the log entry "Sndskip" with the code's text.
    int32_t parseHeaders();
    // primeDecoder: starts the synthesis and hands it the first audio packet. False when the data
    // ends (or breaks) before one: such a stream is not played.
    bool prime();
    // restartDecoder: everything cleared and started again from the first byte (headers parsed,
    // decoder primed); the sample position is 0 again. False when that fails.
    bool restart();

    // Fills `frames` stereo 16-bit frames (interleaved) of a block, applying the loop points:
    // at `loopEnd` the decoder restarts and skips to `loopStart`, whatever `loop` says; at the end
    // of the data a looping stream restarts from sample 0 and one played once fills the rest with
    // silence. `gain` and `simd` choose the sample conversion.
    void fillBlock(int16_t* out, int32_t frames, bool loop, int32_t gain, bool simd);

    int32_t duration() const { return duration_; }
    // The loop points in effect: a loop whose start is not before its end is treated as absent
    // (the skip after the jump would never end).
    const LoopPoints& loopPoints() const { return loops_; }
    // The loop points as the comments give them.
    const LoopPoints& commentLoopPoints() const { return commentLoops_; }
    int64_t samplePos() const { return samplePos_; }
    int32_t channels() const { return info_.channels; }
    int32_t rate() const { return static_cast<int32_t>(info_.rate); }
    int32_t readPos() const { return readPos_; }

  private:
    struct Pass;

    // Feeds the sync layer the next piece (at most 4096 bytes) and returns its size.
    int32_t feed(int32_t request);
    int32_t fail(int32_t code, const char* text);
    void clear();
    bool restartInPass(Pass& pass);
    bool nextPacket(bool loop, Pass& pass);

    const uint8_t* data_;
    int32_t size_;
    SoundLog log_;
    int32_t readPos_ = 0;
    int64_t samplePos_ = 0;
    int32_t duration_ = -1;
    LoopPoints loops_;
    LoopPoints commentLoops_;

    ogg_sync_state sync_{};
    ogg_stream_state stream_{};
    ogg_page page_{};
    ogg_packet packet_{};
    vorbis_info info_{};
    vorbis_comment comment_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    bool syncInit_ = false;
    bool streamInit_ = false;
    bool infoInit_ = false;
    bool synthesisInit_ = false;
    // Primed: the synthesis runs and blocks can be filled.
    bool ready_ = false;
};

}  // namespace rs::sound
