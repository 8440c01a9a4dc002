// The runestage command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/app_state.h"

namespace rs::shell {

struct LaunchOptions {
    AppState app;  // program folder, -path prefix, pool size, -w, the player's sound
    bool headless = false;
    bool virtualClock = false;
    double timeoutSeconds = 0;     // 0: no watchdog
    std::string screenshotPath;    // empty: no screenshot
    int64_t screenshotAtMs = -1;   // -1: at the end of the run
    std::string audioCapturePath;  // empty: no capture
    bool showVersion = false;
    bool showHelp = false;
    std::vector<std::string> errors;  // what could not be understood, one line each
};

// Parses the arguments after the program name. The original options are single tokens:
// -path<folder> sets the data folder prefix, -v<n> the value pool size, any token starting with
// -w turns the single-instance checks off, other "-" tokens are ignored, and a token without "-"
// names the game folder. Options of this engine start with "--".
LaunchOptions parseCommandLine(const std::vector<std::string>& args);

// The --help text.
const char* usageText();

}  // namespace rs::shell
