// The command families of the sound group (ids from 0x500): digital sound, music (MIDI, CD audio,
// mixer volume) and movies.
#pragma once

namespace rs::builtins {
class CommandTable;
}

namespace rs::sound {

// waveplay, sndopen, sndplay, sndstop, sndclose, sndstub, waveremain, wavedata, sndremain.
void registerSoundCommands(builtins::CommandTable& table);
// midplay, midstop, midswitch, cdplay, cdstop, mixvolume.
void registerMusicCommands(builtins::CommandTable& table);
// The movie commands: play, mode, status, stop, seek and volume.
void registerMovieCommands(builtins::CommandTable& table);

}  // namespace rs::sound
