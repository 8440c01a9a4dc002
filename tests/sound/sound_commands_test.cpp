// The sound commands as scripts use them: slots, the one-shot WAVE, the script's samples, levels,
// the device that cannot be opened, and the music and movie commands of this build.
#include <gtest/gtest.h>

#include "builtins/dispatcher.h"
#include "display/display.h"
#include "platform/headless_host.h"
#include "runtime/variables.h"
#include "snd/ogg_encode.h"
#include "sound/sound_state.h"
#include "sound/sound_support.h"

namespace rs::test {
namespace {

// A WAVE of `frames` frames at a constant level on both sides.
std::string levelWave(int16_t level, int32_t frameCount = 22050) {
    return tools::makeWave16(std::vector<int16_t>(static_cast<size_t>(frameCount) * 2, level), 2,
                             44100);
}

// Global array variable `number` holding these integers.
void setArray(Engine& e, int32_t number, const std::vector<int32_t>& values) {
    runtime::Variable* v = e.globals.find(number);
    if (!v) v = e.globals.add(number);
    v->dim = static_cast<int32_t>(values.size());
    v->elements.assign(values.size(), nullptr);
    for (size_t i = 0; i < values.size(); ++i) v->elements[i] = e.pool.newInteger(values[i]);
}

std::string waveData(int var, int mode, int volume = 0, int pan = 0) {
    return " push 0\n push " + std::to_string(volume) + "\n push " + std::to_string(pan) +
           "\n push " + std::to_string(mode) + "\n var " + std::to_string(var) +
           "\n cmd wavedata\n ;\n";
}

std::string wavePlay(const std::string& file, int mode, int volume = 0, int pan = 0) {
    return " pushs \"" + file + "\"\n push 0\n push " + std::to_string(volume) + "\n push " +
           std::to_string(pan) + "\n push " + std::to_string(mode) + "\n cmd waveplay\n ;\n";
}

TEST(SoundCommands, EveryIdOfTheGroupExists) {
    SoundGame g;
    for (int32_t id = 0x500; id <= 0x514; ++id) EXPECT_NE(g.e.commands.find(id), nullptr) << id;
    EXPECT_EQ(g.e.commands.find(0x515), nullptr);
}

TEST(SoundCommands, SlotsAreHandedOutLowestFirstUpTo32) {
    SoundGame g;
    std::string script;
    for (int i = 0; i < 32; ++i) script += openInto(1, "none.ogg");
    script += openInto(2, "none.ogg") + call("sndclose", {5}) + call("sndclose", {5}) +
              openInto(3, "none.ogg");
    g.run(script);
    EXPECT_EQ(g.global(1), 31);
    // The 33rd: the box, and a void result.
    EXPECT_EQ(g.game.boxTexts("サウンドバッファの作成"),
              std::vector<std::string>{"これ以上作成できません"});
    runtime::Variable* v = g.e.globals.find(2);
    ASSERT_TRUE(v && v->elements[0]);
    EXPECT_EQ(v->elements[0]->type, runtime::kVoid);
    EXPECT_EQ(g.global(3), 5);
}

TEST(SoundCommands, SlotNumbersOutsideTheTableAndEmptySlotsAreIgnored) {
    SoundGame g;
    g.run(call("sndplay", {-1, 0, 0, 0, 0}) + call("sndplay", {32, 0, 0, 0, 1}) +
          call("sndplay", {7, 0, 0, 0, 1}) + call("sndstop", {1000}) + call("sndstop", {3}) +
          call("sndclose", {-5}) + call("sndclose", {31}) + callInto(1, "sndremain", {40}) +
          callInto(2, "sndremain", {0}) + callInto(3, "sndstub", {77}) +
          callInto(4, "waveremain", {}));
    EXPECT_EQ(g.global(1), 0);
    EXPECT_EQ(g.global(2), 0);
    EXPECT_EQ(g.global(3), -1);
    EXPECT_EQ(g.global(4), 0);
    EXPECT_TRUE(g.game.boxes().empty());
    EXPECT_EQ(g.e.sound->deviceState, 0);  // nothing asked to play
}

TEST(SoundCommands, WavePlayReplacesStopsAndRefuses) {
    SoundGame g;
    g.file("a.wav", levelWave(1000, 44100));
    g.file("b.wav", levelWave(2000, 44100));
    // a, then b replacing it, then void stopping b; an integer is refused with a box.
    g.run(wavePlay("a.wav", 0) + waitMs(100) + callInto(1, "waveremain", {}) +
          wavePlay("b.wav", 0) + waitMs(100) +
          " void\n push 0\n push 0\n push 0\n push 0\n"
          " cmd waveplay\n ;\n" +
          callInto(2, "waveremain", {}) + waitMs(100) +
          " push 5\n push 0\n push 0\n push 0\n push 0\n cmd waveplay\n ;\n");
    EXPECT_EQ(g.global(1), 900);  // (44 + 176400) x 1000 / 176400 = 1000, 100 ms gone
    EXPECT_EQ(g.global(2), 0);    // no WAVE any more
    EXPECT_EQ(g.game.boxTexts("ＷＡＶＥ再生"), std::vector<std::string>{"ファイル名が異常です"});
    EXPECT_NE(g.game.log().find("ＷＡＶＥ再生\r\nファイル名が異常です"), std::string::npos);
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(frames(heard, 0, 4410), std::vector<int16_t>(4410 * 2, 1000));
    EXPECT_EQ(frames(heard, 4410, 8820), std::vector<int16_t>(4410 * 2, 2000));
    EXPECT_EQ(frames(heard, 8820, 13230), std::vector<int16_t>(4410 * 2, 0));
}

TEST(SoundCommands, ANameThatIsNotAStringOpensASilentStream) {
    SoundGame g;
    g.run(" var 1\n push 12\n push 1\n cmd sndopen\n =\n ;\n" + playVar(1, 1) + waitMs(50) +
          remainInto(2, 1));
    EXPECT_EQ(g.global(1), 0);
    EXPECT_EQ(g.game.boxTexts("システムの警告"),
              std::vector<std::string>{"文字列変数でないのに文字列評価されました"});
    EXPECT_EQ(g.global(2), -1);
}

TEST(SoundCommands, LevelsAreDecibelsOfAttenuationAndPanAttenuatesTheFarSide) {
    struct Row {
        int volume, pan;
        int16_t left, right;
    };
    // 16384 x 10^(v / 2000), in the mixer's 1/65536 steps.
    const std::vector<Row> rows = {
        {0, 0, 16384, 16384},     {-600, 0, 8211, 8211},  {-10000, 0, 0, 0},
        {0, -10000, 16384, 0},    {0, 2000, 1638, 16384}, {-600, -600, 8211, 4115},
        {100, 0, 16384, 16384},    // out of range: refused, full level stays
        {0, 20000, 16384, 16384},  // the same for the pan
    };
    for (const Row& r : rows) {
        SoundGame g;
        g.file("a.wav", levelWave(16384));
        g.run(openInto(1, "a.wav") + playVar(1, 1, r.volume, r.pan) + waitMs(10));
        std::vector<int16_t> heard = g.capture();
        ASSERT_GE(heard.size(), 2u);
        EXPECT_EQ(heard[0], r.left) << r.volume << " " << r.pan;
        EXPECT_EQ(heard[1], r.right) << r.volume << " " << r.pan;
    }
    // Mode 2 changes a playing stream; a refused value keeps the one set before.
    SoundGame g;
    g.file("a.wav", levelWave(16384));
    g.run(openInto(1, "a.wav") + playVar(1, 1, -600, 0) + waitMs(100) + playVar(1, 2, 5, -10000) +
          waitMs(100) + playVar(1, 2, -10000, 0) + waitMs(100));
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(heard[2 * 4000], 8211);
    EXPECT_EQ(heard[2 * 5000], 8211);
    EXPECT_EQ(heard[2 * 5000 + 1], 0);
    EXPECT_EQ(heard[2 * 9000], 0);
}

TEST(SoundCommands, TheMixSaturates) {
    SoundGame g;
    g.file("a.wav", levelWave(30000));
    g.file("b.wav", levelWave(-30000));
    g.run(openInto(1, "a.wav") + openInto(2, "a.wav") + openInto(3, "b.wav") +
          openInto(4, "b.wav") + playVar(1, 1) + playVar(2, 1) + waitMs(10) + call("sndstop", {0}) +
          call("sndstop", {1}) + playVar(3, 1) + playVar(4, 1) + waitMs(10));
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(heard[0], 32767);
    EXPECT_EQ(heard[2 * 441], -32768);
}

TEST(SoundCommands, WaveDataPlaysTheArrayAt22050HzMono) {
    SoundGame g;
    setArray(g.e, 5, {1000, -1000, 3000, 0x12345, 20000});
    setArray(g.e, 6, {500, 500});
    g.run(waveData(5, 0) + waitMs(10) + waveData(6, 1, 0, -10000) + waitMs(10));
    std::vector<int16_t> heard = g.capture();
    // Samples doubled in rate by interpolation; 0x12345 gives its low 16 bits (0x2345); after
    // the last the sound ends.
    const std::vector<int16_t> expected = {1000, 0, -1000, 1000, 3000, 6014, 9029, 14514, 20000};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(heard[2 * i], expected[i]) << i;
        EXPECT_EQ(heard[2 * i + 1], expected[i]) << i;
    }
    EXPECT_EQ(frames(heard, 10, 441), std::vector<int16_t>(431 * 2, 0));
    // The second array cuts the first off and loops, on the left only.
    EXPECT_EQ(heard[2 * 441], 500);
    EXPECT_EQ(heard[2 * 441 + 1], 0);
    EXPECT_EQ(heard[2 * 800], 500);
}

TEST(SoundCommands, WaveDataWithAHugeOrTinyArray) {
    SoundGame g;
    runtime::Variable* v = g.e.globals.add(5);
    v->dim = 3000000;
    v->elements.assign(3000000, nullptr);  // unassigned elements are silence
    v->elements[0] = g.e.pool.newReal(1.5f);
    setArray(g.e, 6, {7});
    g.run(waveData(5, 0) + waitMs(10) + waveData(6, 1) + waitMs(10));
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(heard[0], 0);  // the real's low bits: 1.5f is 0x3FC00000
    // One sample is smaller than any buffer a sound card makes: nothing plays.
    EXPECT_EQ(frames(heard, 441, 882), std::vector<int16_t>(441 * 2, 0));
    EXPECT_TRUE(g.game.boxes().empty());
}

TEST(SoundCommands, ADeviceThatCannotBeOpenedIsReportedOnce) {
    SoundGame g;
    auto& host = dynamic_cast<platform::HeadlessHost&>(g.e.host);
    auto failing = std::make_unique<platform::FailingAudioDevice>("no card");
    platform::FailingAudioDevice* device = failing.get();
    host.setAudio(std::move(failing));
    g.file("a.ogg", oggChirp(4410));
    g.run(openInto(1, "a.ogg") + playVar(1, 0) + playVar(1, 1) + wavePlay("a.ogg", 0) +
          remainInto(2, 1));
    EXPECT_EQ(g.game.boxTexts(""),
              std::vector<std::string>{"DirectSound初期化エラー(1)\nサウンドカードが見つかりません"
                                       "DSERR_NODRIVER\n"});
    EXPECT_EQ(device->attempts, 1);
    EXPECT_EQ(g.e.sound->deviceState, -1);
    EXPECT_EQ(g.global(2), 100);  // never started: the length stays
}

TEST(SoundCommands, MusicWithoutASequencerAndMoviesThatDoNotPlay) {
    SoundGame g;
    g.file("song.mid", "MThd");
    auto midi = [](const char* name, int loop) {
        return std::string(" pushs \"") + name + "\"\n push " + std::to_string(loop) +
               "\n cmd midplay\n ;\n";
    };
    g.run(midi("missing", 1) + callInto(1, "midswitch", {7}) + midi("song", 1) +
          callInto(2, "midswitch", {7}) + callInto(3, "midswitch", {1}) + call("midstop", {}) +
          callInto(4, "midswitch", {1}) + callInto(5, "mixvolume", {1, 100}) +
          call("cdplay", {2, 1}) + call("cdstop", {}) + callInto(6, "moviestatus", {}) +
          callInto(7, "moviemode", {}) +
          " pushs \"op.mpg\"\n push -1\n push 0\n push 0\n"
          " push 0\n push 0\n cmd movie\n ;\n" +
          call("movieseek", {-1, -1}) + call("movievolume", {0}) + callInto(8, "time", {}) +
          call("moviestop", {}) + callInto(9, "time", {}));
    EXPECT_EQ(g.global(1), 1);  // a missing file changes nothing
    EXPECT_EQ(g.global(2), 0);  // the piece exists but cannot play: the switch turns off
    EXPECT_EQ(g.global(3), 0);  // turning it on replays the piece, which fails again
    EXPECT_EQ(g.global(4), 1);  // with nothing requested it stays on
    EXPECT_EQ(g.global(5), -2);
    EXPECT_EQ(g.global(6), -1);
    EXPECT_EQ(g.global(7), 0);
    EXPECT_EQ(g.global(9) - g.global(8), 100);  // the movie stop's pause
    EXPECT_TRUE(g.game.boxes().empty());
}

}  // namespace
}  // namespace rs::test
