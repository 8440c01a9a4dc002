// Input replay and recording: events at the first pump at or after their time, in file order;
// the player's input ignored during a replay and counted again after it; a recording replays to
// the same script-visible input at the same turns; and runestage's --input and --record-input
// as a player or a test uses them, with clear messages for files that cannot be used.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "shell/input_file.h"
#include "shell/input_log.h"
#include "shell/input_support.h"
#include "support/program_run.h"

namespace rs::test {
namespace {

namespace vk = platform::vk;
using platform::InputEvent;
using platform::InputKind;
using platform::MouseButton;
using platform::WindowEvent;
using shell::TimedInput;

// The script-visible input state after a turn.
std::string snapshot(const Engine& e) {
    const shell::InputState& in = *e.input;
    std::ostringstream s;
    for (size_t k = 0; k < in.keys.size(); ++k) {
        if (in.keys[k]) s << "k" << k << "=" << int(in.keys[k]) << " ";
    }
    s << "m" << e.app.mouseX << "," << e.app.mouseY << " b" << in.leftDown << in.middleDown
      << in.rightDown << " w" << in.wheel << "," << in.wheelH << " a" << e.app.windowActive;
    for (const auto& l : in.latches) {
        s << " l" << l.index;
        for (const auto& entry : l.entries)
            s << ":" << entry.type << "," << entry.x << "," << entry.y;
    }
    s << " c";
    for (int32_t i = 0; i < in.characterCount; ++i)
        s << in.characters[static_cast<size_t>(i)] << ",";
    for (const auto& p : in.pads) {
        s << " p" << p.present << "/" << p.pov << "/" << p.buttons;
        for (int32_t a : p.axes) s << "," << a;
    }
    return s.str();
}

TEST(InputReplay, EventsArriveAtTheFirstPumpAtOrAfterTheirTimeInFileOrder) {
    InputGame g;
    shell::startReplay(g.e, {{5, InputEvent::key(true, 'A')},
                             {10, InputEvent::key(true, 'B')},
                             {10, InputEvent::key(false, 'A')},
                             {10, InputEvent::key(true, 'C')},
                             {40, InputEvent::key(true, 'D')}});
    g.e.pumpMessages();  // time 0
    EXPECT_EQ(g.key('A'), 0);
    g.game.clock().advance(9);
    g.e.pumpMessages();
    EXPECT_EQ(g.key('A'), 1);
    EXPECT_EQ(g.key('B'), 0);
    g.game.clock().advance(1);
    g.e.pumpMessages();
    EXPECT_EQ(g.key('A'), 0);
    EXPECT_EQ(g.key('B') + g.key('C'), 2);
    EXPECT_TRUE(g.in.log->replaying);
    // The player's own input is ignored while the replay runs.
    g.post({InputEvent::key(true, 'P'), InputEvent::pointer(7, 7)});
    g.window.setCursorPosition(platform::PixelPoint{9, 9});
    g.e.pumpMessages();
    EXPECT_EQ(g.key('P'), 0);
    EXPECT_EQ(g.mouse(0), 0);
    // A live focus change is the replay's to decide; the close box stays the player's.
    g.post(WindowEvent::FocusLost);
    EXPECT_EQ(g.mouse(-1), 1);
    g.game.clock().advance(100);
    g.e.pumpMessages();
    EXPECT_EQ(g.key('D'), 1);
    EXPECT_FALSE(g.in.log->replaying);
    // Played out: the player's input counts again (the pointer's place too).
    g.post({InputEvent::key(true, 'P')});
    EXPECT_EQ(g.key('P'), 1);
    EXPECT_EQ(g.mouse(0), 9);
    g.post(WindowEvent::Close);
    EXPECT_EQ(g.e.app.quitLevel, 2);
}

TEST(InputReplay, TheReplayDecidesFocusAndMayCloseTheWindow) {
    InputGame g;
    g.game.load(kInputReader);
    shell::startReplay(g.e, {{15, InputEvent::key(true, vk::kRight)},
                             {25, InputEvent::of(InputKind::FocusOut)},
                             {45, InputEvent::of(InputKind::FocusIn)},
                             {65, InputEvent::of(InputKind::Close)}});
    EXPECT_TRUE(g.game.run(100));
    // The script reads at 11, 21, 31 ...: an event is seen at the first reading after the pump
    // at or after its time (Right at 15 from 21 on, the focus lost at 25 from 31 on).
    EXPECT_EQ(g.game.boxTexts("情報"),
              (std::vector<std::string>{"0 k0 p0,0 c0 j0 a1 l0", "1 k0 p0,0 c0 j32000 a1 l0",
                                        "2 k0 p0,0 c0 j0 a0 l0", "3 k0 p0,0 c0 j0 a0 l0",
                                        "4 k0 p0,0 c0 j32000 a1 l0", "5 k0 p0,0 c0 j32000 a1 l0"}));
    // The close box was answered with OK.
    EXPECT_EQ(g.game.boxTexts("雪花ノ記憶"), std::vector<std::string>{"雪花ノ記憶を終了します"});
}

// Runs the reader script for `turns` turns, posting `live[i]` before turn i; the texts shown.
std::vector<std::string> playLive(InputGame& g, const std::vector<std::vector<InputEvent>>& live,
                                  std::vector<std::string>& snapshots) {
    g.game.load(kInputReader);
    for (const auto& events : live) {
        for (const InputEvent& ev : events) g.host.headlessEvents().post(ev);
        g.game.run(1);
        snapshots.push_back(snapshot(g.e));
    }
    return g.game.boxTexts("情報");
}

TEST(InputRecording, ARecordingReplaysToTheSameInputAtTheSameTurns) {
    TempDir dir;
    std::string path = dir.path() + "/rec.txt";
    std::vector<std::vector<InputEvent>> live(20);
    live[2] = {InputEvent::key(true, 'A'), InputEvent::key(true, vk::kLShift)};
    live[3] = {InputEvent::pointer(30, 40), InputEvent::button(true, MouseButton::Left, 31, 41),
               InputEvent::button(false, MouseButton::Left, 31, 41)};
    live[5] = {InputEvent::character(0x82A0), InputEvent::character('z'),
               InputEvent::key(true, vk::kReturn), InputEvent::wheel(false, 120),
               InputEvent::wheel(true, -240)};
    live[6] = {InputEvent::padAxis(0, 0, 0), InputEvent::padButton(0, 3, true),
               InputEvent::padAxis(1, 6, 9000)};
    live[9] = {InputEvent::key(false, 'A')};
    live[11] = {InputEvent::key(true, vk::kScroll), InputEvent::key(false, vk::kScroll)};
    live[13] = {InputEvent::key(true, vk::kNumLock)};
    live[15] = {InputEvent::pointer(-5, 900)};

    std::vector<std::string> recordedSnapshots, replayedSnapshots;
    std::vector<std::string> recordedTexts, replayedTexts;
    {
        InputGame a;
        std::string error;
        auto recorder = shell::InputRecorder::open(path, &error);
        ASSERT_TRUE(recorder) << error;
        shell::startRecording(a.e, std::move(recorder));
        a.e.input->joystickSetting = 1;
        recordedTexts = playLive(a, live, recordedSnapshots);
    }
    std::vector<TimedInput> replay;
    std::string error;
    ASSERT_TRUE(shell::readInputFile(path, replay, &error)) << error;
    {
        InputGame b;
        shell::startReplay(b.e, replay);
        b.e.input->joystickSetting = 1;
        replayedTexts =
            playLive(b, std::vector<std::vector<InputEvent>>(live.size()), replayedSnapshots);
    }
    EXPECT_EQ(recordedTexts, replayedTexts);
    EXPECT_EQ(recordedSnapshots, replayedSnapshots);
    // The events reached the script: key A, posted while the turn at 10 ran, was held back from
    // that turn's second pump to the next pump at a later time (11); then the click, the
    // characters and the pad.
    EXPECT_EQ(recordedTexts,
              (std::vector<std::string>{
                  "0 k1 p0,0 c0 j0 a1 l0", "1 k1 p31,41 c0 j0 a1 l31",
                  "2 k1 p31,41 c33440 j-32000 a1 l31", "3 k1 p31,41 c122 j-32000 a1 l31",
                  "4 k0 p31,41 c13 j-32000 a1 l31", "5 k0 p31,41 c0 j-32000 a1 l31",
                  "6 k0 p31,41 c0 j-32000 a1 l31", "7 k0 p-5,900 c0 j-32000 a1 l31",
                  "8 k0 p-5,900 c0 j-32000 a1 l31"}));
    std::string text = dir.read("rec.txt");
    EXPECT_NE(text.find("\n11 key down A\n11 key down LSHIFT\n20 mouse move 30 40\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(u8(u8"\n30 text あ\n30 text z\n30 key down RETURN\n")), std::string::npos)
        << text;
}

TEST(InputRecording, AnUnpluggedPadIsBroughtToRestAndNoted) {
    TempDir dir;
    InputGame g;
    std::string error;
    shell::startRecording(g.e, shell::InputRecorder::open(dir.path() + "/r.txt", &error));
    g.post({InputEvent::padAxis(1, 0, 0), InputEvent::padAxis(1, 1, 32768),
            InputEvent::padAxis(1, 6, 9000), InputEvent::padButton(1, 3, true),
            InputEvent::padButton(1, 4, false)});
    g.game.clock().advance(3);
    g.post({InputEvent::padRemoved(1), InputEvent::padRemoved(0)});
    EXPECT_EQ(g.input(192), -1);
    g.in.log->recorder.reset();
    std::vector<TimedInput> replay;
    ASSERT_TRUE(shell::readInputFile(dir.path() + "/r.txt", replay, &error)) << error;
    EXPECT_EQ(dir.read("r.txt").substr(dir.read("r.txt").find('\n') + 1),
              "0 pad 1 axis 0 0\n0 pad 1 axis 1 32768\n0 pad 1 axis 6 9000\n"
              "0 pad 1 button 3 down\n0 pad 1 button 4 up\n"
              "3 pad 1 axis 0 32768\n3 pad 1 axis 6 65535\n3 pad 1 button 3 up\n"
              "# 3 pad 1 unplugged\n");
    // Replayed, the pad stays there at rest: the merged reading is the same.
    InputGame b;
    shell::startReplay(b.e, replay);
    b.game.clock().advance(3);
    b.e.pumpMessages();
    EXPECT_EQ(b.input(192), 0);
    EXPECT_EQ(b.input(192 + 8 + 3), 0);
}

TEST(InputRecording, EventsOfALaterPumpAtTheSameTimeWaitForTheNextTime) {
    TempDir dir;
    InputGame g;
    std::string error;
    shell::startRecording(g.e, shell::InputRecorder::open(dir.path() + "/r.txt", &error));
    g.game.clock().advance(5);
    g.post({InputEvent::key(true, 'A')});  // the first pump at 5
    g.post({InputEvent::key(true, 'B')});  // a second pump at 5: held back
    EXPECT_EQ(g.key('A'), 1);
    EXPECT_EQ(g.key('B'), 0);
    g.game.clock().advance(2);
    g.e.pumpMessages();
    EXPECT_EQ(g.key('B'), 1);
    g.in.log->recorder.reset();  // closes the file
    EXPECT_EQ(dir.read("r.txt"),
              "# RuneStage input recording: times in milliseconds of engine time from the start\n"
              "5 key down A\n7 key down B\n");
}

// A game folder holding the reader script.
void writeReader(const TempDir& dir) { writeGame(dir, kInputReader); }

TEST(InputProgram, InputAndRecordInputAsAPlayerUsesThem) {
    TempDir dir;
    writeReader(dir);
    dir.write("in.txt", u8(u8"# press A at 25 ms, click, type\n"
                           u8"25 key down A\n"
                           u8"31 mouse down left 12 34\n"
                           u8"31 mouse up left 12 34\n"
                           u8"45 text 雪\n"
                           u8"60 key up A\n"));
    std::string base = "--headless --virtual-clock --no-settings --timeout 60 --exit-at 75 ";
    ProgramRun first = runestage(base + "--input '" + dir.path() + "/in.txt' --record-input '" +
                                 dir.path() + "/rec.txt' '" + dir.path() + "'");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, u8(u8"[情報] 0 k0 p0,0 c0 j0 a1 l0\n"
                            u8"[情報] 1 k0 p0,0 c0 j0 a1 l0\n"
                            u8"[情報] 2 k1 p12,34 c0 j0 a1 l12\n"
                            u8"[情報] 3 k1 p12,34 c0 j0 a1 l12\n"
                            u8"[情報] 4 k1 p12,34 c37089 j0 a1 l12\n"
                            u8"[情報] 5 k0 p12,34 c0 j0 a1 l12\n"
                            u8"[情報] 6 k0 p12,34 c0 j0 a1 l12\n"));
    // The recording holds the pump times and replays the same.
    EXPECT_NE(dir.read("rec.txt").find(u8(u8"\n30 key down A\n31 mouse down left 12 34\n"
                                          u8"31 mouse up left 12 34\n50 text 雪\n60 key up A\n")),
              std::string::npos)
        << dir.read("rec.txt");
    ProgramRun second =
        runestage(base + "--input '" + dir.path() + "/rec.txt' '" + dir.path() + "'");
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.err, first.err);
}

TEST(InputProgram, FilesThatCannotBeUsedStopTheStart) {
    TempDir dir;
    writeReader(dir);
    dir.write("bad.txt", "0 key down A\n# fine so far\n10 key down 300\n");
    std::string game = " '" + dir.path() + "'";
    ProgramRun r =
        runestage("--headless --virtual-clock --input '" + dir.path() + "/bad.txt'" + game);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "runestage: " + dir.path() +
                         "/bad.txt:3: unknown key '300' (a name such as "
                         "RETURN, or a number from 0 to 255)\n");
    // Nothing was logged: the game never started.
    EXPECT_EQ(dir.read("save/rune_error.log"), "");
    dir.write("garbage.bin", std::string("\x7F"
                                         "ELF\x02\x01\x01\0\0\0 \xFF\xFE\n\n",
                                         16));
    r = runestage("--headless --input '" + dir.path() + "/garbage.bin'" + game);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("garbage.bin:1: the time '\\x7FELF"), std::string::npos) << r.err;
    r = runestage("--headless --input '" + dir.path() + "/none.txt'" + game);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read the input file"), std::string::npos) << r.err;
    r = runestage("--headless --record-input '" + dir.path() + "/no/such/folder/rec.txt'" + game);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write the input recording"), std::string::npos) << r.err;
    r = runestage("--headless --input" + game);
    EXPECT_EQ(r.status, 1);
    // A relative file counts from where runestage was started.
    r = runestage("--headless --virtual-clock --exit-at 20 --input in.txt" + game);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("in.txt"), std::string::npos) << r.err;
}

TEST(InputProgram, AFloodOfEventsAndCharacters) {
    TempDir dir;
    writeReader(dir);
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        text += std::to_string(i / 1000) + " key down " + std::to_string(i % 256) + "\n";
        text += std::to_string(i / 1000) + " mouse move " + std::to_string(i * 9973) + " " +
                std::to_string(-i * 7919) + "\n";
    }
    text += "25 text " + std::string(5000, 'x') + "\n";
    dir.write("flood.txt", text);
    ProgramRun r = runestage("--headless --virtual-clock --timeout 60 --exit-at 45 --input '" +
                             dir.path() + "/flood.txt' '" + dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
    // Backspace (key 8) typed the first character queued.
    EXPECT_NE(r.err.find(" c8 "), std::string::npos) << r.err.substr(0, 2000);
}

}  // namespace
}  // namespace rs::test
