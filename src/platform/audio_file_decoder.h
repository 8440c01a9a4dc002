// The audio decoding door: the sound of a file in any container and codec FFmpeg reads (Ogg
// Vorbis, FLAC, WAVE, MP3, Opus, the sound track of a movie, ...), handed out as the mixer's
// format: 44100 Hz, 16-bit, interleaved stereo. The best audio stream of the file is decoded and
// converted with libswresample (mono is put on both sides unchanged; more than two channels are
// mixed down). Decoding happens as frames are read, on the reader's thread; a decoder is used by
// one thread at a time, and decoders share nothing.
//
// Damaged data is skipped where the codec can go on; a stream that cannot be read further ends
// early, with the reason in error(). A stream whose container states its length exactly (Ogg's
// last granule position, FLAC's sample count, a WAVE's data size) ends there, without the padding
// of the codec's last block, so a track played again sounds without a gap. Reading, seeking and
// the length are all in output frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rs::platform {

// Frames a second of every decoder's output.
constexpr int32_t kDecodedRate = 44100;

class AudioFileDecoder {
  public:
    virtual ~AudioFileDecoder() = default;
    // Writes up to `frames` frames at `out` (left, right) and returns how many; fewer than asked
    // only at the end of the stream (then 0 from the next call on).
    virtual int32_t read(int16_t* out, int32_t frames) = 0;
    // Moves so that the next frame read is frame `frame` of the stream (0: the start). Exact
    // when the container gives time stamps. False when the stream cannot go there; reading then
    // goes on from where it was.
    virtual bool seek(int64_t frame) = 0;
    // The frame the next read starts at.
    virtual int64_t position() const = 0;
    // The length in frames as the container states it; -1 when it does not.
    virtual int64_t durationFrames() const = 0;
    // Why decoding stopped before the end (plain English); empty while all is well.
    virtual const std::string& error() const = 0;
};

// Opens a host file. Nothing, with the reason in plain English, when the file cannot be read or
// holds no audio stream FFmpeg can decode.
std::unique_ptr<AudioFileDecoder> openAudioFile(const std::string& hostPath, std::string& error);

// The same over bytes in memory, which the decoder keeps alive while it exists.
std::unique_ptr<AudioFileDecoder> openAudioMemory(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                                  std::string& error);

}  // namespace rs::platform
