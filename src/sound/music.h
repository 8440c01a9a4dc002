// Background music: MIDI pieces rendered by a software synthesizer and CD-audio tracks from ripped
// files, both played into the engine's mixer (MIDI on the synthesizer line, CD on the CD line),
// and the volumes of the mixer lines.
//
// What the sequencer and the CD player told the window when a piece or a track ended is noticed
// by the main loop each turn (serviceMusic): a piece or track that ended for good is closed
// there. Repeats happen where the sound is made, at the exact frame: a looping piece goes on
// from 16 ms, a repeating track from its start.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/mixer.h"
#include "sound/mixer_lines.h"

namespace rs {
class Engine;
}
namespace rs::platform {
class MidiSynth;
}

namespace rs::sound {

struct MusicState {
    MusicState();
    ~MusicState();

    // midiDevice: the voice of the piece playing (0 none).
    Mixer::VoiceId midiVoice = 0;
    // The host path of the last piece requested, and its loop argument (1 repeats).
    std::string midiPath;
    int32_t midiLoop = 0;
    // The synthesizer, made with its soundfont on the first piece and kept for the run.
    std::shared_ptr<platform::MidiSynth> synth;
    // 0 not made yet, 1 ready, -1 no soundfont could be loaded (reported once).
    int32_t synthState = 0;
    std::string soundfontPath;
    // The system's soundfont places searched when the player names none (tests set their own).
    std::vector<std::string> systemSoundfontFiles;
    std::vector<std::string> systemSoundfontFolders;

    // cdDevice: the voice of the track playing (0 none); the track, the highest track found,
    // and the track to repeat (-1 none).
    Mixer::VoiceId cdVoice = 0;
    int32_t cdTrack = 0;
    int32_t cdTrackCount = 0;
    int32_t cdRepeatTrack = -1;

    // The mixer lines, read from the save folder's "mixer.ini" when first needed.
    MixerLines lines;
    bool linesLoaded = false;
    bool linesSaveFailed = false;
};

// playMidi: plays the MIDI file at the host path. Nothing plays while the MIDI switch is off.
// A soundfont that cannot be found or loaded, and a file that cannot be read as MIDI, turn the
// switch off (logged). Returns the voice (the device id), 0 when nothing plays.
Mixer::VoiceId playMidi(Engine& e, const std::string& path, int32_t loop);
// stopMidi: ends the piece if one plays; pending window events are dispatched.
void stopMidi(Engine& e);
// replayMidi: the piece requested last, again from its start, if one is requested.
void replayMidi(Engine& e);

// playCdTrack: ends the track playing, then plays `track` (repeating unless `repeat` is 0).
// Nothing plays when no track file is found at all, or not this one. Returns the voice or 0.
Mixer::VoiceId playCdTrack(Engine& e, int32_t repeat, int32_t track);
// stopCd: ends the track if one plays; pending window events are dispatched.
void stopCd(Engine& e);

// mixerVolume(line, value): see MixerLines::apply; a change is applied to the mix at once and
// written to "mixer.ini".
int32_t mixerVolume(Engine& e, int32_t line, int32_t value);
// The lines from "mixer.ini" applied to the mixer (once; later calls do nothing).
void loadMixerLines(Engine& e);

// The main loop's notice of ended pieces and tracks: a voice that ended is closed.
void serviceMusic(Engine& e);
// The window is destroyed, or the engine shuts down: MIDI and CD audio end (no events dispatched).
void endMusic(Engine& e);

}  // namespace rs::sound
