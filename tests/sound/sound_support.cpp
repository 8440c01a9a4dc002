#include "sound/sound_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "runtime/variables.h"
#include "snd/ogg_reference.h"
#include "sound/sample_convert.h"
#include "sound/sound_state.h"

namespace rs::test {

std::vector<float> chirp(int32_t frames, int channels, int rate) {
    std::vector<float> out(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    double phase = 0;
    for (int32_t i = 0; i < frames; ++i) {
        double f = 200.0 + 3000.0 * i / std::max(1, frames);
        phase += 2 * M_PI * f / rate;
        for (int c = 0; c < channels; ++c) {
            out[static_cast<size_t>(i) * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                static_cast<float>(0.5 * std::sin(phase + c * 1.3));
        }
    }
    return out;
}

std::string oggChirp(int32_t frameCount, const tools::SoundComments& comments, int channels,
                     int rate) {
    std::string ogg =
        tools::encodeOggVorbis(chirp(frameCount, channels, rate), channels, rate, comments);
    EXPECT_FALSE(ogg.empty());
    return ogg;
}

std::vector<int16_t> referenceDecode(const std::string& ogg, int32_t gain) {
    std::vector<std::vector<float>> channels = tools::vorbisfileChannels(ogg);
    if (channels.empty()) {
        ADD_FAILURE() << "libvorbisfile cannot open the file";
        return {};
    }
    const std::vector<float>& left = channels[0];
    const std::vector<float>& right = channels.size() == 2 ? channels[1] : channels[0];
    std::vector<int16_t> out(left.size() * 2);
    sound::convertFrames(left.data(), right.data(), static_cast<int32_t>(left.size()), gain, false,
                         out.data());
    return out;
}

std::vector<int16_t> frames(const std::vector<int16_t>& samples, int64_t from, int64_t to) {
    from = std::clamp<int64_t>(from, 0, static_cast<int64_t>(samples.size() / 2));
    to = std::clamp<int64_t>(to, from, static_cast<int64_t>(samples.size() / 2));
    return std::vector<int16_t>(samples.begin() + from * 2, samples.begin() + to * 2);
}

SoundGame::SoundGame() : e(game.engine()) {
    // The machine's soundfonts are never used: a test that plays MIDI brings its own.
    e.sound->music.systemSoundfontFiles.clear();
    e.sound->music.systemSoundfontFolders.clear();
    capturePath_ = game.dir().path() + "/capture.wav";
    std::string error;
    EXPECT_TRUE(sound::startAudioCapture(e, capturePath_, error)) << error;
}

void SoundGame::run(const std::string& source, int64_t maxTurns) {
    std::string globals;
    for (int v = 1; v <= 9; ++v) globals += " var " + std::to_string(v) + "\n global\n";
    game.load(globals + source + "\n cmd end\n");
    EXPECT_TRUE(game.run(maxTurns));
}

std::vector<int16_t> SoundGame::capture() {
    std::string error;
    EXPECT_TRUE(sound::shutdownSound(e, &error)) << error;
    std::ifstream in(capturePath_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> out;
    size_t skip = 44 + static_cast<size_t>(kScriptStartFrame) * 4;
    if (bytes.size() < skip) return out;
    out.resize((bytes.size() - skip) / 2);
    std::memcpy(out.data(), bytes.data() + skip, out.size() * 2);
    return out;
}

std::string SoundGame::lastBox(const char* caption) const {
    auto texts = game.boxTexts(caption);
    return texts.empty() ? "" : texts.back();
}

int32_t SoundGame::global(int32_t number) const {
    runtime::Variable* v = e.globals.find(number);
    if (!v || v->elements.empty() || !v->elements[0] || v->elements[0]->type != runtime::kInteger)
        return -99999;
    return v->elements[0]->u.i;
}

std::string call(const std::string& cmd, std::initializer_list<int> args) {
    std::string s;
    for (int a : args) s += " push " + std::to_string(a) + "\n";
    return s + " cmd " + cmd + "\n ;\n";
}

std::string callInto(int var, const std::string& cmd, std::initializer_list<int> args) {
    std::string s = " var " + std::to_string(var) + "\n";
    for (int a : args) s += " push " + std::to_string(a) + "\n";
    return s + " cmd " + cmd + "\n =\n ;\n";
}

std::string openInto(int var, const std::string& name, int gain) {
    return " var " + std::to_string(var) + "\n pushs \"" + name + "\"\n push " +
           std::to_string(gain) + "\n cmd sndopen\n =\n ;\n";
}

std::string waitMs(int ms) { return call("wait", {ms}); }

std::string playVar(int var, int mode, int volume, int pan) {
    return " var " + std::to_string(var) + "\n push 0\n push " + std::to_string(volume) +
           "\n push " + std::to_string(pan) + "\n push " + std::to_string(mode) +
           "\n cmd sndplay\n ;\n";
}

std::string remainInto(int var, int slotVar) {
    return " var " + std::to_string(var) + "\n var " + std::to_string(slotVar) +
           "\n cmd sndremain\n =\n ;\n";
}

std::vector<int16_t> samplesOf(const std::string& wav) {
    std::vector<int16_t> out(wav.size() > 44 ? (wav.size() - 44) / 2 : 0);
    if (!out.empty()) std::memcpy(out.data(), wav.data() + 44, out.size() * 2);
    return out;
}

}  // namespace rs::test
