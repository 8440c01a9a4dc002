// Music figures: FluidSynth rendering a 16-channel piece (fraction of one core), and the start
// latency of midplay, the first time (the soundfont is loaded) and later (it is loaded already).
// The synthesizer uses the system's General MIDI soundfont when there is one (Debian's
// default-GM.sf2, TimGM6mb by default), else a tiny one made here; the name is printed.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/headless_host.h"
#include "platform/midi_synth.h"
#include "shell/engine.h"
#include "snd/music_files.h"
#include "sound/midi_file.h"
#include "sound/midi_player.h"
#include "sound/music.h"
#include "sound/sound_state.h"

namespace {

using namespace rs;

constexpr int32_t kSeconds = 10;

// The soundfont measured with, and a folder for the files.
struct Files {
    std::string folder;
    std::string soundfont;
    std::string piece;
    Files() {
        char tmpl[] = "/tmp/rs-bench-music-XXXXXX";
        folder = mkdtemp(tmpl);
        struct stat st {};
        soundfont = "/usr/share/sounds/sf2/default-GM.sf2";
        if (stat(soundfont.c_str(), &st) != 0) {
            soundfont = folder + "/tiny.sf2";
            std::ofstream(soundfont, std::ios::binary) << tools::makeSoundFont();
        }
        std::fprintf(stderr, "soundfont: %s\n", soundfont.c_str());
        piece = folder + "/piece.mid";
        std::ofstream(piece, std::ios::binary) << typicalPiece();
    }

    // A 16-channel piece of 30 seconds at 120 beats a minute: a different instrument on each
    // melodic channel (piano, strings, pads, bass, ...), chords of three notes on four channels,
    // eighth notes on the others, drums on channel 10, controllers and pitch bends as pieces
    // have them, reverb and chorus at their General MIDI defaults.
    static std::string typicalPiece() {
        const int programs[16] = {0, 48, 89, 33, 73, 40, 24, 61, 52, 0, 11, 4, 56, 68, 46, 19};
        tools::MidiTrack t;
        for (int ch = 0; ch < 16; ++ch) {
            t.push_back(tools::program(0, ch, programs[ch]));
            t.push_back(tools::controller(0, ch, 7, 90));
            t.push_back(tools::controller(0, ch, 10, (ch * 37) % 128));
            t.push_back(tools::controller(0, ch, 91, 40));
            t.push_back(tools::controller(0, ch, 93, 10));
        }
        const int scale[8] = {0, 2, 4, 5, 7, 9, 11, 12};
        for (uint32_t beat = 0; beat < 60; ++beat) {
            uint32_t tick = beat * 480;
            for (int ch = 0; ch < 16; ++ch) {
                if (ch == 9) {
                    for (uint32_t e = 0; e < 2; ++e) {
                        t.push_back(tools::noteOn(tick + e * 240, 9, e ? 42 : 36, 100));
                        t.push_back(tools::noteOff(tick + e * 240 + 100, 9, e ? 42 : 36));
                    }
                } else if (ch < 4) {
                    for (int k : {0, 4, 7}) {
                        int key = 48 + ch * 5 + k + scale[beat % 8] % 5;
                        t.push_back(tools::noteOn(tick, ch, key, 80));
                        t.push_back(tools::noteOff(tick + 470, ch, key));
                    }
                } else {
                    for (uint32_t e = 0; e < 2; ++e) {
                        int key = 40 + ch * 3 + scale[(beat * 2 + e + ch) % 8];
                        t.push_back(tools::noteOn(tick + e * 240, ch, key, 70 + ch));
                        t.push_back(tools::noteOff(tick + e * 240 + 230, ch, key));
                    }
                }
                if (ch == 5) t.push_back({tick + 120, {static_cast<char>(0xE5), 0, 0x48}});
                if (ch == 5) t.push_back({tick + 360, {static_cast<char>(0xE5), 0, 0x40}});
            }
        }
        return tools::makeMidiFile({t}, 480, 60 * 480);
    }
};

const Files& files() {
    static const Files f;
    return f;
}

// Ten seconds of the piece through the sequencer and FluidSynth, in the mixer's pieces.
void BM_FluidSynthSixteenChannels(benchmark::State& state) {
    std::string error;
    std::shared_ptr<platform::MidiSynth> synth =
        platform::openFluidSynth(files().soundfont, 44100, error);
    if (!synth) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::ifstream in(files().piece, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto piece = std::make_shared<sound::MidiSequence>();
    sound::readMidiFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), *piece);
    std::vector<int16_t> out(2 * 1024);
    for (auto _ : state) {
        synth->reset();
        sound::MidiPlayer player(synth, piece, true);
        for (int32_t done = 0; done < kSeconds * 44100; done += 1024) player.read(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
    }
    // Seconds of one core spent on one second of music.
    state.counters["core_fraction"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSeconds,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FluidSynthSixteenChannels)->Unit(benchmark::kMillisecond)->MinTime(5);

// midplay as the command does it (the file read and parsed, the synthesizer reset, the voice
// added) and the first 1024 frames mixed: the time from the command to the first sound. Arg 1:
// the first piece of a run, which loads the soundfont; arg 0: a later piece.
void BM_MidplayStart(benchmark::State& state) {
    const bool first = state.range(0) == 1;
    std::vector<int16_t> out(2 * 1024);
    auto makeEngine = [] {
        auto host = std::make_unique<platform::HeadlessHost>(
            std::make_unique<platform::VirtualClock>(), nullptr);
        shell::AppState app;
        app.programFolder = files().folder;
        app.soundfont.option = files().soundfont;
        auto engine = std::make_unique<Engine>(*host, app);
        return std::make_pair(std::move(host), std::move(engine));
    };
    auto kept = makeEngine();
    if (!first) sound::playMidi(*kept.second, files().piece, 1);
    for (auto _ : state) {
        state.PauseTiming();
        decltype(kept) fresh;
        Engine* e = kept.second.get();
        if (first) {
            fresh = makeEngine();
            e = fresh.second.get();
        }
        state.ResumeTiming();
        sound::playMidi(*e, files().piece, 1);
        e->sound->mixer.render(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
        state.PauseTiming();
        fresh.second.reset();  // the engine before its host
        fresh.first.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MidplayStart)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
