// The engine's own files (the default settings, the icon, the bundled demo game): found next to
// the program first, so that a build tree runs without installing, then under the install prefix.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rs::platform {

// The file that marks a folder as the engine's data folder.
constexpr const char* kDataFolderMarker = "runestage.ini";

// The folder holding the running program (from /proc/self/exe); empty when it cannot be told.
std::string executableFolder();

// The folders tried for the engine's data, in order: `override` when given (the
// RUNESTAGE_DATA_DIR variable), `<exeFolder>/share/runestage` (a build tree),
// `<exeFolder>/../share/runestage` (an installed tree, wherever it was moved), then
// `installedDataDir` (the prefix the program was built for).
std::vector<std::string> dataFolderCandidates(const std::string& exeFolder, const char* override,
                                              const std::string& installedDataDir);

// The first candidate that holds the marker file.
std::optional<std::string> findDataFolder(const std::vector<std::string>& candidates);

// The data folder of this program, looked up once per call.
std::optional<std::string> engineDataFolder();

}  // namespace rs::platform
