#include "data/save_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/encoding.h"
#include "platform/host_path.h"

namespace rs::data {

namespace {

std::string parentOf(const std::string& path) {
    size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    size_t slash = path.rfind('/', end - 1);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool createFolder(const std::string& dir, platform::PathResolver& paths, int depth) {
    if (dir.empty() || platform::isHostFolder(dir)) return true;
    if (depth > 256) return false;
    std::string parent = parentOf(dir);
    if (parent != dir && !createFolder(parent, paths, depth + 1)) return false;
    // Per-user data folders are private to the user.
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    paths.forget(parent);
    return platform::isHostFolder(dir);
}

}  // namespace

namespace {

// An XDG base folder: the variable's value when it is an absolute path, else `fallback` in the
// home folder ($HOME, else the account's), else empty.
std::string xdgRoot(const char* value, const char* home, const char* fallback) {
    if (value && value[0] == '/') return value;
    if (home && home[0] != '\0') return platform::joinHostPath(home, fallback);
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] != '\0') {
        return platform::joinHostPath(pw->pw_dir, fallback);
    }
    return {};
}

}  // namespace

std::string userDataRoot(const char* xdgDataHome, const char* home) {
    return xdgRoot(xdgDataHome, home, ".local/share");
}

std::string userDataRootFromEnvironment() {
    return userDataRoot(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::string userConfigRoot(const char* xdgConfigHome, const char* home) {
    return xdgRoot(xdgConfigHome, home, ".config");
}

std::string userConfigRootFromEnvironment() {
    return userConfigRoot(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string saveFolderPath(std::string_view root, std::string_view gameKey) {
    std::string key = platform::cp932ToUtf8Strict(gameKey).value_or(std::string(gameKey));
    return platform::joinHostPath(platform::joinHostPath(root, "SEIRAN-DO"), key);
}

std::string scriptTextOfHostPath(std::string_view hostPath) {
    return platform::utf8ToCp932(hostPath).value_or(std::string(hostPath));
}

bool staysInFolder(std::string_view name) {
    if (!name.empty() && (name[0] == '\\' || name[0] == '/')) return false;
    if (name.size() >= 2 && name[1] == ':') {
        char c = name[0];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return false;
    }
    int depth = 0;
    for (const std::string& part : platform::splitGamePath(name)) {
        if (part == ".") continue;
        if (part == "..") {
            if (--depth < 0) return false;
            continue;
        }
        ++depth;
    }
    return true;
}

std::string hostFolderOf(const std::string& hostPath) { return parentOf(hostPath); }

bool createFoldersFor(const std::string& hostFilePath, platform::PathResolver& paths) {
    return createFolder(parentOf(hostFilePath), paths, 0);
}

}  // namespace rs::data
