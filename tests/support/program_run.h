// The runestage program run as a player runs it: its exit status and standard error, a process
// to send signals to, and game folders for it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/test_game.h"

namespace rs::test {

struct ProgramRun {
    int status = -1;
    std::string err;  // standard error (UTF-8)
};

// Runs `runestage ARGS` through the shell (ARGS quoted by the caller); standard output is dropped.
ProgramRun runestage(const std::string& args);

// Starts runestage with these arguments (no shell, standard error dropped); its process id.
pid_t spawnRunestage(const std::vector<std::string>& args);
// Waits for the process; its exit status, -1 when it did not exit normally.
int waitForExit(pid_t pid);

// A game folder holding the first script, assembled from `source`, and a save folder.
void writeGame(const TempDir& dir, const std::string& source);
// A copy of the demo game in the folder (with a save folder for the log).
void copyDemo(const TempDir& dir);
// Waits (at most `seconds`) until the game's log holds the text.
bool waitForLog(const TempDir& dir, const std::string& text, double seconds);

}  // namespace rs::test
