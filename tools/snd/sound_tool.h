// rs-snd: sound files as the engine sees them (type, format, reported length, loop points), what a
// stream of one plays, and the demo game's sound.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace rs::tools {

// What a stream of the file (`name` decides the type, as in the engine) plays from its start
// through the engine's ring and mixer: `frames` frames of 44100 Hz stereo. Played once, or in
// a loop; `gain` is the sample conversion's. False with a reason when the file does not play.
bool renderStream(const std::string& name, const std::string& bytes, int64_t frames, bool loop,
                  int32_t gain, std::vector<int16_t>& out, std::string& error);

// Describes the file; false with a reason when it is not a sound file the engine plays.
bool describeSound(const std::string& name, const std::string& bytes, std::ostream& out,
                   std::string& error);

// The program: rs-snd COMMAND ARGS... Returns the exit status; messages go to `err`.
int runSoundTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rs::tools
