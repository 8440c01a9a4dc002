// Music in the runestage program: the --soundfont option and RUNESTAGE_SOUNDFONT, and captures
// of MIDI and CD audio that are the same on every run of the virtual clock.
#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/command_line.h"
#include "snd/ogg_encode.h"
#include "sound/music_support.h"
#include "support/program_run.h"

namespace rs::test {
namespace {

// A piece on all 16 channels: a chord that moves every 100 ms, controllers and bends.
std::string sixteenChannels() {
    tools::MidiTrack t = {tools::tempo(0, 480000)};
    for (int ch = 0; ch < 16; ++ch) {
        t.push_back(tools::program(0, ch, ch));
        t.push_back(tools::controller(0, ch, 10, ch * 8));
        for (uint32_t ms = 0; ms < 1000; ms += 100) {
            int key = 40 + ch * 3 + static_cast<int>(ms / 100) % 5;
            t.push_back(tools::noteOn(ms + static_cast<uint32_t>(ch), ch, key, 60 + ch));
            t.push_back(tools::noteOff(ms + 90, ch, key));
        }
        t.push_back({500, {static_cast<char>(0xE0 | ch), 0x00, 0x50}});
    }
    return tools::makeMidiFile({t}, kMsDivision, 1000);
}

TEST(MusicProgram, TheSoundfontOption) {
    shell::LaunchOptions o = shell::parseCommandLine({"--soundfont", "big.sf2"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.app.soundfont.option, "big.sf2");
    EXPECT_EQ(shell::parseCommandLine({"--soundfont"}).errors.size(), 1u);
    EXPECT_EQ(shell::parseCommandLine({"--soundfont", ""}).errors.size(), 1u);
    EXPECT_NE(std::string(shell::usageText()).find("--soundfont FILE"), std::string::npos);
}

TEST(MusicProgram, MidiAndCdCapturesAreTheSameOnEveryRun) {
    TempDir dir;
    dir.write("fonts/test.sf2", tools::makeSoundFont(true));
    dir.write("song.mid", sixteenChannels());
    dir.write("cd/track02.ogg", tools::encodeOggVorbis(chirp(22050, 2), 2, 44100));
    writeGame(dir, midiPlay("song", 1) + cdPlay(2, 1) + waitMs(2500) + " cmd end\n");
    std::string args = "--headless --virtual-clock --timeout 60 --soundfont '" + dir.path() +
                       "/fonts/test.sf2' --audio-capture '" + dir.path();
    ProgramRun a = runestage(args + "/a.wav' '" + dir.path() + "'");
    ProgramRun b = runestage(args + "/b.wav' '" + dir.path() + "'");
    EXPECT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(b.status, 0) << b.err;
    std::string wav = dir.read("a.wav");
    EXPECT_EQ(wav, dir.read("b.wav"));
    std::vector<int16_t> c = samplesOf(wav);
    ASSERT_GT(c.size(), 2u * 44100 * 2);
    // Both play all along: the piece loops after 1 s, the track after 0.5 s.
    for (double s : {0.2, 0.7, 1.2, 1.7, 2.2})
        EXPECT_GT(peak(c, s * 1000, s * 1000 + 100), 2000) << s;
}

TEST(MusicProgram, TheEnvironmentNamesTheSoundfontAfterTheOption) {
    TempDir dir;
    dir.write("good.sf2", tools::makeSoundFont());
    dir.write("song.mid", msPiece({{0, 500}}, 500));
    writeGame(dir, midiPlay("song", 0) + waitMs(300) + " cmd end\n");
    std::string args = "--headless --virtual-clock --timeout 60 --audio-capture '" + dir.path();
    setenv("RUNESTAGE_SOUNDFONT", (dir.path() + "/good.sf2").c_str(), 1);
    ProgramRun env = runestage(args + "/env.wav' '" + dir.path() + "'");
    ProgramRun named = runestage(args + "/named.wav' --soundfont '" + dir.path() + "/gone.sf2' '" +
                                 dir.path() + "'");
    unsetenv("RUNESTAGE_SOUNDFONT");
    EXPECT_EQ(env.status, 0) << env.err;
    EXPECT_GT(peak(samplesOf(dir.read("env.wav")), 10, 290), 300);
    // The option wins, even when its file is missing: MIDI is then silent, and says why.
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(peak(samplesOf(dir.read("named.wav")), 0, 300), 0);
    EXPECT_NE(
        named.err.find("cannot load the soundfont '" + dir.path() + "/gone.sf2': no such file"),
        std::string::npos)
        << named.err;
}

}  // namespace
}  // namespace rs::test
