#include "platform/ffmpeg_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>

namespace rs::platform {

namespace {

constexpr int kIoBufferBytes = 32768;

void silenceFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

FfmpegInput::~FfmpegInput() {
    avformat_close_input(&format_);
    if (io_) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
}

bool FfmpegInput::open(const std::string& path, const char* notMedia, std::string& error) {
    silenceFfmpegLog();
    std::string notReadable = std::string("is not ") + notMedia + " FFmpeg can read";
    format_ = avformat_alloc_context();
    if (!format_) {
        error = "out of memory";
        return false;
    }
    std::string url;
    if (memory_) {
        auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
        io_ = buffer ? avio_alloc_context(buffer, kIoBufferBytes, 0, this, &readMemory, nullptr,
                                          &seekMemory)
                     : nullptr;
        if (!io_) {
            av_free(buffer);
            error = "out of memory";
            return false;
        }
        format_->pb = io_;
        format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    } else {
        // A name with a colon is still a file, never another protocol.
        url = "file:" + path;
    }
    AVDictionary* options = nullptr;
    // A playlist inside the file may not reach beyond local files.
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    int r = avformat_open_input(&format_, memory_ ? nullptr : url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (r < 0) {
        error = r == AVERROR(ENOENT)   ? "no such file"
                : r == AVERROR(EACCES) ? "permission denied"
                : r == AVERROR(EISDIR) ? "is a folder, not a file"
                                       : notReadable;
        return false;
    }
    if (avformat_find_stream_info(format_, nullptr) < 0) {
        error = notReadable;
        return false;
    }
    return true;
}

int FfmpegInput::openBestStream(int type, const char* noun, AVCodecContext*& codec,
                                std::string& error) {
    std::string cannot = std::string("holds ") + noun + " FFmpeg cannot decode";
    const AVCodec* decoder = nullptr;
    int stream = av_find_best_stream(format_, static_cast<AVMediaType>(type), -1, -1, &decoder, 0);
    if (stream < 0 || !decoder) {
        error = stream == AVERROR_DECODER_NOT_FOUND ? cannot : std::string("holds no ") + noun;
        return -1;
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (static_cast<int>(i) != stream) format_->streams[i]->discard = AVDISCARD_ALL;
    }
    AVStream* st = format_->streams[stream];
    codec = avcodec_alloc_context3(decoder);
    if (!codec || avcodec_parameters_to_context(codec, st->codecpar) < 0) {
        error = "out of memory";
        return -1;
    }
    codec->pkt_timebase = st->time_base;
    codec->thread_count = 1;
    if (avcodec_open2(codec, decoder, nullptr) < 0) {
        error = cannot;
        return -1;
    }
    return stream;
}

int FfmpegInput::receiveFrame(AVCodecContext* codec, int stream, AVPacket* packet, AVFrame* frame,
                              bool& inputEnded, std::string& error, const char* damaged) {
    for (;;) {
        int r = avcodec_receive_frame(codec, frame);
        if (r == 0 || r == AVERROR_EOF) return r;
        if (r != AVERROR(EAGAIN)) {
            error = damaged;
            return r;
        }
        // The decoder was flushed but still wants input: nothing more will come.
        if (inputEnded) return r;
        r = av_read_frame(format_, packet);
        if (r < 0) {
            if (r != AVERROR_EOF) error = "the file cannot be read to its end";
            inputEnded = true;
            avcodec_send_packet(codec, nullptr);
            continue;
        }
        if (packet->stream_index == stream) avcodec_send_packet(codec, packet);
        av_packet_unref(packet);
    }
}

int FfmpegInput::readMemory(void* opaque, uint8_t* buf, int size) {
    auto* self = static_cast<FfmpegInput*>(opaque);
    size_t total = self->memory_->size();
    if (self->memoryPos_ >= total) return AVERROR_EOF;
    size_t n = std::min(static_cast<size_t>(size), total - self->memoryPos_);
    std::memcpy(buf, self->memory_->data() + self->memoryPos_, n);
    self->memoryPos_ += n;
    return static_cast<int>(n);
}

int64_t FfmpegInput::seekMemory(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<FfmpegInput*>(opaque);
    auto total = static_cast<int64_t>(self->memory_->size());
    if (whence & AVSEEK_SIZE) return total;
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = static_cast<int64_t>(self->memoryPos_); break;
        case SEEK_END: base = total; break;
        default: return -1;
    }
    if (offset > total - base || offset < -base) return -1;
    self->memoryPos_ = static_cast<size_t>(base + offset);
    return base + offset;
}

}  // namespace rs::platform
