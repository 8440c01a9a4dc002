// The script's digital sound commands: the one-shot WAVE, the 32 stream slots, the remaining
// times and the script's own samples. Arguments are popped last first.
#include "sound/sound_commands.h"

#include <array>
#include <vector>

#include "builtins/dispatcher.h"
#include "platform/host.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "sound/sound_state.h"
#include "sound/stream_control.h"

namespace rs::sound {

namespace {

using runtime::ScriptThread;

// Pops n integers; out[0] is the first argument the script wrote.
template <size_t N>
bool popInts(Engine& e, ScriptThread& t, std::array<int32_t, N>& out) {
    for (size_t i = N; i-- > 0;) out[i] = runtime::ngetint(e, t);
    return !t.failed;
}

// The stream in a slot; none for an empty slot or a number outside 0-31 (the command is then
// ignored).
SoundStream* streamIn(Engine& e, int32_t slot) {
    if (slot < 0 || slot >= kSlotCount) return nullptr;
    return e.sound->slots[static_cast<size_t>(slot)].get();
}

// waveplay(file, priority, volume, pan, mode): the file is a string or void (void only stops).
void cmdWavePlay(Engine& e, ScriptThread& t) {
    std::array<int32_t, 4> a{};  // priority, volume, pan, mode
    if (!popInts(e, t, a)) return;
    runtime::Value* file = runtime::ngetvar(e, t, true);
    if (!file) return;
    if (file->type != runtime::kString && file->type != runtime::kVoid) {
        runtime::release(e, file);
        runtime::showAndLog(e, "ファイル名が異常です", "ＷＡＶＥ再生");
        return;
    }
    SoundState& s = *e.sound;
    if (s.waveStream) {
        closeStream(e, *s.waveStream);
        s.waveStream.reset();
    }
    if (file->type == runtime::kString) {
        s.waveStream = std::make_unique<SoundStream>();
        openStream(e, *s.waveStream, runtime::stringText(*file), 1);
        playStream(e, *s.waveStream, a[3], a[2], a[1], static_cast<uint32_t>(a[0]));
    }
    runtime::release(e, file);
}

// sndopen(file, gain): the lowest empty slot's number, or void when all 32 are taken.
void cmdSoundOpen(Engine& e, ScriptThread& t) {
    int32_t gain = runtime::ngetint(e, t);
    if (t.failed) return;
    std::optional<std::string> name = runtime::ngetstr(e, t);
    if (t.failed) return;
    SoundState& s = *e.sound;
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        auto& cell = s.slots[static_cast<size_t>(slot)];
        if (cell) continue;
        cell = std::make_unique<SoundStream>();
        openStream(e, *cell, name.value_or(""), gain);
        runtime::pushInteger(e, t, slot);
        return;
    }
    platform::MessageBoxRequest box;
    box.text = "これ以上作成できません";
    box.caption = "サウンドバッファの作成";
    box.ownedByWindow = e.app.mainWindow;
    e.host.messageBoxes().show(box);
    runtime::pushValue(e, t, e.pool.newOfType(runtime::kVoid, 0));
}

// sndplay(slot, priority, volume, pan, mode)
void cmdSoundPlay(Engine& e, ScriptThread& t) {
    std::array<int32_t, 5> a{};
    if (!popInts(e, t, a)) return;
    if (SoundStream* s = streamIn(e, a[0]))
        playStream(e, *s, a[4], a[3], a[2], static_cast<uint32_t>(a[1]));
}

void cmdSoundStop(Engine& e, ScriptThread& t) {
    int32_t slot = runtime::ngetint(e, t);
    if (t.failed) return;
    if (SoundStream* s = streamIn(e, slot)) stopStream(e, *s);
}

void cmdSoundClose(Engine& e, ScriptThread& t) {
    int32_t slot = runtime::ngetint(e, t);
    if (t.failed || !streamIn(e, slot)) return;
    auto& cell = e.sound->slots[static_cast<size_t>(slot)];
    closeStream(e, *cell);
    cell.reset();
}

// sndstub(n): does nothing and answers -1.
void cmdSoundStub(Engine& e, ScriptThread& t) {
    runtime::ngetint(e, t);
    if (t.failed) return;
    runtime::pushInteger(e, t, -1);
}

void cmdWaveRemain(Engine& e, ScriptThread& t) {
    SoundStream* s = e.sound->waveStream.get();
    runtime::pushInteger(e, t, s ? remainingTime(e, *s) : 0);
}

void cmdSoundRemain(Engine& e, ScriptThread& t) {
    int32_t slot = runtime::ngetint(e, t);
    if (t.failed) return;
    SoundStream* s = streamIn(e, slot);
    runtime::pushInteger(e, t, s ? remainingTime(e, *s) : 0);
}

// The sample an array element gives: the low 16 bits of its payload (an integer's value, a
// real's bits); other elements, and unassigned ones, are 0.
int16_t sampleOf(const runtime::Value* v) {
    if (!v || (v->type != runtime::kInteger && v->type != runtime::kReal)) return 0;
    return static_cast<int16_t>(v->u.i & 0xFFFF);
}

// wavedata(priority, volume, pan, mode, samples): the array's elements in order as 16-bit mono
// samples at 22050 Hz.
void cmdWaveData(Engine& e, ScriptThread& t) {
    runtime::Variable* samples = runtime::ngetbody(e, t);
    if (t.failed || !samples) return;
    std::array<int32_t, 4> a{};  // priority, volume, pan, mode
    if (!popInts(e, t, a)) return;
    std::vector<uint8_t> bytes;
    bytes.reserve(samples->elements.size() * 2);
    for (const runtime::Slot& cell : samples->elements) {
        uint16_t s = static_cast<uint16_t>(sampleOf(cell));
        bytes.push_back(static_cast<uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<uint8_t>(s >> 8));
    }
    playSamples(e, bytes, a[3] != 0, a[2], a[1], static_cast<uint32_t>(a[0]));
}

constexpr builtins::CommandEntry kSoundCommands[] = {
    {0x502, "waveplay", cmdWavePlay},     {0x503, "sndopen", cmdSoundOpen},
    {0x504, "sndplay", cmdSoundPlay},     {0x505, "sndstop", cmdSoundStop},
    {0x506, "sndclose", cmdSoundClose},   {0x508, "sndstub", cmdSoundStub},
    {0x50c, "waveremain", cmdWaveRemain}, {0x50e, "wavedata", cmdWaveData},
    {0x50f, "sndremain", cmdSoundRemain},
};

}  // namespace

void registerSoundCommands(builtins::CommandTable& table) { table.add(kSoundCommands); }

}  // namespace rs::sound
