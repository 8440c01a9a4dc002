// mixvolume: the engine's own mixer lines, their results, their gains in the mix, and their
// volumes kept in the save folder across runs.
#include <gtest/gtest.h>

#include "sound/mixer_lines.h"
#include "sound/music_support.h"
#include "sound/sound_state.h"

namespace rs::test {
namespace {

std::string mixerIni(const SoundGame& g) {
    return g.game.dir().read("userdata/SEIRAN-DO/yukibana/mixer.ini");
}

TEST(MixerVolume, ResultsOfMuteVolumeAndQuery) {
    MusicGame g;
    g.run(mixVolumeInto(1, 1, -1) + mixVolumeInto(2, 1, -5) + mixVolumeInto(3, 1, 0) +
          mixVolumeInto(4, 2, 40000) + mixVolumeInto(5, 2, 70000) + mixVolumeInto(6, 2, -1) +
          mixVolumeInto(7, 2, 70000) + mixVolumeInto(8, 4, 100) + mixVolumeInto(9, -1, -1));
    EXPECT_EQ(g.global(1), -1);  // muted
    EXPECT_EQ(g.global(2), -1);  // other negative values change nothing
    EXPECT_EQ(g.global(3), 0);   // 0 unmutes at volume 0
    EXPECT_EQ(g.global(4), 40000);
    EXPECT_EQ(g.global(5), 40000);  // above the range: refused
    EXPECT_EQ(g.global(6), -1);
    EXPECT_EQ(g.global(7), 40000);  // ... but it unmutes
    EXPECT_EQ(g.global(8), sound::kNoSuchLine);
    EXPECT_EQ(g.global(9), sound::kNoSuchLine);
    EXPECT_EQ(g.e.sound->mixer.lineGain(sound::MixerLine::Wave), 0);
    EXPECT_EQ(g.e.sound->mixer.lineGain(sound::MixerLine::Synth), 40001);  // 40000 / 65535
    EXPECT_EQ(g.e.sound->mixer.lineGain(sound::MixerLine::Master), sound::kUnityGain);
}

TEST(MixerVolume, GainsReachTheCapture) {
    MusicGame g;
    g.file("cd/track02.wav", levelTrack(8000, 1000));
    g.file("a.wav", levelTrack(10000, 1000));
    // At 100 ms the CD line at half; at 200 ms the master at a quarter; at 300 ms the wave line
    // muted; at 400 ms the wave line back at full (0 unmutes first, then 65535).
    g.run(cdPlay(2, 1) + openInto(1, "a.wav") + playVar(1, 1) + waitMs(100) +
          mixVolumeInto(2, 3, 32768) + waitMs(100) + mixVolumeInto(2, 0, 16384) + waitMs(100) +
          mixVolumeInto(2, 1, -1) + waitMs(100) + mixVolumeInto(2, 1, 0) +
          mixVolumeInto(2, 1, 65535) + waitMs(100));
    std::vector<int16_t> c = g.capture();
    auto at = [&](double ms) { return c[static_cast<size_t>(ms * 44.1) * 2]; };
    EXPECT_EQ(at(50), 18000);
    int32_t cdHalf = (8000 * sound::LineSetting{32768, false}.gain()) >> 16;
    EXPECT_EQ(at(150), 10000 + cdHalf);
    // The master scales each line's gain; the sum is taken after.
    int32_t master = sound::LineSetting{16384, false}.gain();
    int32_t wave = (10000 * master) >> 16;
    int32_t cd =
        (8000 * ((static_cast<int64_t>(sound::LineSetting{32768, false}.gain()) * master) >> 16)) >>
        16;
    EXPECT_EQ(at(250), wave + cd);
    EXPECT_EQ(at(350), cd);
    EXPECT_EQ(at(450), wave + cd);
}

TEST(MixerVolume, LinesAreKeptPerGameInTheSaveFolder) {
    MusicGame g;
    g.run(mixVolumeInto(1, 2, 1234) + mixVolumeInto(2, 3, -1) + mixVolumeInto(3, 2, 1234));
    std::string ini = mixerIni(g);
    EXPECT_NE(ini.find("[mixer]\n"), std::string::npos);
    EXPECT_NE(ini.find("synth=1234\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("cd_mute=1\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("master=65535\n"), std::string::npos) << ini;

    // The next run of the game starts with them: its first query answers, and its first sound
    // plays at them.
    MusicGame next;
    next.game.dir().write("userdata/SEIRAN-DO/yukibana/mixer.ini", ini);
    next.file("a.wav", levelTrack(10000, 200));
    next.run(openInto(1, "a.wav") + playVar(1, 1) + waitMs(100) + mixVolumeInto(2, 2, -2) +
             mixVolumeInto(3, 3, -2));
    EXPECT_EQ(next.global(2), 1234);
    EXPECT_EQ(next.global(3), -1);
    EXPECT_EQ(next.e.sound->mixer.lineGain(sound::MixerLine::Synth), 1234);  // 1234 / 65535
    EXPECT_EQ(next.e.sound->mixer.lineGain(sound::MixerLine::Cd), 0);
    EXPECT_EQ(next.capture()[100], 10000);  // the wave line was left at full
}

TEST(MixerVolume, TheFileIsReadLeniently) {
    sound::MixerLines m = sound::parseMixerLines(
        "; comment\r\n[mixer]\r\nmaster = 100\r\nwave=70000\r\nsynth=abc\r\ncd_mute=1\r\n"
        "wave_mute=7\nunknown=5\n=\nsynth");
    EXPECT_EQ(m.lines[0].volume, 100);
    EXPECT_EQ(m.lines[1].volume, sound::kMaxLineVolume);
    EXPECT_FALSE(m.lines[1].muted);
    EXPECT_EQ(m.lines[2].volume, sound::kMaxLineVolume);
    EXPECT_TRUE(m.lines[3].muted);
    EXPECT_EQ(sound::parseMixerLines(sound::mixerLinesText(m)), m);
    EXPECT_EQ(sound::LineSetting{}.gain(), sound::kUnityGain);
    EXPECT_EQ((sound::LineSetting{0, false}.gain()), 0);
}

TEST(MixerVolume, ASaveFolderThatCannotBeWrittenIsLoggedOnce) {
    MusicGame g;
    // A file where the folder would go.
    g.game.dir().write("userdata/SEIRAN-DO", "in the way");
    g.run(mixVolumeInto(1, 1, 5) + mixVolumeInto(2, 1, 6));
    EXPECT_EQ(g.global(2), 6);
    std::string log = g.game.log();
    size_t at = log.find("音量の設定を保存できません");
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find("音量の設定を保存できません", at + 1), std::string::npos);
}

}  // namespace
}  // namespace rs::test
