// `runestage --check GAME_DIR`: a read-only look at a game folder before playing it, answered in
// plain words: what was found, what is missing, and whether the game can start.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/font_catalog.h"
#include "sound/soundfont_search.h"

namespace rs::shell {

// What the check looks at besides the folder itself; the program fills it from the host, tests
// give their own.
struct CheckInputs {
    std::string gameFolder;                 // host path of the game folder
    std::string dataFolderPrefix;           // the -path folder, or empty
    std::string userDataRoot;               // the root of the save folders
    std::optional<std::string> engineData;  // the engine's data folder, when found
    platform::FontCatalog fonts;            // the installed Japanese faces
    // Where MIDI music would take its soundfont from (the game folder is filled in).
    sound::SoundfontSources soundfonts;
};

struct CheckReport {
    bool canStart = false;
    std::string text;  // UTF-8, one finding a line
};

CheckReport checkGameFolder(const CheckInputs& in);

// Whether a game can start from `folder` (the -path folder `dataFolderPrefix` searched too): empty
// when its first script is there, else the reason in plain words (UTF-8).
std::string gameFolderProblem(const std::string& folder, const std::string& dataFolderPrefix);

}  // namespace rs::shell
