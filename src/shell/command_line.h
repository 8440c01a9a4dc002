// The runestage command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/app_state.h"

namespace rs::shell {

struct LaunchOptions {
    // Program folder, -path prefix, pool size, -w; the filter, the screen mode and the back-end
    // asked for; the player's sound.
    AppState app;
    bool headless = false;
    bool virtualClock = false;
    double timeoutSeconds = 0;    // 0: no watchdog
    std::string screenshotPath;   // empty: no screenshot
    int64_t screenshotAtMs = -1;  // -1: at the end of the run
    int64_t exitAtMs = -1;        // -1: no planned end
    std::string inputPath;        // --input: events replayed from this file
    std::string recordInputPath;  // --record-input: the player's events written to this file
    int32_t scale = 0;            // --scale; 0: not given
    bool vsync = false;
    std::string audioCapturePath;  // empty: no capture
    std::string checkFolder;       // --check: the folder to look at instead of playing; empty: none
    bool folderGiven = false;  // a game folder was named (else the current folder, or the launcher)
    bool stats = false;        // --stats: memory and value-pool use on standard error
    bool showVersion = false;
    bool showHelp = false;
    std::vector<std::string> errors;    // what could not be understood, one line each
    std::vector<std::string> warnings;  // tokens ignored or replaced, one line each
};

// Parses the arguments after the program name. The original options are single tokens:
// -path<folder> sets the data folder prefix, -v<n> the value pool size, any token starting with
// -w turns the single-instance checks off, other "-" tokens are ignored, and a token without "-"
// names the game folder. Options of this engine start with "--". `base` holds the defaults the
// options are read over (the settings file's).
LaunchOptions parseCommandLine(const std::vector<std::string>& args, LaunchOptions base = {});

// The --help text.
const char* usageText();

}  // namespace rs::shell
