// The audio decoding door through FFmpeg: libavformat demuxes, libavcodec decodes the best audio
// stream, libswresample converts to 44100 Hz 16-bit stereo.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

#include "platform/audio_file_decoder.h"
#include "platform/ffmpeg_input.h"

namespace rs::platform {

namespace {

constexpr AVRational kOutputTimeBase{1, kDecodedRate};

class FfmpegAudioDecoder final : public AudioFileDecoder {
  public:
    explicit FfmpegAudioDecoder(std::shared_ptr<const std::vector<uint8_t>> memory)
        : input_(std::move(memory)) {}

    ~FfmpegAudioDecoder() override {
        swr_free(&swr_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&codec_);
        av_channel_layout_uninit(&inLayout_);
    }

    // Opens the file (`path`) or the memory given at construction.
    bool open(const std::string& path, std::string& error) {
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        if (!packet_ || !frame_) {
            error = "out of memory";
            return false;
        }
        if (!input_.open(path, "a sound file", error)) return false;
        format_ = input_.format();
        stream_ = input_.openBestStream(AVMEDIA_TYPE_AUDIO, "sound", codec_, error);
        if (stream_ < 0) return false;
        AVStream* st = format_->streams[stream_];
        // A length the stream states exactly (Ogg's last granule position, FLAC's sample count,
        // a WAVE's data size) ends the output: the padding of a codec's last block is not sound.
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0 &&
            format_->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
            endFrame_ = av_rescale_q(st->duration, st->time_base, kOutputTimeBase);
        return true;
    }

    int32_t read(int16_t* out, int32_t frames) override {
        if (endFrame_ >= 0)
            frames = static_cast<int32_t>(std::clamp<int64_t>(endFrame_ - position_, 0, frames));
        int32_t done = 0;
        while (done < frames) {
            size_t waiting = pending_.size() / 2 - pendingFrom_;
            if (waiting > 0) {
                size_t n = std::min<size_t>(waiting, static_cast<size_t>(frames - done));
                std::memcpy(out + 2 * done, pending_.data() + 2 * pendingFrom_, n * 4);
                pendingFrom_ += n;
                done += static_cast<int32_t>(n);
                continue;
            }
            pending_.clear();
            pendingFrom_ = 0;
            if (finished_ || !decodeMore()) {
                finished_ = true;
                break;
            }
        }
        position_ += done;
        return done;
    }

    bool seek(int64_t frame) override {
        frame = std::max<int64_t>(frame, 0);
        AVStream* st = format_->streams[stream_];
        int64_t ts = av_rescale_q(frame, kOutputTimeBase, st->time_base);
        if (st->start_time != AV_NOPTS_VALUE) ts += st->start_time;
        if (av_seek_frame(format_, stream_, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
            (frame != 0 || av_seek_frame(format_, stream_, 0, AVSEEK_FLAG_BYTE) < 0)) {
            return false;
        }
        avcodec_flush_buffers(codec_);
        // The resampler is made anew from the next decoded frame: nothing of before stays.
        swr_free(&swr_);
        pending_.clear();
        pendingFrom_ = 0;
        inputEnded_ = false;
        finished_ = false;
        error_.clear();
        position_ = frame;
        seekTarget_ = frame;
        return true;
    }

    int64_t position() const override { return position_; }

    int64_t durationFrames() const override {
        AVStream* st = format_->streams[stream_];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            return av_rescale_q(st->duration, st->time_base, kOutputTimeBase);
        if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0)
            return av_rescale_q(format_->duration, AV_TIME_BASE_Q, kOutputTimeBase);
        return -1;
    }

    const std::string& error() const override { return error_; }

  private:
    // The resampler for the format of `frame`: kept while the format stays, made anew when the
    // stream changes its rate or channels midway.
    bool prepareResampler(const AVFrame* frame) {
        if (swr_ && frame->format == inFormat_ && frame->sample_rate == inRate_ &&
            av_channel_layout_compare(&frame->ch_layout, &inLayout_) == 0)
            return true;
        swr_free(&swr_);
        av_channel_layout_uninit(&inLayout_);
        if (av_channel_layout_copy(&inLayout_, &frame->ch_layout) < 0) return false;
        inFormat_ = frame->format;
        inRate_ = frame->sample_rate;
        AVChannelLayout in{};
        if (inLayout_.order == AV_CHANNEL_ORDER_UNSPEC) {
            av_channel_layout_default(&in, inLayout_.nb_channels);
        } else if (av_channel_layout_copy(&in, &inLayout_) < 0) {
            return false;
        }
        // Mono is converted as mono and then put on both sides at full level.
        mono_ = in.nb_channels == 1;
        AVChannelLayout out{};
        av_channel_layout_default(&out, mono_ ? 1 : 2);
        int r = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_S16, kDecodedRate, &in,
                                    static_cast<AVSampleFormat>(inFormat_), inRate_, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        if (r < 0 || swr_init(swr_) < 0) {
            swr_free(&swr_);
            return false;
        }
        return true;
    }

    // Converts `count` input samples (none: the resampler's remainder) into pending frames.
    void convert(const uint8_t** input, int count) {
        int room = swr_get_out_samples(swr_, count);
        if (room <= 0) return;
        std::vector<int16_t>& tmp = converted_;
        tmp.resize(static_cast<size_t>(room) * (mono_ ? 1 : 2));
        auto* outPtr = reinterpret_cast<uint8_t*>(tmp.data());
        int got = swr_convert(swr_, &outPtr, room, input, count);
        if (got <= 0) return;
        int skip = 0;
        if (skipFrames_ > 0) {
            skip = static_cast<int>(std::min<int64_t>(skipFrames_, got));
            skipFrames_ -= skip;
        }
        for (int i = skip; i < got; ++i) {
            int16_t l = mono_ ? tmp[static_cast<size_t>(i)] : tmp[2 * static_cast<size_t>(i)];
            int16_t r = mono_ ? l : tmp[2 * static_cast<size_t>(i) + 1];
            pending_.push_back(l);
            pending_.push_back(r);
        }
    }

    // After a seek the first frame's time stamp tells how much lies before the target.
    void noteSeekStart(const AVFrame* frame) {
        if (seekTarget_ < 0) return;
        int64_t pts = frame->best_effort_timestamp;
        AVStream* st = format_->streams[stream_];
        if (pts != AV_NOPTS_VALUE) {
            if (st->start_time != AV_NOPTS_VALUE) pts -= st->start_time;
            int64_t at = av_rescale_q(pts, st->time_base, kOutputTimeBase);
            skipFrames_ = std::max<int64_t>(0, seekTarget_ - at);
        }
        seekTarget_ = -1;
    }

    // Decodes until some frames are pending or the stream ended; false at the end.
    bool decodeMore() {
        while (pending_.empty()) {
            int r = input_.receiveFrame(codec_, stream_, packet_, frame_, inputEnded_, error_,
                                        "the sound data is damaged");
            if (r == AVERROR_EOF) {
                if (swr_) convert(nullptr, 0);
                swr_free(&swr_);
                return !pending_.empty();
            }
            if (r != 0) return false;
            noteSeekStart(frame_);
            if (frame_->nb_samples > 0 && prepareResampler(frame_))
                convert(const_cast<const uint8_t**>(frame_->extended_data), frame_->nb_samples);
            av_frame_unref(frame_);
        }
        return true;
    }

    FfmpegInput input_;
    // The input's, for short.
    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    SwrContext* swr_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    // The input format the resampler was made for.
    int inFormat_ = -1;
    int inRate_ = 0;
    AVChannelLayout inLayout_{};
    bool mono_ = false;
    // Converted frames (interleaved stereo) not yet read, from frame `pendingFrom_` on.
    std::vector<int16_t> pending_;
    size_t pendingFrom_ = 0;
    std::vector<int16_t> converted_;
    bool inputEnded_ = false;
    bool finished_ = false;
    int64_t position_ = 0;
    // After a seek: the frame asked for (-1 none pending) and the frames still to drop.
    int64_t seekTarget_ = -1;
    int64_t skipFrames_ = 0;
    // The stated end of the stream in frames; -1 when it states none exactly.
    int64_t endFrame_ = -1;
    std::string error_;
};

}  // namespace

std::unique_ptr<AudioFileDecoder> openAudioFile(const std::string& hostPath, std::string& error) {
    return openFfmpegDecoder<AudioFileDecoder, FfmpegAudioDecoder>(hostPath, nullptr, error);
}

std::unique_ptr<AudioFileDecoder> openAudioMemory(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                                  std::string& error) {
    if (!bytes) bytes = std::make_shared<const std::vector<uint8_t>>();
    return openFfmpegDecoder<AudioFileDecoder, FfmpegAudioDecoder>("", std::move(bytes), error);
}

}  // namespace rs::platform
