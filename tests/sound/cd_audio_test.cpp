// CD audio from ripped tracks: every naming scheme and folder, the formats, to the end of each
// track, repeat and close, and the decoding door it plays through.
#include <gtest/gtest.h>

#include <memory>

#include "platform/audio_file_decoder.h"
#include "snd/ogg_encode.h"
#include "sound/cd_tracks.h"
#include "sound/music_support.h"
#include "sound/sound_state.h"

namespace rs::test {
namespace {

// The left sample at a time of the capture.
int16_t leftAt(const std::vector<int16_t>& c, double ms) {
    auto i = static_cast<size_t>(ms * 44.1) * 2;
    return i < c.size() ? c[i] : int16_t{-32768};
}

// All frames of a decoder.
std::vector<int16_t> decodeAll(platform::AudioFileDecoder& d) {
    std::vector<int16_t> out;
    std::vector<int16_t> piece(2 * 1000);
    for (;;) {
        int32_t n = d.read(piece.data(), 1000);
        out.insert(out.end(), piece.begin(), piece.begin() + 2 * n);
        if (n < 1000) return out;
    }
}

TEST(CdAudio, TracksAreFoundInEveryNamingSchemeAndFolder) {
    TempDir dir;
    std::string game = dir.path() + "/game", data = dir.path() + "/data";
    for (const char* name :
         {"game/cd/track02.wav", "game/CD/Track03.flac", "game/yukibana/04.ogg", "game/track05.mp3",
          "game/06.opus", "data/cd/track07.wav", "data/Track08.ogg",
          // lower ranks of tracks found above
          "game/track02.wav", "data/cd/track02.wav", "game/cd/track03.flac", "game/cd/Track02.ogg",
          "game/cd/02.wav", "game/cd/track02.ogg", "game/cd/track03.ogg", "game/cd/track03.OGG",
          // names copied from a Windows disc
          "game/cd/track09.WAV", "game/cd/TRACK10.OGG",
          // not tracks
          "game/cd/track1.wav", "game/cd/track100.wav", "game/cd/track00.wav",
          "game/cd/track11.aiff", "game/cd/xtrack11.wav", "game/cd/tRaCk11.wav"}) {
        dir.write(name, "x");
    }
    std::map<int32_t, std::string> t = sound::findCdTracks({game, data}, "yukibana");
    std::map<int32_t, std::string> expected = {
        {2, game + "/cd/track02.ogg"},  {3, game + "/cd/track03.ogg"},
        {4, game + "/yukibana/04.ogg"}, {5, game + "/track05.mp3"},
        {6, game + "/06.opus"},         {7, data + "/cd/track07.wav"},
        {8, data + "/Track08.ogg"},     {9, game + "/cd/track09.WAV"},
        {10, game + "/cd/TRACK10.OGG"}};
    EXPECT_EQ(t, expected);
    // The CD folder name may not lead out of the game folder; without places nothing is found.
    dir.write("outside/track12.wav", "x");
    EXPECT_EQ(sound::findCdTracks({game}, "../outside").count(12), 0u);
    EXPECT_TRUE(sound::findCdTracks({"", dir.path() + "/none"}, "").empty());
}

TEST(CdAudio, ATrackPlaysToItsEndAndClosesOrRepeats) {
    MusicGame g;
    g.file("cd/track02.wav", levelTrack(1000, 100));
    g.file("cd/track03.wav", levelTrack(2000, 100));
    g.file("cd/track04.wav", levelTrack(3000, 100));
    // Track 3 once, then the last track (4) repeating.
    g.run(cdPlay(3, 0) + waitMs(200) + cdPlay(4, 1) + waitMs(350));
    EXPECT_EQ(g.e.sound->music.cdTrackCount, 4);
    EXPECT_EQ(g.e.sound->music.cdTrack, 4);
    EXPECT_EQ(g.e.sound->music.cdRepeatTrack, 4);
    std::vector<int16_t> c = g.capture();
    // Track 3 is heard to its own end (the start of track 4), exactly, then nothing.
    EXPECT_EQ(leftAt(c, 0), 2000);
    EXPECT_EQ(c[1], -2000);
    EXPECT_EQ(leftAt(c, 99.9), 2000);
    EXPECT_EQ(peak(c, 100.1, 199.9), 0);
    // Track 4 over and over without a gap.
    for (double ms : {200.0, 250.0, 299.9, 300.0, 350.0, 400.0, 549.0})
        EXPECT_EQ(leftAt(c, ms), 3000) << ms;
}

TEST(CdAudio, RepeatZeroClosesAtTheEnd) {
    MusicGame g;
    g.file("cd/track02.wav", levelTrack(1000, 100));
    g.run(cdPlay(2, 0) + waitMs(150));
    EXPECT_EQ(g.e.sound->music.cdVoice, 0u);
    EXPECT_EQ(g.e.sound->music.cdRepeatTrack, -1);
    EXPECT_EQ(peak(g.capture(), 101, 150), 0);
}

TEST(CdAudio, OggAndFlacTracksPlayAndRepeatTheSame) {
    std::vector<int16_t> tone = toneSamples(4410);  // 100 ms
    for (const char* kind : {"ogg", "flac"}) {
        MusicGame g;
        std::string file = kind == std::string("ogg")
                               ? tools::encodeOggVorbis(chirp(4410, 2), 2, 44100)
                               : tools::encodeFlac(tone, 2, 44100);
        ASSERT_FALSE(file.empty()) << kind;
        g.file(std::string("track02.") + kind, file);
        g.run(cdPlay(2, 1) + waitMs(350));
        std::vector<int16_t> c = g.capture();
        ASSERT_GE(c.size(), 2u * 4410 * 3);
        std::vector<int16_t> first(c.begin(), c.begin() + 2 * 4410);
        std::vector<int16_t> second(c.begin() + 2 * 4410, c.begin() + 4 * 4410);
        EXPECT_EQ(first, second) << kind;
        if (kind == std::string("flac")) {
            EXPECT_EQ(first, tone);  // lossless: exactly the samples
        } else {
            EXPECT_GT(peak(c, 0, 100), 8000);
        }
    }
}

TEST(CdAudio, CdplayStopsTheTrackPlayingAndCdstopEndsIt) {
    MusicGame g;
    g.file("cd/track02.wav", levelTrack(1000, 1000));
    g.file("cd/track03.wav", levelTrack(2000, 1000));
    g.run(cdPlay(2, 1) + waitMs(100) + cdPlay(3, 1) + waitMs(100) + call("cdstop", {}) +
          waitMs(100) + call("cdstop", {}));
    std::vector<int16_t> c = g.capture();
    EXPECT_EQ(leftAt(c, 50), 1000);
    EXPECT_EQ(leftAt(c, 150), 2000);  // alone, not mixed with track 2
    EXPECT_EQ(peak(c, 200.1, 300), 0);
    EXPECT_EQ(g.e.sound->music.cdVoice, 0u);
}

TEST(CdAudio, WithoutTracksNothingPlaysAndAMissingOrDamagedTrackIsLogged) {
    MusicGame none;
    none.run(cdPlay(2, 1) + waitMs(50));
    EXPECT_EQ(none.e.sound->music.cdTrackCount, 0);
    EXPECT_EQ(peak(none.capture(), 0, 50), 0);
    EXPECT_EQ(none.game.log().find("CD"), std::string::npos);

    MusicGame g;
    g.file("cd/track02.wav", levelTrack(1000, 100));
    g.file("cd/track03.ogg", "OggS but then nothing that decodes at all, not even a header");
    g.file("cd/track04.flac", std::string(5000, '\x7F'));
    g.run(cdPlay(5, 1) + cdPlay(3, 1) + waitMs(50) + cdPlay(4, 0) + waitMs(50));
    EXPECT_EQ(g.e.sound->music.cdTrackCount, 4);
    EXPECT_EQ(g.e.sound->music.cdVoice, 0u);
    EXPECT_EQ(peak(g.capture(), 0, 100), 0);
    std::string log = g.game.log();
    EXPECT_NE(log.find("CDのトラック5が見つかりません"), std::string::npos) << log;
    EXPECT_NE(log.find("CDのトラックを再生できません"), std::string::npos) << log;
    EXPECT_NE(log.find("track03.ogg"), std::string::npos) << log;
    EXPECT_NE(log.find("track04.flac"), std::string::npos) << log;
    EXPECT_TRUE(g.game.boxes().empty());
}

TEST(CdAudio, TracksComeFromThePathFolderAndTheCdFolderName) {
    MusicGame g;
    TempDir data;
    data.write("Track05.wav", levelTrack(1500, 100));
    g.file("music/track06.wav", levelTrack(2500, 100));
    g.e.app.dataFolderPrefix = data.path();
    g.e.app.cdFolderName = "music";
    g.run(cdPlay(5, 0) + waitMs(100) + cdPlay(6, 0) + waitMs(100));
    std::vector<int16_t> c = g.capture();
    EXPECT_EQ(leftAt(c, 50), 1500);
    EXPECT_EQ(leftAt(c, 150), 2500);
    EXPECT_EQ(g.e.sound->music.cdTrackCount, 6);
}

TEST(AudioFileDecoder, ConvertsSeeksAndReportsLength) {
    TempDir dir;
    // 22050 Hz mono: converted to 44100 Hz and put on both sides.
    std::vector<int16_t> mono(22050, 0);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<int16_t>((i % 200) * 100);
    dir.write("mono.wav", tools::makeWave16(mono, 1, 22050));
    std::string error;
    auto d = platform::openAudioFile(dir.path() + "/mono.wav", error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ(d->durationFrames(), 44100);
    std::vector<int16_t> all = decodeAll(*d);
    EXPECT_NEAR(static_cast<double>(all.size()) / 2, 44100, 64);
    for (size_t i = 0; i < all.size(); i += 2) ASSERT_EQ(all[i], all[i + 1]) << i;
    EXPECT_EQ(d->read(all.data(), 10), 0);
    EXPECT_TRUE(d->error().empty());

    // 44100 Hz stereo from memory: exact samples, and exact after seeking.
    std::vector<int16_t> tone = toneSamples(20000);
    auto bytes = std::make_shared<std::vector<uint8_t>>();
    std::string wav = tools::makeWave16(tone, 2, 44100);
    bytes->assign(wav.begin(), wav.end());
    auto m = platform::openAudioMemory(bytes, error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(decodeAll(*m), tone);
    ASSERT_TRUE(m->seek(12345));
    EXPECT_EQ(m->position(), 12345);
    std::vector<int16_t> rest = decodeAll(*m);
    EXPECT_EQ(rest, std::vector<int16_t>(tone.begin() + 2 * 12345, tone.end()));
    EXPECT_EQ(m->position(), 20000);

    // FLAC: exact after a seek too.
    dir.write("t.flac", tools::encodeFlac(tone, 2, 44100));
    auto f = platform::openAudioFile(dir.path() + "/t.flac", error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->durationFrames(), 20000);
    ASSERT_TRUE(f->seek(7000));
    EXPECT_EQ(decodeAll(*f), std::vector<int16_t>(tone.begin() + 2 * 7000, tone.end()));

    // What is not a sound file.
    EXPECT_FALSE(platform::openAudioFile(dir.path() + "/none.ogg", error));
    EXPECT_EQ(error, "no such file");
    dir.write("text.ogg", std::string(3000, 'a'));
    EXPECT_FALSE(platform::openAudioFile(dir.path() + "/text.ogg", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(platform::openAudioMemory(nullptr, error));
}

TEST(AudioFileDecoder, ADamagedTrackPlaysWhatCanBeDecoded) {
    // A FLAC file with its middle overwritten: decoding goes on past the damage.
    std::vector<int16_t> tone = toneSamples(44100);
    std::string flac = tools::encodeFlac(tone, 2, 44100);
    ASSERT_GT(flac.size(), 20000u);
    for (size_t i = flac.size() / 2; i < flac.size() / 2 + 2000; ++i) flac[i] = '\x55';
    auto bytes = std::make_shared<std::vector<uint8_t>>(flac.begin(), flac.end());
    std::string error;
    auto d = platform::openAudioMemory(bytes, error);
    ASSERT_TRUE(d) << error;
    std::vector<int16_t> all = decodeAll(*d);
    EXPECT_GT(all.size(), tone.size() / 2);
    EXPECT_EQ(std::vector<int16_t>(all.begin(), all.begin() + 2000),
              std::vector<int16_t>(tone.begin(), tone.begin() + 2000));
    // Cut short (the headers and the padding after them stay whole): the rest is simply missing.
    auto cut =
        std::make_shared<std::vector<uint8_t>>(flac.begin(), flac.begin() + flac.size() * 2 / 3);
    auto c = platform::openAudioMemory(cut, error);
    ASSERT_TRUE(c) << error;
    EXPECT_LT(decodeAll(*c).size(), tone.size());
}

}  // namespace
}  // namespace rs::test
