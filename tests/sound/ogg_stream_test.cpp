// Ogg Vorbis streams as a script plays them, heard through the capture on the virtual clock and
// compared sample by sample with libvorbisfile's decoding of the same file.
#include <gtest/gtest.h>

#include "data/archive_test_util.h"
#include "sound/ogg_decoder.h"
#include "sound/sound_state.h"
#include "sound/sound_support.h"

namespace rs::test {
namespace {

// The script starts at the capture's first frame: what it plays at once starts there.
std::string playOnce(const std::string& name, int mode, int ms) {
    return openInto(1, name) + playVar(1, mode) + waitMs(ms);
}

// What a script that plays the file in `mode` for `ms` makes heard.
std::vector<int16_t> played(const std::string& ogg, int mode, int ms) {
    SoundGame g;
    g.file("a.ogg", ogg);
    g.run(playOnce("a.ogg", mode, ms));
    return g.capture();
}

// frames [from, to) of the reference, repeated as the loop plays them.
std::vector<int16_t> loopExpectation(const std::vector<int16_t>& ref, int64_t loopStart,
                                     int64_t loopEnd, int64_t total) {
    std::vector<int16_t> out = frames(ref, 0, loopEnd);
    while (static_cast<int64_t>(out.size() / 2) < total) {
        std::vector<int16_t> again = frames(ref, loopStart, loopEnd);
        out.insert(out.end(), again.begin(), again.end());
    }
    out.resize(static_cast<size_t>(total) * 2);
    return out;
}

TEST(OggStreams, LoopPointsAreSampleExactInEveryPlayMode) {
    // LOOPSTART 1000 and LOOPLENGTH 5000: samples 0-5999, then 1000-5999 over and over.
    std::string ogg = oggChirp(20000, {{"LOOPSTART", "1000"}, {"LOOPLENGTH", "5000"}});
    std::vector<int16_t> ref = referenceDecode(ogg);
    ASSERT_EQ(ref.size(), 20000u * 2);
    for (int mode : {0, 1}) {
        std::vector<int16_t> heard = played(ogg, mode, 1000);
        // 1000 ms of engine time: 44100 frames, about 8 rounds of the loop.
        ASSERT_EQ(heard.size(), 44100u * 2) << mode;
        EXPECT_EQ(frames(heard, 0, 44100), loopExpectation(ref, 1000, 6000, 44100))
            << "mode " << mode;
    }
}

TEST(OggStreams, TheLengthWinsOverTheLoopEnd) {
    std::string ogg =
        oggChirp(20000, {{"LOOPSTART", "1000"}, {"LOOPEND", "9000"}, {"LOOPLENGTH", "5000"}});
    EXPECT_EQ(frames(played(ogg, 0, 500), 0, 20000),
              loopExpectation(referenceDecode(ogg), 1000, 6000, 20000));
}

TEST(OggStreams, LoopEndAloneJumpsToTheStartAndLoopStartAloneDoesNothing) {
    std::string endOnly = oggChirp(20000, {{"LOOPEND", "7000"}});
    std::string startOnly = oggChirp(20000, {{"LOOPSTART", "3000"}});
    EXPECT_EQ(frames(played(endOnly, 0, 500), 0, 20000),
              loopExpectation(referenceDecode(endOnly), 0, 7000, 20000));
    // Played once: the whole file, then silence.
    std::vector<int16_t> heard = played(startOnly, 0, 1000);
    EXPECT_EQ(frames(heard, 0, 20000), referenceDecode(startOnly));
    EXPECT_EQ(frames(heard, 20000, 44100), std::vector<int16_t>((44100 - 20000) * 2, 0));
}

TEST(OggStreams, WithoutLoopPointsALoopRestartsAtSampleZero) {
    std::string ogg = oggChirp(12345);
    std::vector<int16_t> ref = referenceDecode(ogg);
    ASSERT_EQ(ref.size(), 12345u * 2);
    EXPECT_EQ(frames(played(ogg, 1, 1000), 0, 44100), loopExpectation(ref, 0, 12345, 44100));
}

TEST(OggStreams, LoopCommentsFollowTheNumberAndNameRules) {
    // Names in any case, the first comment of a name, blanks and a sign before the digits,
    // the number ending at the first other character.
    std::string ogg =
        oggChirp(20000, {{"loopStart", " +2000xyz"}, {"LOOPSTART", "5"}, {"LoopLength", "3000.9"}});
    EXPECT_EQ(frames(played(ogg, 0, 500), 0, 20000),
              loopExpectation(referenceDecode(ogg), 2000, 5000, 20000));

    vorbis_comment c;
    vorbis_comment_init(&c);
    vorbis_comment_add_tag(&c, "LOOPSTART", "abc");
    vorbis_comment_add_tag(&c, "LOOPEND", "-40");
    sound::LoopPoints loops = sound::readLoopPoints(c);
    EXPECT_EQ(loops.start, 0);
    EXPECT_EQ(loops.end, -40);
    vorbis_comment_clear(&c);
    EXPECT_EQ(sound::commentNumber("99999999999"), INT32_MAX);
    EXPECT_EQ(sound::commentNumber("\t-12"), -12);
    EXPECT_EQ(sound::commentNumber(""), 0);
}

TEST(OggStreams, LengthIsTheLastGranuleOver44100) {
    // 22050 Hz: the reported length is half the real one, and the file plays at double speed
    // (the output is fixed at 44100 Hz).
    std::string slow = oggChirp(22050, {}, 2, 22050);
    std::string mono = oggChirp(30000, {}, 1, 44100);
    SoundGame g;
    g.file("slow.ogg", slow);
    g.file("mono.ogg", mono);
    g.run(openInto(1, "slow.ogg") + openInto(3, "mono.ogg") + remainInto(2, 1) + remainInto(4, 3) +
          playVar(1, 0) + waitMs(300) + remainInto(5, 1) + waitMs(1000) + remainInto(6, 1));
    EXPECT_EQ(g.global(2), 500);  // 22050 x 1000 / 44100
    EXPECT_EQ(g.global(4), 680);  // 30000 x 1000 / 44100, rounded down
    EXPECT_EQ(g.global(5), 200);  // counting down from the play
    EXPECT_EQ(g.global(6), 0);    // and no lower
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(frames(heard, 0, 22050), referenceDecode(slow));
    EXPECT_EQ(frames(heard, 22050, 30000), std::vector<int16_t>((30000 - 22050) * 2, 0));
    // A mono file plays its channel on both sides.
    std::vector<int16_t> ref = referenceDecode(mono);
    EXPECT_EQ(frames(played(mono, 0, 100), 0, 4410), frames(ref, 0, 4410));
    EXPECT_EQ(ref[100], ref[101]);
}

TEST(OggStreams, AGainOtherThanOneTakesTheGainConversion) {
    std::string ogg = oggChirp(8000);
    SoundGame g;
    g.file("a.ogg", ogg);
    g.run(openInto(1, "a.ogg", 3) + playVar(1, 0) + waitMs(200));
    std::vector<int16_t> ref = referenceDecode(ogg, 3);
    EXPECT_EQ(frames(g.capture(), 0, 8000), ref);
    // At 3 x 0.5 the chirp is cut at the engine's thresholds.
    EXPECT_NE(std::find(ref.begin(), ref.end(), int16_t{32767}), ref.end());
    EXPECT_NE(std::find(ref.begin(), ref.end(), int16_t{-32768}), ref.end());
}

TEST(OggStreams, StopAndReplaySkipsWhatTheRingHeld) {
    // 10 seconds of sound. After 1000 ms the play cursor is in block 5: the 16 blocks filled at
    // the start and the 5 refilled since hold 21 x 8192 frames, so the replay continues there.
    std::string ogg = oggChirp(441000);
    std::vector<int16_t> ref = referenceDecode(ogg);
    SoundGame g;
    g.file("a.ogg", ogg);
    g.run(openInto(1, "a.ogg") + playVar(1, 0) + waitMs(1000) + " var 1\n cmd sndstop\n ;\n" +
          playVar(1, 0) + waitMs(1000) + " var 1\n cmd sndstop\n ;\n" + waitMs(100) +
          playVar(1, 0) + waitMs(100));
    std::vector<int16_t> heard = g.capture();
    ASSERT_EQ(heard.size(), 44100u * 2 * 2 + 4410 * 2 * 2);
    EXPECT_EQ(frames(heard, 0, 44100), frames(ref, 0, 44100));
    EXPECT_EQ(frames(heard, 44100, 88200), frames(ref, 21 * 8192, 21 * 8192 + 44100));
    // Stopped: silence; then on from 42 x 8192.
    EXPECT_EQ(frames(heard, 88200, 92610), std::vector<int16_t>(4410 * 2, 0));
    EXPECT_EQ(frames(heard, 92610, 97020), frames(ref, 42 * 8192, 42 * 8192 + 4410));
}

TEST(OggStreams, PlayingAPlayingStreamStartsItAgainFromTheDecoder) {
    // The first playback ends (no second ring plays beside it), the second goes on from where
    // the decoder stood.
    std::string ogg = oggChirp(441000);
    std::vector<int16_t> ref = referenceDecode(ogg);
    SoundGame g;
    g.file("a.ogg", ogg);
    g.run(openInto(1, "a.ogg") + playVar(1, 0) + waitMs(1000) + playVar(1, 1) + waitMs(500));
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(frames(heard, 44100, 66150), frames(ref, 21 * 8192, 21 * 8192 + 22050));
    EXPECT_EQ(g.e.sound->mixer.voiceCount(), 0);  // all closed at the end
}

TEST(OggStreams, StreamsComeFromArchivesToo) {
    std::string ogg = oggChirp(6000, {{"LOOPEND", "3000"}});
    SoundGame g;
    writeArchive(g.game.dir(), "bgm", {{"title.ogg", bytesOf(ogg)}});
    g.run(openInto(1, "bgm\\\\title.ogg") + playVar(1, 0) + waitMs(200));
    std::vector<int16_t> ref = referenceDecode(ogg);
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(frames(heard, 0, 3000), frames(ref, 0, 3000));
    EXPECT_EQ(frames(heard, 3000, 6000), frames(ref, 0, 3000));
}

}  // namespace
}  // namespace rs::test
