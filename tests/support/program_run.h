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

// The per-user folders of runs (XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR): runs given the
// same folders share the save folder with its environment file, the settings and the
// single-instance lock. A run given none gets fresh folders of its own.
class UserFolders {
  public:
    UserFolders();
    std::string data() const { return dir_.path() + "/data"; }
    std::string config() const { return dir_.path() + "/config"; }
    std::string runtime() const { return dir_.path() + "/runtime"; }
    // The save folder of the default game key, and the environment file of the default title.
    std::string saveFolder() const;
    std::string environmentFile() const;
    // Sets the three variables in this process (for a child about to start runestage).
    void apply() const;

  private:
    TempDir dir_;
};

// Runs `runestage ARGS` through the shell (ARGS quoted by the caller); standard output is dropped.
ProgramRun runestage(const std::string& args, const UserFolders* folders = nullptr);

// Starts runestage with these arguments (no shell); its process id. Standard error goes to the
// file `errFile` when given, else nowhere.
pid_t spawnRunestage(const std::vector<std::string>& args, const UserFolders* folders = nullptr,
                     const std::string& errFile = "");
// Waits for the process; its exit status, -1 when it did not exit normally.
int waitForExit(pid_t pid);

// A game folder holding the first script, assembled from `source`, and a save folder.
void writeGame(const TempDir& dir, const std::string& source);
// A copy of the demo game in the folder (with a save folder for the log).
void copyDemo(const TempDir& dir);
// Waits (at most `seconds`) until the game's log holds the text.
bool waitForLog(const TempDir& dir, const std::string& text, double seconds);

}  // namespace rs::test
