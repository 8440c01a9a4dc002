// rs-snd: sound files as the engine sees them, and the demo game's sound.
#include <iostream>
#include <string>
#include <vector>

#include "snd/sound_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return rs::tools::runSoundTool(args, std::cout, std::cerr);
}
