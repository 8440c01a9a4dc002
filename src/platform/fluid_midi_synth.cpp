// The MIDI door through FluidSynth: a synthesizer without an audio driver or a player of its own,
// rendered on demand in floating point and converted to 16 bits here.
#include <fluidsynth.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include "platform/midi_synth.h"

namespace rs::platform {

namespace {

// FluidSynth's own messages would go to standard error; the engine reports failures itself.
void silenceFluidSynthLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

int16_t toSample(float x) {
    float scaled = std::nearbyint(x * 32768.0f);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

class FluidMidiSynth final : public MidiSynth {
  public:
    FluidMidiSynth(fluid_settings_t* settings, fluid_synth_t* synth, int32_t rate)
        : settings_(settings), synth_(synth), rate_(rate) {}
    ~FluidMidiSynth() override {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }

    void channelMessage(uint8_t status, uint8_t data1, uint8_t data2) override {
        int channel = status & 0x0F;
        data1 &= 0x7F;
        data2 &= 0x7F;
        switch (status & 0xF0) {
            case 0x80: fluid_synth_noteoff(synth_, channel, data1); break;
            case 0x90:
                // A note on at velocity 0 is a note off.
                if (data2 == 0) {
                    fluid_synth_noteoff(synth_, channel, data1);
                } else {
                    fluid_synth_noteon(synth_, channel, data1, data2);
                }
                break;
            case 0xA0: fluid_synth_key_pressure(synth_, channel, data1, data2); break;
            case 0xB0: fluid_synth_cc(synth_, channel, data1, data2); break;
            case 0xC0: fluid_synth_program_change(synth_, channel, data1); break;
            case 0xD0: fluid_synth_channel_pressure(synth_, channel, data1); break;
            case 0xE0: fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7)); break;
            default: break;
        }
    }

    void systemExclusive(const uint8_t* data, size_t size) override {
        if (size == 0 || size > 0x7FFFFFFF) return;
        fluid_synth_sysex(synth_, reinterpret_cast<const char*>(data), static_cast<int>(size),
                          nullptr, nullptr, nullptr, 0);
    }

    void allNotesOff() override { fluid_synth_all_notes_off(synth_, -1); }

    void reset() override {
        // Every voice is ended first and one block rendered (and dropped) so that FluidSynth
        // frees them: its system reset alone lets them linger and keeps counting them. The block
        // also takes what was left of the last block rendered before. Then the channels and the
        // effects are reset with no voice left.
        fluid_synth_all_sounds_off(synth_, -1);
        int block = std::max(1, fluid_synth_get_internal_bufsize(synth_));
        int drop = static_cast<int>((block - rendered_ % block) % block) + block;
        std::vector<int16_t> discard(static_cast<size_t>(drop) * 2);
        render(discard.data(), drop);
        fluid_synth_system_reset(synth_);
        // The reverb's and chorus's filters keep a faint ring after their reset; it is rendered
        // away (at most a tenth of a second, whole blocks) so that the next piece starts from
        // silence.
        discard.assign(static_cast<size_t>(block) * 2, 0);
        for (int32_t settled = 0; settled < rate_ / 10; settled += block) {
            render(discard.data(), block);
            if (std::all_of(discard.begin(), discard.end(), [](int16_t v) { return v == 0; }))
                break;
        }
    }

    void render(int16_t* out, int32_t frames) override {
        constexpr int32_t kPiece = 1024;
        left_.resize(kPiece);
        right_.resize(kPiece);
        for (int32_t done = 0; done < frames;) {
            int32_t n = std::min(kPiece, frames - done);
            if (fluid_synth_write_float(synth_, n, left_.data(), 0, 1, right_.data(), 0, 1) !=
                FLUID_OK) {
                std::fill(out + 2 * done, out + 2 * (done + n), int16_t{0});
            } else {
                for (int32_t i = 0; i < n; ++i) {
                    out[2 * (done + i)] = toSample(left_[static_cast<size_t>(i)]);
                    out[2 * (done + i) + 1] = toSample(right_[static_cast<size_t>(i)]);
                }
            }
            done += n;
        }
        rendered_ += frames;
    }

  private:
    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    int32_t rate_;
    std::vector<float> left_;
    std::vector<float> right_;
    // Frames rendered since the synthesizer was made.
    int64_t rendered_ = 0;
};

}  // namespace

std::unique_ptr<MidiSynth> openFluidSynth(const std::string& soundfontPath, int32_t rate,
                                          std::string& error) {
    silenceFluidSynthLog();
    struct stat st {};
    if (stat(soundfontPath.c_str(), &st) != 0) {
        error = "no such file";
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "is not a file";
        return nullptr;
    }
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) {
        error = "the synthesizer cannot be made";
        return nullptr;
    }
    fluid_settings_setnum(settings, "synth.sample-rate", rate);
    // One thread at a time drives the synthesizer: it needs no lock of its own.
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth) {
        delete_fluid_settings(settings);
        error = "the synthesizer cannot be made";
        return nullptr;
    }
    if (fluid_synth_sfload(synth, soundfontPath.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        error = "is not a soundfont FluidSynth can read";
        return nullptr;
    }
    return std::make_unique<FluidMidiSynth>(settings, synth, rate);
}

}  // namespace rs::platform
