// Sound files that are broken, cut short or hostile: a clear message where the engine gives one,
// silence where it does not, never a crash or a hang.
#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <random>

#include "snd/ogg_encode.h"
#include "sound/ogg_decoder.h"
#include "sound/sound_state.h"
#include "sound/sound_support.h"

namespace rs::test {
namespace {

// Offsets of every "OggS" in the file.
std::vector<size_t> pageStarts(const std::string& ogg) {
    std::vector<size_t> at;
    for (size_t p = ogg.find("OggS"); p != std::string::npos; p = ogg.find("OggS", p + 1))
        at.push_back(p);
    return at;
}

// One Ogg page holding one packet.
std::string onePage(const std::string& packetBytes, bool first) {
    ogg_stream_state os;
    ogg_stream_init(&os, 5);
    ogg_packet p{};
    std::string copy = packetBytes;
    p.packet = reinterpret_cast<unsigned char*>(copy.data());
    p.bytes = static_cast<long>(copy.size());
    p.b_o_s = first ? 1 : 0;
    ogg_stream_packetin(&os, &p);
    ogg_page page;
    std::string out;
    while (ogg_stream_flush(&os, &page) != 0) {
        out.append(reinterpret_cast<char*>(page.header), static_cast<size_t>(page.header_len));
        out.append(reinterpret_cast<char*>(page.body), static_cast<size_t>(page.body_len));
    }
    ogg_stream_clear(&os);
    return out;
}

// A first page whose only packet goes on past it (every lacing value 255).
std::string unfinishedPacketPage() {
    std::string header = std::string("OggS") + '\0' + '\x02' + std::string(8, '\0') +
                         std::string("\x05\0\0\0", 4) + std::string(8, '\0') + '\x04' +
                         std::string(4, '\xff');
    std::string body(4 * 255, 'v');
    ogg_page page{};
    page.header = reinterpret_cast<unsigned char*>(header.data());
    page.header_len = static_cast<long>(header.size());
    page.body = reinterpret_cast<unsigned char*>(body.data());
    page.body_len = static_cast<long>(body.size());
    ogg_page_checksum_set(&page);
    return header + body;
}

struct Opened {
    std::vector<std::string> boxes;
    std::string log;
    std::vector<int16_t> heard;
};

// Opens and plays the file in a loop for `ms`.
Opened openAndPlay(const std::string& name, const std::string& bytes, int ms = 300) {
    SoundGame g;
    g.file(name, bytes);
    g.run(openInto(1, name) + playVar(1, 1) + waitMs(ms));
    Opened o{g.game.boxTexts("soundエラー"), g.game.log(), {}};
    o.heard = g.capture();
    return o;
}

std::string box(const std::string& name, int code) {
    return "Oggデータに異常がありました\n(" + name + ":エラーコード" + std::to_string(code) + ")";
}

TEST(BadSoundInput, OggHeadersThatFailGiveTheirCodeAndLogEntry) {
    std::string good = oggChirp(20000);
    std::vector<size_t> pages = pageStarts(good);
    ASSERT_GE(pages.size(), 3u);
    struct Row {
        std::string bytes;
        int code;
        const char* text;
    };
    // Headers over many pages, one of them missing: a hole in the header packets.
    std::string big = oggChirp(2000, {{"COMMENT", std::string(200000, 'c')}});
    std::vector<size_t> bigPages = pageStarts(big);
    ASSERT_GE(bigPages.size(), 4u);
    std::string holedHeaders = big.substr(0, bigPages[2]) + big.substr(bigPages[3]);
    const std::vector<Row> rows = {
        {"this is not an Ogg file at all, just text" + std::string(5000, 'x'), -2, "error1"},
        {good.substr(0, pages[1]), -6, "error6"},
        {onePage("not a vorbis header", true), -5, "error4"},
        {unfinishedPacketPage(), -4, "error3"},
        {holedHeaders, -8, "error5"},
    };
    for (const Row& r : rows) {
        Opened o = openAndPlay("bad.ogg", r.bytes);
        EXPECT_EQ(o.boxes, std::vector<std::string>{box("bad.ogg", r.code)}) << r.text;
        EXPECT_NE(o.log.find(std::string("Sndskip\r\n") + r.text + "\r\n"), std::string::npos)
            << r.text << o.log;
        EXPECT_EQ(o.heard, std::vector<int16_t>(o.heard.size(), 0));
    }
}

TEST(BadSoundInput, EmptyFilesAndHeadersWithoutSound) {
    // An empty file loads as nothing: silent, without a message.
    Opened empty = openAndPlay("empty.ogg", "");
    EXPECT_TRUE(empty.boxes.empty());
    // Headers without any audio packet cannot be played: reported like other bad data.
    std::string cut = oggChirp(20000);
    cut.resize(pageStarts(cut)[2] + 10);
    Opened noPacket = openAndPlay("c.ogg", cut);
    EXPECT_EQ(noPacket.boxes, std::vector<std::string>{box("c.ogg", -9)});
}

TEST(BadSoundInput, CutAndHoledAudioPlaysWhatIsThere) {
    std::string good = oggChirp(441000);
    std::vector<int16_t> ref = referenceDecode(good);
    std::vector<size_t> pages = pageStarts(good);
    ASSERT_GE(pages.size(), 6u);
    // Cut in the middle of a page: the pages before it play, then (loop) from the start again.
    std::string cut = good.substr(0, pages[4] + 100);
    Opened c = openAndPlay("cut.ogg", cut, 2000);
    EXPECT_TRUE(c.boxes.empty());
    EXPECT_EQ(frames(c.heard, 0, 2000), frames(ref, 0, 2000));
    // Garbage between two audio pages: the log entry, and no hang in a loop.
    std::string holed = good;
    holed.insert(pages[4], "garbage between pages");
    Opened h = openAndPlay("holed.ogg", holed, 3000);
    EXPECT_NE(h.log.find("Sndcopy\r\nerror8\r\n"), std::string::npos);
    EXPECT_EQ(frames(h.heard, 0, 2000), frames(ref, 0, 2000));
}

TEST(BadSoundInput, HugeHeadersAndFlippedBytes) {
    // A comment of 300 KB spreads the headers over many pages.
    std::string big = oggChirp(8000, {{"COMMENT", std::string(300000, 'c')}, {"LOOPEND", "4000"}});
    Opened b = openAndPlay("big.ogg", big, 200);
    EXPECT_TRUE(b.boxes.empty());
    EXPECT_EQ(frames(b.heard, 4000, 8000), frames(b.heard, 0, 4000));
    // Bytes flipped anywhere: whatever plays, the run goes on.
    std::string good = oggChirp(30000, {{"LOOPSTART", "100"}, {"LOOPLENGTH", "9000"}});
    std::mt19937 rng(11);
    for (int round = 0; round < 24; ++round) {
        std::string hostile = good;
        for (int k = 0; k < 1 + round % 5; ++k) {
            size_t at = rng() % hostile.size();
            hostile[at] = static_cast<char>(rng());
        }
        Opened o = openAndPlay("h.ogg", hostile, 400);
        EXPECT_EQ(o.heard.size(), 17640u * 2) << round;
    }
}

TEST(BadSoundInput, LoopPointsThatCannotPlayDoNotHang) {
    std::string past = oggChirp(10000, {{"LOOPSTART", "100000"}, {"LOOPEND", "5000"}});
    std::string backwards = oggChirp(10000, {{"LOOPSTART", "6000"}, {"LOOPLENGTH", "-3000"}});
    std::string zero = oggChirp(10000, {{"LOOPSTART", "0"}, {"LOOPEND", "0"}});
    std::string beyond = oggChirp(10000, {{"LOOPSTART", "2000"}, {"LOOPEND", "99999999"}});
    // A start at or after the end is a loop that never comes back: played as no loop at all.
    for (const std::string* ogg : {&past, &backwards}) {
        Opened o = openAndPlay("a.ogg", *ogg, 700);
        std::vector<int16_t> ref = referenceDecode(*ogg);
        EXPECT_EQ(frames(o.heard, 0, 10000), ref);
        EXPECT_EQ(frames(o.heard, 10000, 20000), ref);
    }
    // An end at 0 plays nothing, in a loop too.
    Opened z = openAndPlay("z.ogg", zero, 500);
    EXPECT_EQ(z.heard, std::vector<int16_t>(z.heard.size(), 0));
    // An end past the data: the data's end comes first.
    Opened b = openAndPlay("b.ogg", beyond, 700);
    EXPECT_EQ(frames(b.heard, 10000, 20000), frames(b.heard, 0, 10000));

    // A loop of ten samples restarts the decoder 16 times in a block at most: then the block
    // ends in silence instead of holding up the game.
    std::string tiny = oggChirp(20000, {{"LOOPSTART", "100"}, {"LOOPLENGTH", "10"}});
    std::vector<int16_t> tinyRef = referenceDecode(tiny);
    Opened t = openAndPlay("t.ogg", tiny, 500);
    EXPECT_EQ(frames(t.heard, 0, 110), frames(tinyRef, 0, 110));
    for (int round = 0; round < 16; ++round)
        EXPECT_EQ(frames(t.heard, 110 + round * 10, 120 + round * 10), frames(tinyRef, 100, 110));
    EXPECT_EQ(frames(t.heard, 270, 8192), std::vector<int16_t>((8192 - 270) * 2, 0));

    sound::OggDecoder d(reinterpret_cast<const uint8_t*>(past.data()),
                        static_cast<int32_t>(past.size()), nullptr);
    ASSERT_EQ(d.parseHeaders(), 0);
    EXPECT_EQ(d.commentLoopPoints().start, 100000);
    EXPECT_EQ(d.loopPoints().end, -1);
}

TEST(BadSoundInput, DurationScanNeedsAWholePageHeader) {
    std::string ogg = oggChirp(44100);
    EXPECT_EQ(sound::oggDuration(reinterpret_cast<const uint8_t*>(ogg.data()),
                                 static_cast<int32_t>(ogg.size())),
              1000);
    // "OggS" in the last 13 bytes has no room for a granule position: the page before counts.
    std::string tail = ogg + "OggS\x01\x02";
    EXPECT_EQ(sound::oggDuration(reinterpret_cast<const uint8_t*>(tail.data()),
                                 static_cast<int32_t>(tail.size())),
              1000);
    // Only at offset 0, or nowhere: 0.
    const std::string lone = "OggS" + std::string(40, '\0');
    EXPECT_EQ(sound::oggDuration(reinterpret_cast<const uint8_t*>(lone.data()),
                                 static_cast<int32_t>(lone.size())),
              0);
    // A granule position of -1 and a huge one.
    std::string page =
        "xOggS" + std::string(2, '\0') + std::string(8, '\xff') + std::string(20, '\0');
    EXPECT_EQ(sound::oggDuration(reinterpret_cast<const uint8_t*>(page.data()),
                                 static_cast<int32_t>(page.size())),
              0);
    page.replace(7, 8, std::string(7, '\xff') + '\x7f');
    sound::oggDuration(reinterpret_cast<const uint8_t*>(page.data()),
                       static_cast<int32_t>(page.size()));
}

TEST(BadSoundInput, HostileWaveFiles) {
    std::string pcm = tools::makeWave16(std::vector<int16_t>(2000, 100), 2, 44100);
    std::vector<std::string> files = {
        "RIFF....WAVEfmt ",                                        // the format cut off
        "RIFF....WAVEfmt " + std::string(20, '\x01'),              // no samples
        "data" + std::string(3, '\0'),                             // a size cut off
        pcm.substr(0, pcm.size() - 1000),                          // samples cut short
        tools::makeWave(1, 0, 0, 16, std::string(400, '\1')),      // no channels, no rate
        tools::makeWave(1, 9, 44100, 16, std::string(400, '\1')),  // nine channels
        tools::makeWave(2, 1, 22050, 4, std::string(400, '\1')),   // ADPCM: silent
        std::string(3, 'x'),
    };
    for (size_t i = 0; i < files.size(); ++i) {
        SoundGame g;
        g.file("w.wav", files[i]);
        g.run(openInto(1, "w.wav") + playVar(1, 1) + waitMs(100) + call("sndstop", {0}) +
              playVar(1, 0) + waitMs(100));
        std::vector<int16_t> heard = g.capture();
        EXPECT_EQ(heard.size(), 8820u * 2) << i;
        for (const auto& b : g.game.boxes()) EXPECT_EQ(b.text, "buffer(2) DSERR_BADFORMAT\n") << i;
    }
}

}  // namespace
}  // namespace rs::test
