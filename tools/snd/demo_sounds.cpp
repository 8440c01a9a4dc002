#include "snd/demo_sounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "snd/ogg_encode.h"

namespace rs::tools {

namespace {

constexpr int kRate = 44100;
// 150 beats a minute: an eighth note is a fifth of a second.
constexpr int kEighth = kRate / 5;

double frequencyOf(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

// Adds a note: a tone with a few harmonics, a short attack and an exponential decay that has died
// away before `frames` end (so the loop joins without a click), placed between the sides by
// `pan` (0 left, 1 right).
void addNote(std::vector<float>& out, int start, int frames, int midiNote, double level, double pan,
             double brightness) {
    const double f = frequencyOf(midiNote);
    const double attack = 0.005 * kRate;
    for (int i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / kRate;
        double envelope = std::min(1.0, i / attack) * std::exp(-6.0 * i / frames);
        // Fades to nothing over the last 5 ms.
        envelope *= std::min(1.0, (frames - i) / attack);
        double phase = 2.0 * std::numbers::pi * f * t;
        double v = std::sin(phase) + brightness * 0.5 * std::sin(2 * phase) +
                   brightness * 0.25 * std::sin(3 * phase);
        v *= level * envelope;
        size_t at = static_cast<size_t>(start + i) * 2;
        if (at + 1 >= out.size()) break;
        out[at] += static_cast<float>(v * (1.0 - pan));
        out[at + 1] += static_cast<float>(v * pan);
    }
}

}  // namespace

DemoTune demoTune() {
    // An arpeggio to start, then a melody over a bass line in C major pentatonic.
    const int intro[] = {72, 76, 79, 84};
    const int melody[] = {76, 79, 81, 79, 76, 74, 72, 74, 76, 79, 84, 81, 79, 76, 74, 0};
    const int bass[] = {48, 48, 45, 45, 41, 41, 43, 43};
    const int introEighths = 4;
    const int loopEighths = 16;
    DemoTune tune;
    tune.samples.assign(static_cast<size_t>(introEighths + loopEighths) * kEighth * 2, 0.0f);
    for (int i = 0; i < introEighths; ++i)
        addNote(tune.samples, i * kEighth, kEighth, intro[i], 0.22, 0.3 + 0.1 * i, 0.6);
    const int loopStart = introEighths * kEighth;
    for (int i = 0; i < loopEighths; ++i) {
        if (melody[i] != 0)
            addNote(tune.samples, loopStart + i * kEighth, kEighth, melody[i], 0.22, 0.65, 0.6);
    }
    for (int i = 0; i < loopEighths / 2; ++i)
        addNote(tune.samples, loopStart + i * 2 * kEighth, 2 * kEighth, bass[i], 0.3, 0.35, 1.0);
    tune.loopStart = loopStart;
    tune.loopLength = loopEighths * kEighth;
    return tune;
}

std::string demoMusicFile() {
    DemoTune tune = demoTune();
    return encodeOggVorbis(tune.samples, 2, kRate,
                           {{"TITLE", "RuneStage demo tune"},
                            {"LOOPSTART", std::to_string(tune.loopStart)},
                            {"LOOPLENGTH", std::to_string(tune.loopLength)}});
}

std::string demoEffectFile() {
    const int rate = 22050;
    const int frames = rate * 2 / 5;
    std::vector<int16_t> samples(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / rate;
        double envelope = std::min(1.0, i / (0.002 * rate)) * std::exp(-9.0 * t);
        double v = 0.6 * std::sin(2 * std::numbers::pi * 1318.5 * t) +
                   0.3 * std::sin(2 * std::numbers::pi * 1975.5 * t);
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(v * envelope * 20000));
    }
    return makeWave16(samples, 1, rate);
}

}  // namespace rs::tools
