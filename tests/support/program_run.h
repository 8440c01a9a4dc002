// Running the runestage program as a player does, and game folders for it.
#pragma once

#include <string>

#include "support/test_game.h"

namespace rs::test {

struct ProgramRun {
    int status = -1;
    std::string err;  // standard error (UTF-8)
};

// Runs runestage with these arguments (shell words) and collects its standard error.
ProgramRun runestage(const std::string& args);

// A game folder holding the assembled first script under its UTF-8 file name, and "save".
void writeGame(const TempDir& dir, const std::string& source);

}  // namespace rs::test
