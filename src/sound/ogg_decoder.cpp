#include "sound/ogg_decoder.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "sound/sample_convert.h"

namespace rs::sound {

namespace {

// The decoder is fed pieces of at most this many bytes.
constexpr int32_t kPieceBytes = 4096;

// Every restart decodes the file again from its start. A loop shorter than a block restarts
// many times in one block; beyond this many restarts the rest of the block is silent, so that a
// file with a loop of a few samples cannot hold up its stream (or, on a virtual clock, the game)
// for seconds. Loops of music last far longer than a block.
constexpr int32_t kMaxRestartsPerBlock = 16;

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

int32_t commentNumber(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t v = 0;
    while (*p >= '0' && *p <= '9') {
        v = std::min<int64_t>(v * 10 + (*p++ - '0'), int64_t{1} << 32);
    }
    return saturate(negative ? -v : v);
}

LoopPoints readLoopPoints(vorbis_comment& comments) {
    LoopPoints loops;
    if (const char* s = vorbis_comment_query(&comments, "LOOPSTART", 0))
        loops.start = commentNumber(s);
    if (const char* s = vorbis_comment_query(&comments, "LOOPEND", 0)) loops.end = commentNumber(s);
    if (const char* s = vorbis_comment_query(&comments, "LOOPLENGTH", 0))
        loops.end = saturate(static_cast<int64_t>(loops.start) + commentNumber(s));
    return loops;
}

// A page header needs 14 bytes for its granule position; a match closer to the end is not a
// page and the scan goes on before it.
bool findLastGranule(const uint8_t* data, int32_t size, int64_t& granule) {
    for (int32_t i = size - 4; i >= 1; --i) {
        if (std::memcmp(data + i, "OggS", 4) != 0 || i + 14 > size) continue;
        uint64_t g = 0;
        for (int32_t b = 7; b >= 0; --b) g = g << 8 | data[i + 6 + b];
        granule = static_cast<int64_t>(g);
        return true;
    }
    return false;
}

int64_t lastGranule(const uint8_t* data, int32_t size) {
    int64_t g = -1;
    return findLastGranule(data, size, g) ? g : -1;
}

int32_t oggDuration(const uint8_t* data, int32_t size) {
    int64_t g = 0;
    if (!findLastGranule(data, size, g)) return 0;
    // 64-bit product and quotient as the engine computes it, kept from overflowing.
    return static_cast<int32_t>(static_cast<__int128>(g) * 1000 / 44100);
}

// What one block fill keeps: frames written, whether the loop jumped in it, whether a hole in
// the pages was met (no further page is then handed to the stream), the frames written at the
// last restart (a second restart without output in between ends the block: the data holds
// nothing more to play) and the restarts so far.
struct OggDecoder::Pass {
    int32_t written = 0;
    bool jumped = false;
    bool hole = false;
    int32_t writtenAtRestart = -1;
    int32_t restarts = 0;
};

OggDecoder::OggDecoder(const uint8_t* data, int32_t size, SoundLog log)
    : data_(data), size_(std::max(0, size)), log_(std::move(log)) {}

OggDecoder::~OggDecoder() { clear(); }

// Stream state, block, synthesis, comments, info and sync state, in this order.
void OggDecoder::clear() {
    if (streamInit_) ogg_stream_clear(&stream_);
    if (synthesisInit_) {
        vorbis_block_clear(&block_);
        vorbis_dsp_clear(&dsp_);
    }
    if (infoInit_) {
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
    }
    if (syncInit_) ogg_sync_clear(&sync_);
    streamInit_ = synthesisInit_ = infoInit_ = syncInit_ = ready_ = false;
    stream_ = {};
    block_ = {};
    dsp_ = {};
    comment_ = {};
    info_ = {};
    sync_ = {};
    page_ = {};
    packet_ = {};
}

int32_t OggDecoder::feed(int32_t request) {
    int32_t piece = std::clamp(size_ - readPos_, 0, kPieceBytes);
    char* buffer = ogg_sync_buffer(&sync_, request);
    if (!buffer) return 0;
    if (piece > 0) std::memcpy(buffer, data_ + readPos_, static_cast<size_t>(piece));
    readPos_ += piece;
    ogg_sync_wrote(&sync_, piece);
    return piece;
}

int32_t OggDecoder::fail(int32_t code, const char* text) {
    if (log_) log_("Sndskip", text);
    return code;
}

int32_t OggDecoder::parseHeaders() {
    ogg_sync_init(&sync_);
    syncInit_ = true;
    int32_t piece = std::clamp(size_ - readPos_, 0, kPieceBytes);
    char* buffer = ogg_sync_buffer(&sync_, piece);
    if (!buffer) return fail(kOggNoSyncBuffer, "error7");
    if (piece > 0) std::memcpy(buffer, data_ + readPos_, static_cast<size_t>(piece));
    readPos_ += piece;
    ogg_sync_wrote(&sync_, piece);
    if (ogg_sync_pageout(&sync_, &page_) != 1) return fail(kOggNoFirstPage, "error1");

    ogg_stream_init(&stream_, ogg_page_serialno(&page_));
    streamInit_ = true;
    vorbis_info_init(&info_);
    vorbis_comment_init(&comment_);
    infoInit_ = true;
    if (ogg_stream_pagein(&stream_, &page_) < 0) return fail(kOggFirstPageRefused, "error2");
    if (ogg_stream_packetout(&stream_, &packet_) != 1) return fail(kOggNoFirstPacket, "error3");
    if (vorbis_synthesis_headerin(&info_, &comment_, &packet_) < 0)
        return fail(kOggNotVorbis, "error4");

    // The comment and setup headers; one more piece is fed after the second.
    int32_t headers = 0;
    while (headers < 2) {
        while (headers < 2) {
            int r = ogg_sync_pageout(&sync_, &page_);
            if (r == 0) break;
            if (r < 0) continue;
            ogg_stream_pagein(&stream_, &page_);
            while (headers < 2) {
                r = ogg_stream_packetout(&stream_, &packet_);
                if (r == 0) break;
                if (r < 0) return fail(kOggHeaderHole, "error5");
                vorbis_synthesis_headerin(&info_, &comment_, &packet_);
                ++headers;
            }
        }
        if (feed(kPieceBytes) == 0 && headers < 2) return fail(kOggEndInHeaders, "error6");
    }
    samplePos_ = 0;
    duration_ = oggDuration(data_, size_);
    commentLoops_ = readLoopPoints(comment_);
    loops_ = commentLoops_;
    if (loops_.end > 0 && loops_.start >= loops_.end) loops_ = LoopPoints{};
    return kOggHeadersOk;
}

// The first audio packet only fills the synthesis' overlap; it gives no samples yet. A failed
// synthesis start (headers that did not all parse) is refused like missing audio.
bool OggDecoder::prime() {
    synthesisInit_ = true;
    if (vorbis_synthesis_init(&dsp_, &info_) != 0) return false;
    vorbis_block_init(&dsp_, &block_);
    bool end = false;
    while (ogg_stream_packetout(&stream_, &packet_) <= 0) {
        if (end) return false;
        int r;
        while ((r = ogg_sync_pageout(&sync_, &page_)) == 0) {
            if (feed(kPieceBytes) == 0) {
                end = true;
                break;
            }
        }
        if (r < 0) {
            if (log_) log_("sndtop", "error7");
            end = true;
        } else if (!end) {
            ogg_stream_pagein(&stream_, &page_);
        }
    }
    if (vorbis_synthesis(&block_, &packet_) == 0) vorbis_synthesis_blockin(&dsp_, &block_);
    ready_ = true;
    return true;
}

bool OggDecoder::restart() {
    clear();
    readPos_ = 0;
    if (parseHeaders() != kOggHeadersOk) return false;
    return prime();
}

bool OggDecoder::restartInPass(Pass& pass) {
    if (pass.writtenAtRestart == pass.written || ++pass.restarts > kMaxRestartsPerBlock)
        return false;
    pass.writtenAtRestart = pass.written;
    pass.hole = false;
    return restart();
}

// Hands the synthesis the next packet, taking pages (and feeding pieces) as needed. False when
// the block must end here: the data ended and the stream does not loop, or nothing more plays.
bool OggDecoder::nextPacket(bool loop, Pass& pass) {
    while (ogg_stream_packetout(&stream_, &packet_) <= 0) {
        int r;
        bool restarted = false;
        while ((r = ogg_sync_pageout(&sync_, &page_)) == 0) {
            if (readPos_ >= size_) {
                if (!loop || !restartInPass(pass)) return false;
                // The restart may have taken every page of a short file into the stream already:
                // its packets come first.
                restarted = true;
                break;
            }
            feed(kPieceBytes);
        }
        if (restarted) continue;
        if (r < 0) {
            if (log_) log_("Sndcopy", "error8");
            pass.hole = true;
        } else if (!pass.hole) {
            ogg_stream_pagein(&stream_, &page_);
        }
    }
    if (vorbis_synthesis(&block_, &packet_) == 0) vorbis_synthesis_blockin(&dsp_, &block_);
    return true;
}

void OggDecoder::fillBlock(int16_t* out, int32_t frames, bool loop, int32_t gain, bool simd) {
    Pass pass;
    while (pass.written < frames && ready_) {
        if (loops_.end > 0 && samplePos_ >= loops_.end) {
            if (!restartInPass(pass)) break;
            pass.jumped = true;
        }
        float** pcm = nullptr;
        int n = vorbis_synthesis_pcmout(&dsp_, &pcm);
        if (n <= 0) {
            if (!nextPacket(loop, pass)) break;
            n = std::max(0, vorbis_synthesis_pcmout(&dsp_, &pcm));
        }
        n = std::min(n, frames - pass.written);
        // The frames of this packet that are heard: up to the loop end, and after a jump from
        // the loop start on.
        int64_t first = 0;
        int64_t count = n;
        if (loops_.end >= 0 && samplePos_ + n > loops_.end) count = loops_.end - samplePos_;
        if (pass.jumped && samplePos_ < loops_.start) {
            first = loops_.start - samplePos_;
            count -= first;
        }
        if (count > 0) {
            const float* left = pcm[0] + first;
            const float* right = info_.channels == 2 ? pcm[1] + first : left;
            convertFrames(left, right, static_cast<int32_t>(count), gain, simd,
                          out + static_cast<size_t>(pass.written) * 2);
            pass.written += static_cast<int32_t>(count);
        }
        if (n > 0) vorbis_synthesis_read(&dsp_, n);
        samplePos_ += n;
    }
    std::fill(out + static_cast<size_t>(pass.written) * 2, out + static_cast<size_t>(frames) * 2,
              int16_t{0});
}

}  // namespace rs::sound
