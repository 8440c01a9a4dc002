// libFuzzer target: MIDI files as midplay reads them, and the piece played by the sequencer (over
// a synthesizer that only counts what it is sent) through several loops.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/midi_synth.h"
#include "sound/midi_file.h"
#include "sound/midi_player.h"

namespace {

class CountingSynth final : public rs::platform::MidiSynth {
  public:
    uint64_t messages = 0;
    void channelMessage(uint8_t status, uint8_t data1, uint8_t data2) override {
        messages += status + data1 + data2;
    }
    void systemExclusive(const uint8_t* data, size_t size) override {
        for (size_t i = 0; i < size; ++i) messages += data[i];
    }
    void allNotesOff() override { ++messages; }
    void reset() override {}
    void render(int16_t* out, int32_t frames) override {
        for (int32_t i = 0; i < frames * 2; ++i) out[i] = 0;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > rs::sound::kMaxMidiFileBytes + 1) return 0;
    auto piece = std::make_shared<rs::sound::MidiSequence>();
    if (rs::sound::readMidiFile(data + 1, size - 1, *piece) != rs::sound::MidiFileProblem::None)
        return 0;
    auto synth = std::make_shared<CountingSynth>();
    // The first byte: loop or not, and how many pieces of 4096 frames to play (a few seconds).
    rs::sound::MidiPlayer player(synth, piece, data[0] & 1);
    std::vector<int16_t> out(2 * 4096);
    for (int i = 0; i < 8 + (data[0] >> 1); ++i) {
        if (player.read(out.data(), 4096) < 4096) break;
    }
    return 0;
}
