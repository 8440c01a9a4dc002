#include "sound/music_support.h"

#include <cmath>
#include <cstdlib>

#include "snd/ogg_encode.h"
#include "sound/sound_state.h"

namespace rs::test {

std::string midiPlay(const std::string& name, int loop) {
    return " pushs \"" + name + "\"\n push " + std::to_string(loop) + "\n cmd midplay\n ;\n";
}

std::string cdPlay(int track, int repeat) { return call("cdplay", {track, repeat}); }

std::string mixVolumeInto(int var, int line, int value) {
    return callInto(var, "mixvolume", {line, value});
}

tools::MidiTrack msTrack(const std::vector<std::pair<uint32_t, uint32_t>>& notes,
                         tools::MidiTrack extra) {
    tools::MidiTrack t = {tools::tempo(0, 480000), tools::controller(0, 0, 91, 0),
                          tools::controller(0, 0, 93, 0), tools::controller(0, 0, 7, 100),
                          tools::program(0, 0, 0)};
    for (auto [on, off] : notes) {
        t.push_back(tools::noteOn(on, 0, 69));
        t.push_back(tools::noteOff(off, 0, 69));
    }
    for (tools::MidiMessage& m : extra) t.push_back(m);
    return t;
}

std::string msPiece(const std::vector<std::pair<uint32_t, uint32_t>>& notes, uint32_t endMs,
                    tools::MidiTrack extra) {
    return tools::makeMidiFile({msTrack(notes, std::move(extra))}, kMsDivision, endMs);
}

std::string loopPiece() {
    return msPiece({{0, 10}, {16, 200}}, 300, {tools::controller(250, 0, 7, 0)});
}

int32_t peak(const std::vector<int16_t>& capture, double fromMs, double toMs) {
    auto from = static_cast<size_t>(fromMs * 44.1) * 2;
    auto to = std::min(static_cast<size_t>(toMs * 44.1) * 2, capture.size());
    int32_t p = 0;
    for (size_t i = from; i < to; ++i) p = std::max(p, std::abs(int32_t{capture[i]}));
    return p;
}

double onsetMs(const std::vector<int16_t>& capture, double fromMs, int32_t threshold) {
    for (auto i = static_cast<size_t>(fromMs * 44.1) * 2; i < capture.size(); ++i) {
        if (std::abs(int32_t{capture[i]}) > threshold) return static_cast<double>(i / 2) / 44.1;
    }
    return -1;
}

MusicGame::MusicGame(bool withSoundfont) {
    if (withSoundfont) {
        file("test.sf2", tools::makeSoundFont());
        e.app.soundfont.option = game.dir().path() + "/test.sf2";
    }
}

std::string levelTrack(int16_t level, int ms) {
    std::vector<int16_t> samples(static_cast<size_t>(ms) * 441 / 10 * 2);
    for (size_t i = 0; i < samples.size(); i += 2) {
        samples[i] = level;
        samples[i + 1] = static_cast<int16_t>(-level);
    }
    return tools::makeWave16(samples, 2, 44100);
}

std::vector<int16_t> toneSamples(int frames) {
    std::vector<float> f = chirp(frames, 2);
    std::vector<int16_t> out(f.size());
    for (size_t i = 0; i < f.size(); ++i) out[i] = static_cast<int16_t>(std::lround(f[i] * 32767));
    return out;
}

}  // namespace rs::test
