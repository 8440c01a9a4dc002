// The music commands: MIDI pieces, CD-audio tracks and the mixer volume (sound/music.h).
#include <optional>
#include <string>

#include "builtins/dispatcher.h"
#include "data/engine_resources.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "sound/music.h"
#include "sound/sound_commands.h"
#include "sound/sound_state.h"

namespace rs::sound {

namespace {

using runtime::ScriptThread;

// midplay(name, loop): plays "<name>.mid", a loose file (never an archive member) in the game
// folder, else in the -path folder. A piece requested before is stopped first; when the file is
// in neither place nothing else happens.
void cmdMidiPlay(Engine& e, ScriptThread& t) {
    int32_t loop = runtime::ngetint(e, t);
    if (t.failed) return;
    std::optional<std::string> name = runtime::ngetstr(e, t);
    if (t.failed) return;
    SoundState& s = *e.sound;
    if (s.midiRequested != 0) stopMidi(e);
    std::string file = name.value_or("") + ".mid";
    data::ResourceContext ctx = data::resourceContext(e);
    std::optional<std::string> path = data::findLooseFile(ctx, file);
    if (!path || !data::HostFile::openRead(*path).isOpen()) return;
    s.midiRequested = 0;
    playMidi(e, *path, loop);
    s.midiRequested = loop + 1;
}

void cmdMidiStop(Engine& e, ScriptThread&) {
    stopMidi(e);
    e.sound->midiRequested = 0;
}

// midswitch(state): 0 turns MIDI off (the piece stops, its request stays), 1 turns it on (the
// requested piece plays again from its start; nothing happens when it is on already), anything
// else leaves it. Answers the switch.
void cmdMidiSwitch(Engine& e, ScriptThread& t) {
    int32_t state = runtime::ngetint(e, t);
    if (t.failed) return;
    SoundState& s = *e.sound;
    if (state == 0) {
        stopMidi(e);
        s.midiSwitch = 0;
    } else if (state == 1 && s.midiSwitch == 0) {
        s.midiSwitch = 1;
        replayMidi(e);
    }
    runtime::pushInteger(e, t, s.midiSwitch);
}

// cdplay(track, repeat)
void cmdCdPlay(Engine& e, ScriptThread& t) {
    int32_t repeat = runtime::ngetint(e, t);
    int32_t track = runtime::ngetint(e, t);
    if (t.failed) return;
    playCdTrack(e, repeat, track);
}

void cmdCdStop(Engine& e, ScriptThread&) { stopCd(e); }

// mixvolume(line, value): the line's state after the change, -1 while muted.
void cmdMixerVolume(Engine& e, ScriptThread& t) {
    int32_t value = runtime::ngetint(e, t);
    int32_t line = runtime::ngetint(e, t);
    if (t.failed) return;
    runtime::pushInteger(e, t, mixerVolume(e, line, value));
}

constexpr builtins::CommandEntry kMusicCommands[] = {
    {0x500, "midplay", cmdMidiPlay},     {0x501, "midstop", cmdMidiStop},
    {0x507, "midswitch", cmdMidiSwitch}, {0x509, "cdplay", cmdCdPlay},
    {0x50a, "cdstop", cmdCdStop},        {0x50d, "mixvolume", cmdMixerVolume},
};

}  // namespace

void registerMusicCommands(builtins::CommandTable& table) { table.add(kMusicCommands); }

}  // namespace rs::sound
