#include "snd/ogg_encode.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cstring>

namespace rs::tools {

namespace {

void appendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

void put(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string encodeOggVorbis(const std::vector<float>& interleaved, int channels, int rate,
                            const SoundComments& comments, float quality) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (channels < 1 || vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
        vorbis_info_clear(&info);
        return {};
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    for (const auto& [tag, value] : comments) {
        vorbis_comment_add_tag(&comment, tag.c_str(), value.c_str());
    }
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x52756e65);

    std::string out;
    ogg_packet id, comments_packet, setup;
    vorbis_analysis_headerout(&dsp, &comment, &id, &comments_packet, &setup);
    ogg_stream_packetin(&stream, &id);
    ogg_stream_packetin(&stream, &comments_packet);
    ogg_stream_packetin(&stream, &setup);
    ogg_page page;
    // The headers end on a page of their own, so audio starts on a new page.
    while (ogg_stream_flush(&stream, &page) != 0) appendPage(out, page);

    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    const size_t step = 1024;
    for (size_t at = 0;;) {
        size_t n = std::min(step, frames - at);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);  // the end
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i) {
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = interleaved[(at + i) * static_cast<size_t>(channels) +
                                               static_cast<size_t>(c)];
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) appendPage(out, page);
            }
        }
        if (n == 0) break;
        at += n;
    }
    while (ogg_stream_flush(&stream, &page) != 0) appendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::string makeWave(int formatTag, int channels, int rate, int bits, const std::string& data) {
    int align = channels * bits / 8;
    std::string w = "RIFF";
    put(w, static_cast<uint32_t>(36 + data.size()), 4);
    w += "WAVEfmt ";
    put(w, 16, 4);
    put(w, static_cast<uint32_t>(formatTag), 2);
    put(w, static_cast<uint32_t>(channels), 2);
    put(w, static_cast<uint32_t>(rate), 4);
    put(w, static_cast<uint32_t>(rate * align), 4);
    put(w, static_cast<uint32_t>(align), 2);
    put(w, static_cast<uint32_t>(bits), 2);
    w += "data";
    put(w, static_cast<uint32_t>(data.size()), 4);
    return w + data;
}

std::string makeWave16(const std::vector<int16_t>& samples, int channels, int rate) {
    std::string data;
    for (int16_t s : samples) put(data, static_cast<uint16_t>(s), 2);
    return makeWave(1, channels, rate, 16, data);
}

}  // namespace rs::tools
