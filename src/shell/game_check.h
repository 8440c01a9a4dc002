// `runestage --check GAME_DIR`: a read-only look at a game folder before playing it, answered in
// plain words: what was found, what is missing, and whether the game can start.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/font_catalog.h"

namespace rs::shell {

// What the check looks at besides the folder itself; the program fills it from the host, tests
// give their own.
struct CheckInputs {
    std::string gameFolder;                 // host path of the game folder
    std::string dataFolderPrefix;           // the -path folder, or empty
    std::string userDataRoot;               // the root of the save folders
    std::optional<std::string> engineData;  // the engine's data folder, when found
    platform::FontCatalog fonts;            // the installed Japanese faces
    // Lines about the music (the soundfont, the CD tracks), written by the music side.
    std::vector<std::string> musicLines;
};

struct CheckReport {
    bool canStart = false;
    std::string text;  // UTF-8, one finding a line
};

CheckReport checkGameFolder(const CheckInputs& in);

}  // namespace rs::shell
