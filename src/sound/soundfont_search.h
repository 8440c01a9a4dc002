// Where MIDI music takes its soundfont from. A soundfont named by the player is the one used:
// --soundfont, else RUNESTAGE_SOUNDFONT, else the settings file's; when it cannot be loaded MIDI
// stays off (the player asked for that file). Without a name, the soundfonts found are tried in
// order until one loads: a ".sf2" in the game folder (by name), then the system's: the files
// Debian's soundfont packages install (default-GM.sf2 first, the one the system chose), then any
// other ".sf2" in the system's soundfont folders.
#pragma once

#include <string>
#include <vector>

namespace rs::sound {

struct SoundfontSources {
    std::string option;       // --soundfont
    std::string environment;  // RUNESTAGE_SOUNDFONT
    std::string setting;      // the [sound] soundfont of the settings file
    std::string gameFolder;
    std::vector<std::string> systemFiles;
    std::vector<std::string> systemFolders;
};

// The system's places on Debian (and the usual folder of other distributions).
std::vector<std::string> defaultSystemSoundfontFiles();
std::vector<std::string> defaultSystemSoundfontFolders();

struct SoundfontCandidates {
    // The files to try, in order (files that exist, except a named one, which is kept even when
    // missing so that its failure is reported).
    std::vector<std::string> files;
    // True when the player named the one file.
    bool named = false;
    // Where the search looked, for the report when nothing is found.
    std::vector<std::string> looked;
};

SoundfontCandidates soundfontCandidates(const SoundfontSources& sources);

}  // namespace rs::sound
