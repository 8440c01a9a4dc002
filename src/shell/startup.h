// Start-up of a game and the run from the first script to the end.
#pragma once

#include <functional>
#include <string_view>

#include "shell/app_state.h"

namespace rs {
class Engine;
namespace platform {
class PathResolver;
}
}  // namespace rs

namespace rs::shell {

// Reads "gamestr.txt" from the program folder: four lines giving the engine name, game title,
// game key and CD folder name, each cut at its first byte from 0x00 to 0x20. Missing lines keep
// their defaults.
void readGameStrings(AppState& app, platform::PathResolver& paths);
// The same from the file's contents.
void parseGameStrings(AppState& app, std::string_view contents);

// Creates the main thread in slot 0 and loads the first script. On failure shows the start-up
// error, destroys the window and returns false.
bool startMainThread(Engine& e);

// The whole run: game strings, installer values, start-up log line, environment file, font
// search, the window with the notice, the settings dialog and the stuck-input question, the
// main thread, the running marker, the main loop, the end log line. Returns the exit status: 0
// normal end (also when the player quit in the settings dialog: startCancelled is then set), 1
// start-up failure, 2 fatal script error. `afterTurn` is called after every turn of the main
// loop.
int runGame(Engine& e, const std::function<void()>& afterTurn = {});

}  // namespace rs::shell
