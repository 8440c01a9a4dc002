#include "snd/movie_files.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rs::tools {

namespace {

constexpr int kSoundRate = 44100;

std::string reasonOf(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// One encoder and its stream in the file being written.
struct Track {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    ~Track() { avcodec_free_context(&codec); }
};

class MovieWriter {
  public:
    explicit MovieWriter(const MovieSpec& spec) : spec_(spec) {}
    ~MovieWriter() {
        sws_freeContext(sws_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        if (out_ && out_->pb) avio_closep(&out_->pb);
        avformat_free_context(out_);
    }

    bool write(const std::string& path, std::string& error) {
        const char* format = spec_.kind == MovieKind::Avi ? "avi" : "mpeg";
        int r = avformat_alloc_output_context2(&out_, nullptr, format, nullptr);
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (r < 0 || !frame_ || !packet_) return fail(error, "no muxer", r);
        if (!spec_.colours.empty() && (r = openVideo()) < 0) return fail(error, "video", r);
        if (spec_.soundMs > 0 && (r = openSound()) < 0) return fail(error, "sound", r);
        if ((r = avio_open(&out_->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
            return fail(error, "file", r);
        if ((r = avformat_write_header(out_, nullptr)) < 0) return fail(error, "header", r);
        int64_t soundFrames = int64_t{spec_.soundMs} * kSoundRate / 1000;
        size_t picture = 0;
        int64_t soundAt = 0;
        // Pictures and sound in time order, so the muxer interleaves them closely.
        while (picture < spec_.colours.size() || soundAt < soundFrames) {
            bool pictureFirst = picture < spec_.colours.size() &&
                                (soundAt >= soundFrames ||
                                 static_cast<int64_t>(picture) * kSoundRate < soundAt * spec_.fps);
            if (pictureFirst) {
                if ((r = encodePicture(picture++)) < 0) return fail(error, "picture", r);
            } else {
                if ((r = encodeSound(soundAt, soundFrames)) < 0) return fail(error, "sound", r);
            }
        }
        if (video_.codec && (r = flush(video_)) < 0) return fail(error, "video end", r);
        if (sound_.codec && (r = flush(sound_)) < 0) return fail(error, "sound end", r);
        if ((r = av_write_trailer(out_)) < 0) return fail(error, "trailer", r);
        return true;
    }

  private:
    static bool fail(std::string& error, const char* what, int code) {
        error = std::string(what) + ": " + reasonOf(code);
        return false;
    }

    int openVideo() {
        AVCodecID id = spec_.kind == MovieKind::Avi ? AV_CODEC_ID_MPEG4 : AV_CODEC_ID_MPEG1VIDEO;
        const AVCodec* codec = avcodec_find_encoder(id);
        if (!codec) return AVERROR_ENCODER_NOT_FOUND;
        video_.codec = avcodec_alloc_context3(codec);
        video_.stream = avformat_new_stream(out_, nullptr);
        if (!video_.codec || !video_.stream) return AVERROR(ENOMEM);
        AVCodecContext* c = video_.codec;
        c->width = spec_.width;
        c->height = spec_.height;
        c->time_base = {1, spec_.fps};
        c->framerate = {spec_.fps, 1};
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->gop_size = spec_.keyInterval;
        c->max_b_frames = 0;
        c->bit_rate = 400000;
        // Plain pictures at a near-lossless quantiser: colours come out close to what went in.
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * 2;
        if (out_->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int r = avcodec_open2(c, codec, nullptr);
        if (r < 0) return r;
        video_.stream->time_base = c->time_base;
        return avcodec_parameters_from_context(video_.stream->codecpar, c);
    }

    int openSound() {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
        if (!codec) return AVERROR_ENCODER_NOT_FOUND;
        sound_.codec = avcodec_alloc_context3(codec);
        sound_.stream = avformat_new_stream(out_, nullptr);
        if (!sound_.codec || !sound_.stream) return AVERROR(ENOMEM);
        AVCodecContext* c = sound_.codec;
        c->sample_fmt = AV_SAMPLE_FMT_S16;
        c->sample_rate = kSoundRate;
        av_channel_layout_default(&c->ch_layout, 2);
        c->bit_rate = 192000;
        c->time_base = {1, kSoundRate};
        if (out_->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int r = avcodec_open2(c, codec, nullptr);
        if (r < 0) return r;
        sound_.stream->time_base = c->time_base;
        return avcodec_parameters_from_context(sound_.stream->codecpar, c);
    }

    int drain(Track& t) {
        for (;;) {
            int r = avcodec_receive_packet(t.codec, packet_);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return 0;
            if (r < 0) return r;
            av_packet_rescale_ts(packet_, t.codec->time_base, t.stream->time_base);
            packet_->stream_index = t.stream->index;
            r = av_interleaved_write_frame(out_, packet_);
            if (r < 0) return r;
        }
    }

    int flush(Track& t) {
        int r = avcodec_send_frame(t.codec, nullptr);
        return r < 0 ? r : drain(t);
    }

    int encodePicture(size_t index) {
        AVCodecContext* c = video_.codec;
        av_frame_unref(frame_);
        frame_->format = c->pix_fmt;
        frame_->width = c->width;
        frame_->height = c->height;
        int r = av_frame_get_buffer(frame_, 0);
        if (r < 0) return r;
        // The colour as one row of BGRA pixels, converted for every row.
        std::vector<uint32_t> row(static_cast<size_t>(c->width),
                                  0xFF000000u | spec_.colours[index]);
        sws_ = sws_getCachedContext(sws_, c->width, 1, AV_PIX_FMT_BGRA, c->width, 1, c->pix_fmt,
                                    SWS_POINT, nullptr, nullptr, nullptr);
        if (!sws_) return AVERROR(EINVAL);
        std::vector<uint8_t> y(static_cast<size_t>(c->width)), u(y.size()), v(y.size());
        const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(row.data())};
        int srcStride[4] = {c->width * 4};
        uint8_t* dst[4] = {y.data(), u.data(), v.data()};
        int dstStride[4] = {c->width, c->width, c->width};
        // A one-row picture: the chroma row holds half the width.
        sws_scale(sws_, src, srcStride, 0, 1, dst, dstStride);
        for (int line = 0; line < c->height; ++line)
            std::memset(frame_->data[0] + line * frame_->linesize[0], y[0], c->width);
        for (int line = 0; line < (c->height + 1) / 2; ++line) {
            std::memset(frame_->data[1] + line * frame_->linesize[1], u[0], (c->width + 1) / 2);
            std::memset(frame_->data[2] + line * frame_->linesize[2], v[0], (c->width + 1) / 2);
        }
        frame_->pts = static_cast<int64_t>(index);
        r = avcodec_send_frame(c, frame_);
        return r < 0 ? r : drain(video_);
    }

    int encodeSound(int64_t& at, int64_t total) {
        AVCodecContext* c = sound_.codec;
        av_frame_unref(frame_);
        frame_->format = c->sample_fmt;
        frame_->sample_rate = c->sample_rate;
        frame_->nb_samples = c->frame_size;
        av_channel_layout_copy(&frame_->ch_layout, &c->ch_layout);
        int r = av_frame_get_buffer(frame_, 0);
        if (r < 0) return r;
        auto* samples = reinterpret_cast<int16_t*>(frame_->data[0]);
        for (int i = 0; i < c->frame_size; ++i) {
            int64_t n = at + i;
            double v =
                n < total ? spec_.soundLevel * std::sin(2 * M_PI * 1000.0 * n / kSoundRate) : 0.0;
            samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(std::lround(v));
        }
        frame_->pts = at;
        at += c->frame_size;
        r = avcodec_send_frame(c, frame_);
        return r < 0 ? r : drain(sound_);
    }

    const MovieSpec& spec_;
    AVFormatContext* out_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* sws_ = nullptr;
    Track video_;
    Track sound_;
};

}  // namespace

bool writeMovie(const std::string& path, const MovieSpec& spec, std::string* error) {
    // The muxers' advice on standard streams is not for a test's output.
    av_log_set_level(AV_LOG_QUIET);
    std::string why;
    MovieWriter writer(spec);
    bool ok = writer.write(path, why);
    if (!ok && error) *error = why;
    return ok;
}

std::vector<uint32_t> plainColours(uint32_t colour, int32_t count) {
    return std::vector<uint32_t>(static_cast<size_t>(std::max(count, 0)), colour);
}

}  // namespace rs::tools
