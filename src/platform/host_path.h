// Maps the game's file names onto the host file system.
//
// Game paths are code page 932 bytes with '\' separators (a 0x5C that is the second byte of a
// double-byte character is not a separator). Each component is looked up in turn: the bytes as
// given, then the name converted to UTF-8, then a match that ignores ASCII letter case (letters of
// double-byte characters are left alone). Folder listings used for that last step are cached, so a
// miss does not rescan the folder; the resolver may be used from several threads.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rs::platform {

// Splits a game path into its components, walking it as Shift-JIS. '/' also separates.
std::vector<std::string> splitGamePath(std::string_view gamePath);

// Joins a host folder and a name with '/'.
std::string joinHostPath(std::string_view dir, std::string_view name);

// Whether a host path names a folder, or a regular file (links followed).
bool isHostFolder(const std::string& path);
bool isHostFile(const std::string& path);

// The game folder a host path stands for: the path itself, or the folder holding it when it is a
// file (a file of the game given or dropped instead of its folder).
std::string folderStoodFor(const std::string& path);

class PathResolver {
  public:
    // The host path of an existing file or folder named by `gamePath`, relative to the host folder
    // `base` (an absolute game path, one starting with '/', ignores `base`).
    std::optional<std::string> findExisting(std::string_view base, std::string_view gamePath);

    // The host path at which `gamePath` is to be created: components that exist are matched as
    // above, the rest are converted to UTF-8 (kept as bytes where they do not convert).
    std::string mapForCreate(std::string_view base, std::string_view gamePath);

    // Drops the cached listing of a host folder (after creating something in it).
    void forget(std::string_view hostDir);
    void forgetAll();

  private:
    // The host name in `dir` of the component `name`, or nullopt.
    std::optional<std::string> matchComponent(const std::string& dir, const std::string& name);

    // A folder entry with its name folded both ways (as code page 932 and as UTF-8).
    struct ListedName {
        std::string name;
        std::string foldedRaw;
        std::string foldedUtf8;
    };
    // The sorted listing of a host folder, read once (empty when it cannot be read). Call with
    // the mutex held.
    const std::vector<ListedName>& listing(const std::string& dir);

    std::mutex mutex_;
    std::map<std::string, std::vector<ListedName>, std::less<>> listings_;
};

}  // namespace rs::platform
