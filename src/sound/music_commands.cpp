// The music commands: MIDI pieces, CD-audio tracks and the mixer volume. This build has no MIDI
// sequencer, no CD player and no mixer lines yet, so each command takes its arguments and answers
// as the game would see it on a machine without them: a MIDI file that exists cannot be played
// (the MIDI switch turns off, as on such a machine), CD audio never plays and every mixer line is
// missing (-2). The bookkeeping scripts can observe (`midiRequested`, the switch) is kept.
#include <array>
#include <optional>
#include <string>

#include "builtins/dispatcher.h"
#include "data/engine_resources.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "sound/sound_commands.h"
#include "sound/sound_state.h"

namespace rs::sound {

namespace {

using runtime::ScriptThread;

// The result of mixvolume for a line that does not exist.
constexpr int32_t kNoMixerLine = -2;

// playMidi without a sequencer: the open fails, which turns the MIDI switch off. Returns the
// device id (0: nothing plays).
int32_t playMidi(SoundState& s) {
    if (s.midiSwitch == 0) return 0;
    s.midiSwitch = 0;
    return 0;
}

// midplay(name, loop): plays "<name>.mid", a loose file in the game folder or the -path folder.
void cmdMidiPlay(Engine& e, ScriptThread& t) {
    int32_t loop = runtime::ngetint(e, t);
    if (t.failed) return;
    std::optional<std::string> name = runtime::ngetstr(e, t);
    if (t.failed) return;
    SoundState& s = *e.sound;
    std::string file = name.value_or("") + ".mid";
    if (!data::OpenLooseFile(data::resourceContext(e), file).isOpen()) return;
    s.midiRequested = 0;
    playMidi(s);
    s.midiRequested = loop + 1;
}

void cmdMidiStop(Engine& e, ScriptThread&) { e.sound->midiRequested = 0; }

// midswitch(state): 0 off, 1 on (replaying the requested piece), else unchanged; answers the
// switch.
void cmdMidiSwitch(Engine& e, ScriptThread& t) {
    int32_t state = runtime::ngetint(e, t);
    if (t.failed) return;
    SoundState& s = *e.sound;
    if (state == 0) {
        s.midiSwitch = 0;
    } else if (state == 1 && s.midiSwitch == 0) {
        s.midiSwitch = 1;
        if (s.midiRequested != 0) playMidi(s);
    }
    runtime::pushInteger(e, t, s.midiSwitch);
}

// cdplay(track, repeat): no CD audio plays.
void cmdCdPlay(Engine& e, ScriptThread& t) {
    runtime::ngetint(e, t);
    runtime::ngetint(e, t);
}

void cmdCdStop(Engine&, ScriptThread&) {}

// mixvolume(line, value)
void cmdMixerVolume(Engine& e, ScriptThread& t) {
    runtime::ngetint(e, t);
    runtime::ngetint(e, t);
    if (t.failed) return;
    runtime::pushInteger(e, t, kNoMixerLine);
}

constexpr builtins::CommandEntry kMusicCommands[] = {
    {0x500, "midplay", cmdMidiPlay},     {0x501, "midstop", cmdMidiStop},
    {0x507, "midswitch", cmdMidiSwitch}, {0x509, "cdplay", cmdCdPlay},
    {0x50a, "cdstop", cmdCdStop},        {0x50d, "mixvolume", cmdMixerVolume},
};

}  // namespace

void registerMusicCommands(builtins::CommandTable& table) { table.add(kMusicCommands); }

}  // namespace rs::sound
