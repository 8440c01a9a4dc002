// The video decoding door through FFmpeg: libavformat demuxes, libavcodec decodes the best video
// stream, libswscale scales and converts each picture to the presenter's pixels.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

#include "platform/ffmpeg_input.h"
#include "platform/video_decoder.h"

namespace rs::platform {

namespace {

constexpr AVRational kMicroseconds{1, 1000000};
// A picture's length when the stream tells none: 25 pictures a second.
constexpr int64_t kDefaultFrameUs = 40000;
// The largest side of a picture made.
constexpr int32_t kMaxOutputSide = 16384;

class FfmpegVideoDecoder final : public VideoDecoder {
  public:
    explicit FfmpegVideoDecoder(std::shared_ptr<const std::vector<uint8_t>> memory)
        : input_(std::move(memory)) {}

    ~FfmpegVideoDecoder() override {
        sws_freeContext(sws_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&codec_);
    }

    bool open(const std::string& path, std::string& error) {
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        if (!packet_ || !frame_) {
            error = "out of memory";
            return false;
        }
        if (!input_.open(path, "a movie", error)) return false;
        AVFormatContext* format = input_.format();
        stream_ = input_.openBestStream(AVMEDIA_TYPE_VIDEO, "video", codec_, error);
        if (stream_ < 0) return false;
        AVStream* st = format->streams[stream_];
        int32_t w = st->codecpar->width, h = st->codecpar->height;
        if (w <= 0 || h <= 0) {
            error = "holds video without a size";
            return false;
        }
        AVRational aspect = av_guess_sample_aspect_ratio(format, st, nullptr);
        if (aspect.num > 0 && aspect.den > 0 && aspect.num != aspect.den) {
            int64_t shown = av_rescale(w, aspect.num, aspect.den);
            w = static_cast<int32_t>(std::clamp<int64_t>(shown, 1, kMaxOutputSide));
        }
        native_ = {w, h};
        AVRational rate = av_guess_frame_rate(format, st, nullptr);
        if (rate.num > 0 && rate.den > 0) {
            frameUs_ = std::max<int64_t>(1, av_rescale(1000000, rate.den, rate.num));
        }
        startTs_ = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
        return true;
    }

    SizeInPixels nativeSize() const override { return native_; }

    int64_t durationUs() const override {
        AVFormatContext* format = input_.format();
        AVStream* st = format->streams[stream_];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            return av_rescale_q(st->duration, st->time_base, kMicroseconds);
        if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
            return av_rescale_q(format->duration, AV_TIME_BASE_Q, kMicroseconds);
        return -1;
    }

    bool setOutput(SizeInPixels target, PixelRect keep) override {
        target_ = {};
        keep_ = {};
        if (target.width <= 0 || target.height <= 0 || target.width > kMaxOutputSide ||
            target.height > kMaxOutputSide ||
            int64_t{target.width} * target.height > kMaxVideoOutputPixels || keep.empty() ||
            keep.x < 0 || keep.y < 0 || keep.width > target.width - keep.x ||
            keep.height > target.height - keep.y)
            return false;
        target_ = target;
        keep_ = keep;
        return true;
    }

    bool next(VideoFrame& out) override {
        while (decodeFrame()) {
            int64_t start = nextStartUs_;
            int64_t pts = frame_->best_effort_timestamp;
            AVStream* st = input_.format()->streams[stream_];
            if (pts != AV_NOPTS_VALUE)
                start = av_rescale_q(pts - startTs_, st->time_base, kMicroseconds);
            int64_t length = frameUs_;
            if (frame_->pkt_duration > 0)
                length = std::max<int64_t>(
                    1, av_rescale_q(frame_->pkt_duration, st->time_base, kMicroseconds));
            int64_t end = start + length;
            nextStartUs_ = end;
            // After a seek the pictures before the one shown at the target are left out.
            if (seekTargetUs_ >= 0 && end <= seekTargetUs_) {
                av_frame_unref(frame_);
                continue;
            }
            seekTargetUs_ = -1;
            out.startUs = start;
            out.endUs = end;
            convert(out.picture);
            av_frame_unref(frame_);
            return true;
        }
        return false;
    }

    bool seek(int64_t us) override {
        us = std::max<int64_t>(us, 0);
        AVFormatContext* format = input_.format();
        AVStream* st = format->streams[stream_];
        int64_t ts = av_rescale_q(us, kMicroseconds, st->time_base) + startTs_;
        if (av_seek_frame(format, stream_, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
            (us != 0 || av_seek_frame(format, stream_, 0, AVSEEK_FLAG_BYTE) < 0))
            return false;
        avcodec_flush_buffers(codec_);
        inputEnded_ = false;
        error_.clear();
        seekTargetUs_ = us;
        nextStartUs_ = us;
        return true;
    }

    const std::string& error() const override { return error_; }

  private:
    // Decodes the next picture into frame_; false at the end of the stream.
    bool decodeFrame() {
        return input_.receiveFrame(codec_, stream_, packet_, frame_, inputEnded_, error_,
                                   "the video data is damaged") == 0;
    }

    // frame_ scaled to the target, the kept part into `picture` (empty without an output).
    void convert(Picture& picture) {
        picture.width = keep_.width;
        picture.height = keep_.height;
        picture.pixels.assign(static_cast<size_t>(keep_.width) * static_cast<size_t>(keep_.height),
                              0xFF000000u);
        if (keep_.empty() || frame_->width <= 0 || frame_->height <= 0) return;
        sws_ = sws_getCachedContext(sws_, frame_->width, frame_->height,
                                    static_cast<AVPixelFormat>(frame_->format), target_.width,
                                    target_.height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr,
                                    nullptr);
        if (!sws_) return;
        // libswscale's vector code may write past the end of a row and of the picture: it scales
        // into rows padded to 64 bytes with a spare row, and the kept part is copied out.
        size_t strideWords = (static_cast<size_t>(target_.width) + 15) / 16 * 16;
        scratch_.resize(strideWords * (static_cast<size_t>(target_.height) + 2));
        // BGRA bytes are the 0xAARRGGBB words of a little-endian machine.
        uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(scratch_.data()), nullptr, nullptr,
                              nullptr};
        int strides[4] = {static_cast<int>(strideWords * 4), 0, 0, 0};
        if (sws_scale(sws_, frame_->data, frame_->linesize, 0, frame_->height, planes, strides) <=
            0)
            return;
        for (int32_t y = 0; y < keep_.height; ++y) {
            const uint32_t* from =
                scratch_.data() + static_cast<size_t>(keep_.y + y) * strideWords + keep_.x;
            std::memcpy(picture.pixels.data() + static_cast<size_t>(y) * keep_.width, from,
                        static_cast<size_t>(keep_.width) * 4);
        }
        for (uint32_t& p : picture.pixels) p |= 0xFF000000u;
    }

    FfmpegInput input_;
    AVCodecContext* codec_ = nullptr;
    SwsContext* sws_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    int64_t startTs_ = 0;
    SizeInPixels native_;
    int64_t frameUs_ = kDefaultFrameUs;
    SizeInPixels target_;
    PixelRect keep_;
    std::vector<uint32_t> scratch_;
    bool inputEnded_ = false;
    // The start of the next picture when it carries no time stamp.
    int64_t nextStartUs_ = 0;
    // After a seek: the time asked for (-1 none pending).
    int64_t seekTargetUs_ = -1;
    std::string error_;
};

}  // namespace

std::unique_ptr<VideoDecoder> openVideoFile(const std::string& hostPath, std::string& error) {
    return openFfmpegDecoder<VideoDecoder, FfmpegVideoDecoder>(hostPath, nullptr, error);
}

std::unique_ptr<VideoDecoder> openVideoMemory(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                              std::string& error) {
    if (!bytes) bytes = std::make_shared<const std::vector<uint8_t>>();
    return openFfmpegDecoder<VideoDecoder, FfmpegVideoDecoder>("", std::move(bytes), error);
}

}  // namespace rs::platform
