// Script error reports, message boxes that are logged, and the error log.
#pragma once

#include <string_view>

namespace rs {
class Engine;
}

namespace rs::runtime {

struct ScriptThread;

// A fatal script error: the box, the log entry, and the game stops (the thread ends and the main
// window is destroyed). Once a fatal error has been reported, later reports are not shown: the
// game is already stopping.
void scriptError(Engine& e, ScriptThread& t, std::string_view message, std::string_view place);

// A non-fatal script error: the box and the log entry; the script goes on.
void scriptWarning(Engine& e, ScriptThread& t, std::string_view message, std::string_view place);

// A message box with the exclamation icon, then a log entry.
void showAndLog(Engine& e, std::string_view text, std::string_view title);
// The same with the information icon.
void showInfoAndLog(Engine& e, std::string_view text, std::string_view title);

// The pool-exhaustion notice: a plain box without owner, not logged.
void poolWarning(Engine& e);

// Appends one entry to "save\rune_error.log" under the install folder; silent when the folder is
// missing or the file cannot be opened.
void appendErrorLog(Engine& e, std::string_view title, std::string_view text);

// ConfirmExit: "<title>を終了します" with OK and Cancel; true for OK.
bool confirmExit(Engine& e);

}  // namespace rs::runtime
