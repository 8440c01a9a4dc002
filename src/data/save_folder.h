// Where script files live: the game folder and the per-user save folder, and the checks that keep
// a script's file names inside them.
#pragma once

#include <string>
#include <string_view>

namespace rs::platform {
class PathResolver;
}

namespace rs::data {

// The folder per-user data goes under: $XDG_DATA_HOME when it is an absolute path, else
// $HOME/.local/share, else the home folder of the user's account entry. Empty when there is no
// home at all.
std::string userDataRoot(const char* xdgDataHome, const char* home);
// The same from the process environment.
std::string userDataRootFromEnvironment();
// The folder per-user settings go under: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config, else the account's home folder's .config; empty without a home.
std::string userConfigRoot(const char* xdgConfigHome, const char* home);
std::string userConfigRootFromEnvironment();

// The save folder: <root>/SEIRAN-DO/<game key>. The game key is code page 932 and is converted
// for the host (kept as bytes where it does not convert).
std::string saveFolderPath(std::string_view root, std::string_view gameKey);

// A host path as scripts and messages see it: code page 932 where it converts, else the bytes.
std::string scriptTextOfHostPath(std::string_view hostPath);

// True when a script's file name stays inside the folder it is taken from: not absolute, no drive
// prefix, and no ".." that climbs above the folder.
bool staysInFolder(std::string_view gameName);

// The folder part of a host path ("." for a bare name).
std::string hostFolderOf(const std::string& hostPath);

// Creates the folders on the way to a host file, parents first, and makes the resolver forget
// the listings of the folders it created entries in. False when a folder cannot be created.
bool createFoldersFor(const std::string& hostFilePath, platform::PathResolver& paths);

}  // namespace rs::data
