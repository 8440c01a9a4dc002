// Opening a file or bytes in memory with libavformat, the same way for every decoder: a name is
// always a local file (never another protocol), nothing the file names may reach beyond local
// files, and FFmpeg's own messages stay quiet (the engine reports failures itself).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;

namespace rs::platform {

class FfmpegInput {
  public:
    // `memory`: the bytes to read instead of a file (kept alive while the input exists).
    explicit FfmpegInput(std::shared_ptr<const std::vector<uint8_t>> memory = nullptr)
        : memory_(std::move(memory)) {}
    ~FfmpegInput();
    FfmpegInput(const FfmpegInput&) = delete;
    FfmpegInput& operator=(const FfmpegInput&) = delete;

    // Opens the host file `path` (or the memory) and reads the stream information. False with
    // the reason in plain English; `notMedia` names what the file is not ("a sound file", ...).
    bool open(const std::string& path, const char* notMedia, std::string& error);
    AVFormatContext* format() const { return format_; }

    // The best stream of this media type (an AVMediaType) with its decoder opened in `codec` (the
    // caller frees it); the other streams are not read. The stream's index, or -1 with the
    // reason (`noun` names the media: "sound", "video"). The codec decodes on the caller's thread
    // alone: a decoder is read by one thread, which is the worker of a movie already.
    int openBestStream(int type, const char* noun, AVCodecContext*& codec, std::string& error);

    // The next frame `codec` decodes from stream `stream`, reading the packets it asks for
    // (damaged packets are left out, the codec goes on with the next). 0 with the frame;
    // AVERROR_EOF at the end of the stream; another code when nothing more can be decoded, with
    // the reason in `error` (`damaged` when the codec failed). `inputEnded` is set once the file
    // is read to its end (false again after a seek).
    int receiveFrame(AVCodecContext* codec, int stream, AVPacket* packet, AVFrame* frame,
                     bool& inputEnded, std::string& error, const char* damaged);

  private:
    static int readMemory(void* opaque, uint8_t* buf, int size);
    static int64_t seekMemory(void* opaque, int64_t offset, int whence);

    std::shared_ptr<const std::vector<uint8_t>> memory_;
    size_t memoryPos_ = 0;
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
};

// Makes a decoder of type `Decoder` over a file (`path`) or, with `memory`, over bytes in memory,
// and opens it: null, with the reason in `error`, when it does not open.
template <class Door, class Decoder>
std::unique_ptr<Door> openFfmpegDecoder(const std::string& path,
                                        std::shared_ptr<const std::vector<uint8_t>> memory,
                                        std::string& error) {
    auto decoder = std::make_unique<Decoder>(std::move(memory));
    if (!decoder->open(path, error)) return nullptr;
    return decoder;
}

}  // namespace rs::platform
