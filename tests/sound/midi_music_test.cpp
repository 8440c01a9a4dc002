// MIDI music as a game hears it: pieces made by the tests, played through FluidSynth with a tiny
// soundfont made by the tests, captured on the virtual clock.
#include <gtest/gtest.h>

#include "platform/midi_synth.h"
#include "sound/midi_player.h"
#include "sound/music_support.h"
#include "sound/sound_state.h"
#include "sound/soundfont_search.h"

namespace rs::test {
namespace {

// The main note of the loop piece sounds this loud at least (the tiny soundfont's sine through
// FluidSynth's default gain).
constexpr int32_t kLoud = 300;
// What counts as silence: a release or a rounding, never a note.
constexpr int32_t kQuiet = 60;

TEST(MidiMusic, APiecePlaysAndLoopsFrom16Ms) {
    MusicGame g;
    g.file("song.mid", loopPiece());
    g.run(midiPlay("song", 1) + waitMs(1000));
    std::vector<int16_t> c = g.capture();
    // First pass: the short note, the main note, silence until the end at 300 ms.
    EXPECT_GT(peak(c, 1, 9), kLoud);
    EXPECT_GT(peak(c, 30, 190), kLoud);
    EXPECT_LT(peak(c, 210, 298), kQuiet);
    // Each later pass starts at 16 ms of the piece: 284 ms long, the main note at once (with the
    // volume of the start sent again), never the short note.
    for (double start : {300.0, 584.0, 868.0}) {
        double on = onsetMs(c, start - 5, kLoud);
        EXPECT_NEAR(on, start, 2.0) << start;
        EXPECT_GT(peak(c, start + 20, start + 180), kLoud) << start;
        EXPECT_LT(peak(c, start + 190, start + 282), kQuiet) << start;
    }
}

TEST(MidiMusic, APieceThatDoesNotLoopClosesAtItsEnd) {
    MusicGame g;
    g.file("song.mid", loopPiece());
    g.run(midiPlay("song", 0) + waitMs(600) + callInto(1, "midswitch", {7}));
    EXPECT_EQ(g.e.sound->music.midiVoice, 0u);  // closed by the main loop
    EXPECT_EQ(g.e.sound->midiRequested, 1);     // the request stays
    EXPECT_EQ(g.global(1), 1);
    std::vector<int16_t> c = g.capture();
    EXPECT_GT(peak(c, 30, 190), kLoud);
    // Nothing at all after the end: the voice is gone.
    EXPECT_EQ(peak(c, 301, 600), 0);
    // A loop argument other than 1 does not loop either.
    MusicGame h;
    h.file("song.mid", loopPiece());
    h.run(midiPlay("song", 2) + waitMs(600));
    EXPECT_EQ(peak(h.capture(), 301, 600), 0);
}

TEST(MidiMusic, TheSwitchStopsKeepsTheRequestAndRestarts) {
    MusicGame g;
    g.file("song.mid", msPiece({{0, 2000}}, 2000));
    g.run(midiPlay("song", 1) + waitMs(100) + callInto(1, "midswitch", {0}) + waitMs(100) +
          callInto(2, "midswitch", {1}) + waitMs(100) + callInto(3, "midswitch", {1}) +
          waitMs(100) + callInto(4, "midswitch", {5}) + waitMs(100));
    EXPECT_EQ(g.global(1), 0);
    EXPECT_EQ(g.global(2), 1);
    EXPECT_EQ(g.global(3), 1);
    EXPECT_EQ(g.global(4), 1);
    EXPECT_EQ(g.e.sound->midiRequested, 2);
    std::vector<int16_t> c = g.capture();
    EXPECT_GT(peak(c, 10, 95), kLoud);
    EXPECT_EQ(peak(c, 101, 199), 0);  // off: silent
    // On again: the piece from its start (the note sounds at once), and 1 while on changes
    // nothing: it goes on without a break.
    EXPECT_NEAR(onsetMs(c, 199, kLoud), 200, 2.0);
    EXPECT_GT(peak(c, 205, 500), kLoud);
    EXPECT_GT(peak(c, 295, 305), kLoud);
}

TEST(MidiMusic, WhileTheSwitchIsOffARequestWaitsForIt) {
    MusicGame g;
    g.file("a.mid", msPiece({{0, 2000}}, 2000));
    g.run(callInto(1, "midswitch", {0}) + midiPlay("a", 1) + waitMs(100) +
          callInto(2, "midswitch", {1}) + waitMs(100));
    EXPECT_EQ(g.global(2), 1);
    std::vector<int16_t> c = g.capture();
    EXPECT_EQ(peak(c, 0, 99), 0);
    EXPECT_NEAR(onsetMs(c, 99, kLoud), 100, 2.0);
}

TEST(MidiMusic, AMissingFileLeavesThePreviousPieceStopped) {
    MusicGame g;
    g.file("song.mid", msPiece({{0, 2000}}, 2000));
    g.run(midiPlay("song", 1) + waitMs(100) + midiPlay("missing", 0) + waitMs(100) +
          callInto(1, "midswitch", {7}));
    EXPECT_EQ(g.global(1), 1);                  // nothing failed
    EXPECT_EQ(g.e.sound->midiRequested, 2);     // the old request was not replaced
    EXPECT_EQ(g.e.sound->music.midiVoice, 0u);  // but its piece stopped
    std::vector<int16_t> c = g.capture();
    EXPECT_GT(peak(c, 10, 95), kLoud);
    EXPECT_EQ(peak(c, 101, 200), 0);
}

TEST(MidiMusic, MidplayWhileAPiecePlaysStartsTheNewOneAndMidstopEndsTheRequest) {
    MusicGame g;
    g.file("a.mid", msPiece({{0, 2000}}, 2000));
    g.file("b.mid", msPiece({{50, 2000}}, 2000));
    g.run(midiPlay("a", 1) + waitMs(100) + midiPlay("b", 0) + waitMs(100) + call("midstop", {}) +
          callInto(1, "midswitch", {0}) + callInto(2, "midswitch", {1}) + waitMs(100));
    EXPECT_EQ(g.e.sound->midiRequested, 0);
    EXPECT_EQ(g.global(2), 1);
    std::vector<int16_t> c = g.capture();
    EXPECT_GT(peak(c, 10, 95), kLoud);
    // b starts with 50 ms of silence: a was stopped.
    EXPECT_EQ(peak(c, 101, 148), 0);
    EXPECT_NEAR(onsetMs(c, 101, kLoud), 150, 2.0);
    // After midstop nothing is requested: turning the switch on plays nothing.
    EXPECT_EQ(peak(c, 201, 300), 0);
}

TEST(MidiMusic, APieceStartsFromSilenceWhateverPlayedBefore) {
    // A: a held note with reverb and chorus full and a pitch bend, cut off in the middle. B
    // after it, and B again when the switch turns it back on, start from silence (no voice or
    // effect tail of A) and sound as B does in an engine that played nothing before (no
    // controller of A left). FluidSynth ramps a voice's levels over its first block (64
    // frames) from where that voice last stood, so a note on a voice A used starts a little
    // differently, and the reverb keeps a faint trace of that: the first note's attack is
    // compared from 40 ms on, and after A with a tolerance of -50 dB.
    std::string a = msPiece({{0, 5000}}, 5000,
                            {tools::controller(0, 0, 91, 127),
                             tools::controller(0, 0, 93, 127),
                             {0, {static_cast<char>(0xE0), 0, 0x70}}});
    std::string b = msPiece({{30, 120}, {150, 190}}, 400);
    MusicGame g;
    g.file("a.mid", a);
    g.file("b.mid", b);
    g.run(midiPlay("a", 1) + waitMs(137) + midiPlay("b", 0) + waitMs(450) +
          callInto(1, "midswitch", {0}) + callInto(2, "midswitch", {1}) + waitMs(450));
    MusicGame fresh;
    fresh.file("b.mid", b);
    fresh.run(waitMs(137) + midiPlay("b", 0) + waitMs(450));
    std::vector<int16_t> c = g.capture();
    std::vector<int16_t> f = fresh.capture();
    // The largest difference between B started at `startMs` in `c` and B in `f`, from 40 ms of
    // B to its end.
    auto difference = [&](double startMs) {
        size_t from = static_cast<size_t>(startMs * 44.1) * 2, fresh = 6041 * 2;
        int32_t most = 0;
        for (size_t i = 40 * 441 / 10 * 2; i < 400 * 441 / 10 * 2; ++i)
            most = std::max(most, std::abs(c[from + i] - f[fresh + i]));
        return most;
    };
    ASSERT_EQ(c.size(), f.size() + 450 * 441 / 10 * 2);
    EXPECT_EQ(g.global(2), 1);
    EXPECT_GT(peak(c, 10, 130), kLoud);
    EXPECT_GT(peak(f, 170, 250), kLoud);
    for (double start : {137.0, 587.0}) EXPECT_EQ(peak(c, start + 0.1, start + 30), 0) << start;
    EXPECT_LT(difference(137), 100);
    EXPECT_EQ(difference(587), 0);
}

TEST(MidiMusic, WithoutASoundfontMidiIsSilentAndSaysWhereItLooked) {
    MusicGame g(false);
    g.e.sound->music.systemSoundfontFiles = {g.game.dir().path() + "/none/default-GM.sf2"};
    g.file("song.mid", loopPiece());
    g.run(midiPlay("song", 1) + waitMs(50) + callInto(1, "midswitch", {7}) +
          callInto(2, "midswitch", {1}) + callInto(3, "midswitch", {7}));
    EXPECT_EQ(g.global(1), 0);  // the failure turned the switch off
    EXPECT_EQ(g.global(3), 0);  // and again on the replay
    EXPECT_EQ(peak(g.capture(), 0, 100), 0);
    std::string log = g.game.log();
    std::string entry = "サウンドフォントが見つからないのでMIDIの音楽は鳴りません";
    size_t at = log.find(entry);
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find(entry, at + 1), std::string::npos);  // once
    EXPECT_NE(log.find("none/default-GM.sf2"), std::string::npos);
    EXPECT_NE(log.find("*.sf2"), std::string::npos);
    EXPECT_TRUE(g.game.boxes().empty());
}

TEST(MidiMusic, BadFilesAndSoundfontsAreSilentWithALogEntry) {
    struct Case {
        const char* what;
        std::string midi;
        std::string soundfont;  // empty: the good one
        bool missingSoundfont = false;
    };
    std::vector<Case> cases = {
        {"garbage", "this is not a MIDI file at all", ""},
        {"empty", "", ""},
        {"huge", std::string(sound::kMaxMidiFileBytes + 1, '\0'), ""},
        {"garbage soundfont", loopPiece(), "RIFF\x10\0\0\0sfbkLIST garbage garbage"},
        {"missing soundfont", loopPiece(), "", true},
    };
    for (const Case& k : cases) {
        MusicGame g;
        g.file("song.mid", k.midi);
        if (!k.soundfont.empty()) g.file("test.sf2", k.soundfont);
        if (k.missingSoundfont) g.e.app.soundfont.option = g.game.dir().path() + "/gone.sf2";
        g.run(midiPlay("song", 1) + waitMs(100) + callInto(1, "midswitch", {7}));
        EXPECT_EQ(g.global(1), 0) << k.what;
        EXPECT_EQ(peak(g.capture(), 0, 100), 0) << k.what;
        std::string log = g.game.log();
        EXPECT_TRUE(log.find("MIDIファイルを再生できません") != std::string::npos ||
                    log.find("サウンドフォントを読み込めません") != std::string::npos)
            << k.what << ": " << log;
        EXPECT_TRUE(g.game.boxes().empty()) << k.what;
    }
}

TEST(MidiMusic, TheSoundfontIsLoadedOnceAndTheGameFoldersIsFound) {
    MusicGame g(false);
    g.file("b.sf2", tools::makeSoundFont(true));
    g.file("a.SF2", tools::makeSoundFont());
    g.file("song.mid", msPiece({{0, 100}}, 100));
    g.run(midiPlay("song", 0) + waitMs(150) + midiPlay("song", 0) + waitMs(150));
    EXPECT_EQ(g.e.sound->music.soundfontPath, g.game.dir().path() + "/a.SF2");
    std::shared_ptr<platform::MidiSynth> synth = g.e.sound->music.synth;
    EXPECT_EQ(synth.use_count(), 2);  // the state's and this one: no piece holds it any more
    std::vector<int16_t> c = g.capture();
    EXPECT_GT(peak(c, 10, 90), kLoud);
    EXPECT_GT(peak(c, 160, 240), kLoud);
}

TEST(MidiMusic, SoundfontSearchOrder) {
    TempDir dir;
    dir.write("game/z.sf2", "x");
    dir.write("game/m.sf2", "x");
    dir.write("game/notes.txt", "x");
    dir.write("sys/default-GM.sf2", "x");
    dir.write("share/b.sf2", "x");
    dir.write("share/a.sf2", "x");
    sound::SoundfontSources src;
    src.gameFolder = dir.path() + "/game";
    src.systemFiles = {dir.path() + "/sys/default-GM.sf2", dir.path() + "/sys/missing.sf2"};
    src.systemFolders = {dir.path() + "/share", dir.path() + "/sys"};
    sound::SoundfontCandidates c = sound::soundfontCandidates(src);
    EXPECT_FALSE(c.named);
    EXPECT_EQ(c.files,
              (std::vector<std::string>{dir.path() + "/game/m.sf2", dir.path() + "/game/z.sf2",
                                        dir.path() + "/sys/default-GM.sf2",
                                        dir.path() + "/share/a.sf2", dir.path() + "/share/b.sf2"}));
    EXPECT_EQ(c.looked.size(), 5u);
    // A named soundfont is the only one, named or not existing; the option before the
    // environment before the settings file.
    src.setting = "/set.sf2";
    EXPECT_EQ(sound::soundfontCandidates(src).files, std::vector<std::string>{"/set.sf2"});
    src.environment = "/env.sf2";
    EXPECT_EQ(sound::soundfontCandidates(src).files, std::vector<std::string>{"/env.sf2"});
    src.option = "/opt.sf2";
    sound::SoundfontCandidates named = sound::soundfontCandidates(src);
    EXPECT_EQ(named.files, std::vector<std::string>{"/opt.sf2"});
    EXPECT_TRUE(named.named);
    // Nothing anywhere.
    sound::SoundfontSources none;
    none.gameFolder = dir.path() + "/sys/nothing";
    EXPECT_TRUE(sound::soundfontCandidates(none).files.empty());
}

TEST(MidiMusic, ASoundfontThatFailsIsPassedForTheNextFound) {
    MusicGame g(false);
    g.file("a.sf2", "not a soundfont");
    g.file("b.sf2", tools::makeSoundFont());
    g.file("song.mid", msPiece({{0, 100}}, 100));
    g.run(midiPlay("song", 0) + waitMs(100));
    EXPECT_EQ(g.e.sound->music.soundfontPath, g.game.dir().path() + "/b.sf2");
    EXPECT_NE(g.game.log().find("サウンドフォントを読み込めません"), std::string::npos);
    EXPECT_GT(peak(g.capture(), 10, 90), kLoud);
}

// The player over a synthesizer that records what it is sent: the times of the messages, the
// loop's re-sent set-up, an empty piece.
class RecordingSynth final : public platform::MidiSynth {
  public:
    std::vector<std::pair<int64_t, uint8_t>> sent;  // frame, status
    int64_t frame = 0;
    int32_t notesOff = 0;
    void channelMessage(uint8_t status, uint8_t, uint8_t) override {
        sent.emplace_back(frame, status);
    }
    void systemExclusive(const uint8_t*, size_t) override { sent.emplace_back(frame, 0xF0); }
    void allNotesOff() override { ++notesOff; }
    void reset() override {}
    void render(int16_t* out, int32_t frames) override {
        std::fill(out, out + 2 * frames, int16_t{1});
        frame += frames;
    }
};

TEST(MidiMusic, MessagesAreSentAtTheirFrame) {
    auto synth = std::make_shared<RecordingSynth>();
    auto piece = std::make_shared<sound::MidiSequence>();
    std::string file = msPiece({{5, 20}}, 40, {tools::controller(10, 0, 7, 90)});
    ASSERT_EQ(
        sound::readMidiFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), *piece),
        sound::MidiFileProblem::None);
    sound::MidiPlayer player(synth, piece, true);
    std::vector<int16_t> out(2 * 4000);
    // Rendered in odd pieces: the times do not depend on them.
    int32_t got = 0;
    for (int32_t n : {7, 300, 1, 1000, 2692}) got += player.read(out.data() + 2 * got, n);
    EXPECT_EQ(got, 4000);
    // The set-up (4 messages at 0), the note at 5 ms (frame 220), the controller at 10 ms (441),
    // the note off at 20 ms (882); at the end (40 ms, frame 1764) the loop: notes off, the set-up
    // before 16 ms again at once, and from 16 ms (frame 705) on: the note off 177 frames later.
    // Each later pass lasts 1764 - 705 = 1059 frames.
    std::vector<std::pair<int64_t, uint8_t>> expected = {
        {0, 0xB0},    {0, 0xB0},    {0, 0xB0},    {0, 0xC0},    {220, 0x90},  {441, 0xB0},
        {882, 0x80},  {1764, 0xB0}, {1764, 0xB0}, {1764, 0xB0}, {1764, 0xC0}, {1764, 0xB0},
        {1941, 0x80}, {2823, 0xB0}, {2823, 0xB0}, {2823, 0xB0}, {2823, 0xC0}, {2823, 0xB0},
        {3000, 0x80}, {3882, 0xB0}, {3882, 0xB0}, {3882, 0xB0}, {3882, 0xC0}, {3882, 0xB0}};
    EXPECT_EQ(synth->sent, expected);
    EXPECT_EQ(synth->notesOff, 3);
    EXPECT_EQ(player.loops(), 3);

    // A piece of 16 ms or less has nothing to loop over: it ends.
    auto shortPiece = std::make_shared<sound::MidiSequence>();
    shortPiece->endUs = 16000;
    sound::MidiPlayer once(synth, shortPiece, true);
    EXPECT_EQ(once.read(out.data(), 4000), 705);
    EXPECT_EQ(once.read(out.data(), 10), 0);
    sound::MidiPlayer empty(synth, std::make_shared<sound::MidiSequence>(), false);
    EXPECT_EQ(empty.read(out.data(), 10), 0);
}

}  // namespace
}  // namespace rs::test
