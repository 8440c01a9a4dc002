#include "snd/music_files.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rs::tools {

namespace {

void put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putBig16(std::string& out, uint32_t v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

void putBig32(std::string& out, uint32_t v) {
    putBig16(out, v >> 16);
    putBig16(out, v & 0xFFFF);
}

// A name field of `size` bytes, padded with NULs.
void putName(std::string& out, const char* name, size_t size) {
    std::string field(name);
    field.resize(size, '\0');
    out += field;
}

// A RIFF chunk (padded to an even size).
std::string chunk(const char* id, const std::string& body) {
    std::string out(id, 4);
    put32(out, static_cast<uint32_t>(body.size()));
    out += body;
    if (body.size() & 1) out += '\0';
    return out;
}

std::string list(const char* type, const std::string& body) {
    return chunk("LIST", std::string(type, 4) + body);
}

// A file in memory that a muxer writes and seeks in (FLAC's header is completed at the end).
struct MemoryFile {
    std::string bytes;
    size_t pos = 0;

    static int write(void* opaque, uint8_t* buf, int size) {
        auto* f = static_cast<MemoryFile*>(opaque);
        if (f->bytes.size() < f->pos + static_cast<size_t>(size))
            f->bytes.resize(f->pos + static_cast<size_t>(size));
        std::memcpy(f->bytes.data() + f->pos, buf, static_cast<size_t>(size));
        f->pos += static_cast<size_t>(size);
        return size;
    }

    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* f = static_cast<MemoryFile*>(opaque);
        if (whence & AVSEEK_SIZE) return static_cast<int64_t>(f->bytes.size());
        int64_t base = (whence & ~AVSEEK_FORCE) == SEEK_CUR ? static_cast<int64_t>(f->pos)
                       : (whence & ~AVSEEK_FORCE) == SEEK_END
                           ? static_cast<int64_t>(f->bytes.size())
                           : 0;
        if (base + offset < 0) return -1;
        f->pos = static_cast<size_t>(base + offset);
        return base + offset;
    }
};

void putQuantity(std::string& out, uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7F);
    while (v >>= 7) bytes[n++] = static_cast<char>(0x80 | (v & 0x7F));
    while (n > 0) out += bytes[--n];
}

}  // namespace

std::string makeSoundFont(bool square, int cycle, int rootKey) {
    constexpr int kCycles = 8;
    const int frames = cycle * kCycles;
    std::string samples;
    for (int i = 0; i < frames; ++i) {
        double phase = 2 * M_PI * (i % cycle) / cycle;
        double v = square ? (i % cycle < cycle / 2 ? 0.5 : -0.5) : 0.5 * std::sin(phase);
        put16(samples, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))));
    }
    // Every sample is followed by at least 46 silent ones.
    samples.append(46 * 2, '\0');

    std::string info = chunk("ifil", std::string("\x02\x00\x01\x00", 4)) +
                       chunk("isng", std::string("EMU8000\0", 8)) +
                       chunk("INAM", std::string("Test\0\0", 6));
    std::string sdta = chunk("smpl", samples);

    std::string phdr;
    putName(phdr, "Test", 20);
    put16(phdr, 0);  // preset
    put16(phdr, 0);  // bank
    put16(phdr, 0);  // first bag
    put32(phdr, 0);
    put32(phdr, 0);
    put32(phdr, 0);
    putName(phdr, "EOP", 20);
    put16(phdr, 0);
    put16(phdr, 0);
    put16(phdr, 1);
    put32(phdr, 0);
    put32(phdr, 0);
    put32(phdr, 0);

    std::string pbag;
    put16(pbag, 0);
    put16(pbag, 0);
    put16(pbag, 1);
    put16(pbag, 0);
    std::string pmod(10, '\0');
    std::string pgen;
    put16(pgen, 41);  // instrument
    put16(pgen, 0);
    put32(pgen, 0);

    std::string inst;
    putName(inst, "TestInstrument", 20);
    put16(inst, 0);
    putName(inst, "EOI", 20);
    put16(inst, 1);
    std::string ibag;
    put16(ibag, 0);
    put16(ibag, 0);
    put16(ibag, 3);
    put16(ibag, 0);
    std::string imod(10, '\0');
    std::string igen;
    put16(igen, 58);  // overriding root key
    put16(igen, static_cast<uint32_t>(rootKey));
    put16(igen, 54);  // sample modes: loop continuously
    put16(igen, 1);
    put16(igen, 53);  // sample id (last)
    put16(igen, 0);
    put32(igen, 0);

    std::string shdr;
    putName(shdr, "TestWave", 20);
    put32(shdr, 0);
    put32(shdr, static_cast<uint32_t>(frames));
    put32(shdr, static_cast<uint32_t>(2 * cycle));
    put32(shdr, static_cast<uint32_t>(6 * cycle));
    put32(shdr, 44100);
    shdr += static_cast<char>(rootKey);
    shdr += '\0';
    put16(shdr, 0);
    put16(shdr, 1);  // mono
    putName(shdr, "EOS", 20);
    shdr.append(26, '\0');

    std::string pdta = chunk("phdr", phdr) + chunk("pbag", pbag) + chunk("pmod", pmod) +
                       chunk("pgen", pgen) + chunk("inst", inst) + chunk("ibag", ibag) +
                       chunk("imod", imod) + chunk("igen", igen) + chunk("shdr", shdr);
    return chunk("RIFF", "sfbk" + list("INFO", info) + list("sdta", sdta) + list("pdta", pdta));
}

std::string makeMidiFile(const std::vector<MidiTrack>& tracks, uint16_t division,
                         uint32_t endTick) {
    std::string out = "MThd";
    putBig32(out, 6);
    putBig16(out, tracks.size() == 1 ? 0 : 1);
    putBig16(out, static_cast<uint32_t>(tracks.size()));
    putBig16(out, division);
    for (const MidiTrack& track : tracks) {
        MidiTrack sorted = track;
        std::stable_sort(
            sorted.begin(), sorted.end(),
            [](const MidiMessage& a, const MidiMessage& b) { return a.tick < b.tick; });
        std::string body;
        uint32_t tick = 0;
        uint8_t running = 0;
        for (const MidiMessage& m : sorted) {
            if (m.bytes.empty()) continue;
            putQuantity(body, m.tick - tick);
            tick = m.tick;
            auto status = static_cast<uint8_t>(m.bytes[0]);
            if (status == 0xFF) {
                body += m.bytes.substr(0, 2);
                putQuantity(body, static_cast<uint32_t>(m.bytes.size() - 2));
                body += m.bytes.substr(2);
                running = 0;
            } else if (status == 0xF0) {
                std::string rest = m.bytes.substr(1);
                if (rest.empty() || static_cast<uint8_t>(rest.back()) != 0xF7) rest += '\xF7';
                body += '\xF0';
                putQuantity(body, static_cast<uint32_t>(rest.size()));
                body += rest;
                running = 0;
            } else {
                body += status == running ? m.bytes.substr(1) : m.bytes;
                running = status;
            }
        }
        putQuantity(body, std::max(tick, endTick) - tick);
        body += std::string("\xFF\x2F\x00", 3);
        out += "MTrk";
        putBig32(out, static_cast<uint32_t>(body.size()));
        out += body;
    }
    return out;
}

MidiMessage noteOn(uint32_t tick, int channel, int key, int velocity) {
    return {
        tick,
        {static_cast<char>(0x90 | channel), static_cast<char>(key), static_cast<char>(velocity)}};
}

MidiMessage noteOff(uint32_t tick, int channel, int key) {
    return {tick, {static_cast<char>(0x80 | channel), static_cast<char>(key), 0}};
}

MidiMessage controller(uint32_t tick, int channel, int number, int value) {
    return {
        tick,
        {static_cast<char>(0xB0 | channel), static_cast<char>(number), static_cast<char>(value)}};
}

MidiMessage program(uint32_t tick, int channel, int number) {
    return {tick, {static_cast<char>(0xC0 | channel), static_cast<char>(number)}};
}

MidiMessage tempo(uint32_t tick, uint32_t usPerQuarter) {
    return {tick,
            {'\xFF', '\x51', static_cast<char>(usPerQuarter >> 16),
             static_cast<char>(usPerQuarter >> 8), static_cast<char>(usPerQuarter)}};
}

std::string encodeFlac(const std::vector<int16_t>& samples, int channels, int rate) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FLAC);
    AVFormatContext* oc = nullptr;
    if (!codec || avformat_alloc_output_context2(&oc, nullptr, "flac", nullptr) < 0) return {};
    AVCodecContext* c = avcodec_alloc_context3(codec);
    AVStream* st = avformat_new_stream(oc, nullptr);
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    MemoryFile file;
    auto* ioBuffer = static_cast<unsigned char*>(av_malloc(4096));
    AVIOContext* io = ioBuffer ? avio_alloc_context(ioBuffer, 4096, 1, &file, nullptr,
                                                    &MemoryFile::write, &MemoryFile::seek)
                               : nullptr;
    bool ok = c && st && frame && packet && io;
    if (ok) {
        c->sample_fmt = AV_SAMPLE_FMT_S16;
        c->sample_rate = rate;
        av_channel_layout_default(&c->ch_layout, channels);
        c->time_base = {1, rate};
        ok = avcodec_open2(c, codec, nullptr) >= 0 &&
             avcodec_parameters_from_context(st->codecpar, c) >= 0;
    }
    if (ok) {
        st->time_base = {1, rate};
        oc->pb = io;
        oc->flags |= AVFMT_FLAG_CUSTOM_IO;
        ok = avformat_write_header(oc, nullptr) >= 0;
    }
    auto drain = [&] {
        while (avcodec_receive_packet(c, packet) == 0) {
            av_packet_rescale_ts(packet, c->time_base, st->time_base);
            packet->stream_index = st->index;
            av_interleaved_write_frame(oc, packet);
        }
    };
    const size_t total = samples.size() / static_cast<size_t>(channels);
    for (size_t at = 0; ok && at < total;) {
        int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(c->frame_size), total - at));
        av_frame_unref(frame);
        frame->nb_samples = n;
        frame->format = AV_SAMPLE_FMT_S16;
        frame->sample_rate = rate;
        av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
        if (av_frame_get_buffer(frame, 0) < 0) {
            ok = false;
            break;
        }
        std::memcpy(frame->data[0], samples.data() + at * static_cast<size_t>(channels),
                    static_cast<size_t>(n) * static_cast<size_t>(channels) * 2);
        frame->pts = static_cast<int64_t>(at);
        ok = avcodec_send_frame(c, frame) >= 0;
        drain();
        at += static_cast<size_t>(n);
    }
    if (ok) {
        avcodec_send_frame(c, nullptr);
        drain();
        ok = av_write_trailer(oc) >= 0;
        avio_flush(io);
    }
    if (oc) oc->pb = nullptr;
    if (io) {
        av_freep(&io->buffer);
        avio_context_free(&io);
    } else {
        av_free(ioBuffer);
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&c);
    avformat_free_context(oc);
    return ok ? file.bytes : std::string();
}

}  // namespace rs::tools
