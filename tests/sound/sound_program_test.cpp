// The sound options of the runestage program: captures that are the same on every run of the
// virtual clock, the player's volume outside them, and the demo's music.
#include <gtest/gtest.h>

#include <cstdio>

#include "shell/command_line.h"
#include "sound/sound_support.h"
#include "support/program_run.h"

namespace rs::test {
namespace {

TEST(SoundProgram, CommandLineOptions) {
    shell::LaunchOptions o =
        shell::parseCommandLine({"--audio-capture", "mix.wav", "--volume", "35", "--mute"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.audioCapturePath, "mix.wav");
    EXPECT_EQ(o.app.playerSound.volume, 35);
    EXPECT_TRUE(o.app.playerSound.mute);
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--audio-capture"},
                                                                 {"--volume"},
                                                                 {"--volume", "101"},
                                                                 {"--volume", "-1"},
                                                                 {"--volume", "loud"},
                                                                 {"--volume", ""}}) {
        EXPECT_EQ(shell::parseCommandLine(bad).errors.size(), 1u) << bad.back();
    }
    std::string help = shell::usageText();
    for (const char* option : {"--audio-capture FILE", "--volume N", "--mute"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(SoundProgram, AVirtualClockCaptureIsTheSameOnEveryRunWithSampleExactLoops) {
    TempDir dir;
    std::string ogg = oggChirp(20000, {{"LOOPSTART", "1000"}, {"LOOPLENGTH", "5000"}});
    dir.write("loop.ogg", ogg);
    writeGame(dir, openInto(1, "loop.ogg") + playVar(1, 1) + waitMs(700) + " cmd end\n");
    // The demo loops until closed: its planned end comes after the music's loop jump at 4 s.
    std::string args =
        "--headless --virtual-clock --timeout 60 --exit-at 4500 --audio-capture '" + dir.path();
    ProgramRun first = runestage(args + "/one.wav' '" + dir.path() + "'");
    EXPECT_EQ(first.status, 0) << first.err;
    // The player's volume is not in the capture.
    ProgramRun second = runestage(args + "/two.wav' --volume 10 --mute '" + dir.path() + "'");
    EXPECT_EQ(second.status, 0) << second.err;
    std::string one = dir.read("one.wav");
    EXPECT_EQ(one, dir.read("two.wav"));
    ASSERT_GT(one.size(), 44u);
    EXPECT_EQ(one.substr(0, 4), "RIFF");
    EXPECT_EQ(one.substr(8, 8), "WAVEfmt ");
    // From the script's start (1 ms after the run's): 0-5999, then 1000-5999 over and over.
    std::vector<int16_t> heard = frames(samplesOf(one), 44, 44 + 30870);
    std::vector<int16_t> ref = referenceDecode(ogg);
    std::vector<int16_t> expected = frames(ref, 0, 6000);
    while (expected.size() < heard.size()) {
        std::vector<int16_t> again = frames(ref, 1000, 6000);
        expected.insert(expected.end(), again.begin(), again.end());
    }
    expected.resize(heard.size());
    EXPECT_EQ(heard, expected);
}

TEST(SoundProgram, ACaptureThatCannotBeWrittenStopsTheStart) {
    TempDir dir;
    writeGame(dir, waitMs(10) + " cmd end\n");
    ProgramRun r = runestage("--headless --virtual-clock --audio-capture '" + dir.path() +
                             "/no/such/folder/x.wav' '" + dir.path() + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write the audio capture"), std::string::npos) << r.err;
}

TEST(SoundProgram, ARealClockCaptureCoversTheRun) {
    TempDir dir;
    dir.write("a.wav", tools::makeWave16(std::vector<int16_t>(2 * 44100, 3000), 2, 44100));
    writeGame(dir, waitMs(200) + openInto(1, "a.wav") + playVar(1, 1) + waitMs(300) + " cmd end\n");
    ProgramRun r = runestage("--headless --timeout 60 --audio-capture '" + dir.path() +
                             "/real.wav' '" + dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<int16_t> heard = samplesOf(dir.read("real.wav"));
    // About half a second: silence until the device opened, then the sound.
    EXPECT_GT(heard.size(), 2u * 44100 * 4 / 10);
    EXPECT_LT(heard.size(), 2u * 44100 * 5);
    EXPECT_EQ(heard[0], 0);
    EXPECT_NE(std::find(heard.begin(), heard.end(), int16_t{3000}), heard.end());
}

TEST(SoundProgram, TheDemoPlaysItsMusicAndChime) {
    TempDir dir;
    // The demo loops until closed: its planned end comes after the music's loop jump at 4 s.
    std::string args =
        "--headless --virtual-clock --timeout 60 --exit-at 4500 --audio-capture '" + dir.path();
    ProgramRun a = runestage(args + "/a.wav' '" + RS_DEMO_DIR + "'");
    ProgramRun b = runestage(args + "/b.wav' '" + RS_DEMO_DIR + "'");
    EXPECT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(b.status, 0) << b.err;
    std::string wav = dir.read("a.wav");
    EXPECT_EQ(wav, dir.read("b.wav"));
    std::vector<int16_t> heard = samplesOf(wav);
    ASSERT_GT(heard.size(), 2u * 44100 * 3);
    // The chime sounds on the left at the start, over the music.
    int16_t peakLeft = 0, peakRight = 0;
    for (size_t i = 0; i < 2 * 4410; i += 2) {
        peakLeft = std::max<int16_t>(peakLeft, static_cast<int16_t>(std::abs(heard[i])));
        peakRight = std::max<int16_t>(peakRight, static_cast<int16_t>(std::abs(heard[i + 1])));
    }
    EXPECT_GT(peakLeft, 3 * peakRight);
    // The music goes on after the chime.
    int16_t later = 0;
    for (size_t i = 2 * 88200; i < 2 * 110250; ++i)
        later = std::max<int16_t>(later, static_cast<int16_t>(std::abs(heard[i])));
    EXPECT_GT(later, 1000);
}

}  // namespace
}  // namespace rs::test
