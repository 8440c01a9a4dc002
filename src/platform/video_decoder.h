// The video decoding door: the pictures of a movie file in any container and codec FFmpeg reads
// (MPEG-1 and MPEG-2, AVI with its old codecs, WMV/ASF, MP4, ...), converted by libswscale to the
// presenter's pixels (0xFFRRGGBB, rows top to bottom) at the size they are shown at. The best
// video stream of the file is decoded; the sound of the same file comes through the audio door
// (audio_file_decoder.h). A decoder is used by one thread at a time; decoders share nothing.
//
// Times are in microseconds from the start of the video stream.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/presenter.h"
#include "platform/view_transform.h"

namespace rs::platform {

// The largest picture a decoder scales to, in pixels (4096 x 4096): beyond it no picture is made.
constexpr int64_t kMaxVideoOutputPixels = int64_t{1} << 24;

// One picture of the movie: the part of the scaled picture that is kept (see setOutput), and the
// time it is shown from and until.
struct VideoFrame {
    int64_t startUs = 0;
    int64_t endUs = 0;
    Picture picture;
};

class VideoDecoder {
  public:
    virtual ~VideoDecoder() = default;
    // The size the video is meant to be shown at (its display aspect applied to the width).
    virtual SizeInPixels nativeSize() const = 0;
    // The length as the container states it; -1 when it does not.
    virtual int64_t durationUs() const = 0;
    // From the next picture on, each is scaled to `target` and only the part `keep` (a rectangle
    // inside `target`) is handed out. False, with pictures of size 0 from then on, when `target`
    // is empty, larger than kMaxVideoOutputPixels or `keep` does not lie inside it.
    virtual bool setOutput(SizeInPixels target, PixelRect keep) = 0;
    // The next picture; false at the end of the stream (error() tells whether it ended early).
    virtual bool next(VideoFrame& out) = 0;
    // Moves so that the next picture is the one shown at `us` (0: the start). False when the
    // stream cannot go there; reading then goes on from where it was.
    virtual bool seek(int64_t us) = 0;
    // Why decoding stopped before the end (plain English); empty while all is well.
    virtual const std::string& error() const = 0;
};

// Opens a host file. Nothing, with the reason in plain English, when the file cannot be read or
// holds no video stream FFmpeg can decode.
std::unique_ptr<VideoDecoder> openVideoFile(const std::string& hostPath, std::string& error);

// The same over bytes in memory, which the decoder keeps alive while it exists.
std::unique_ptr<VideoDecoder> openVideoMemory(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                              std::string& error);

}  // namespace rs::platform
