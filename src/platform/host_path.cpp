#include "platform/host_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/encoding.h"

namespace rs::platform {

namespace {

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Folds ASCII letters. In UTF-8 every byte below 0x80 is a character of its own.
std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    }
    return out;
}

// Folds the ASCII letters of a code page 932 name; the second byte of a double-byte character
// stays as it is (0x83 0x41 and 0x83 0x61 are different characters).
std::string sjisLower(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        auto b = static_cast<uint8_t>(out[i]);
        if (isLeadByte(b)) {
            ++i;
        } else if (b >= 'A' && b <= 'Z') {
            out[i] = static_cast<char>(b + ('a' - 'A'));
        }
    }
    return out;
}

bool isAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<uint8_t>(c) >= 0x80) return false;
    }
    return true;
}

std::string startDir(std::string_view base, std::string_view gamePath) {
    if (!gamePath.empty() && gamePath[0] == '/') return "/";
    return base.empty() ? std::string(".") : std::string(base);
}

}  // namespace

std::vector<std::string> splitGamePath(std::string_view path) {
    std::vector<std::string> parts;
    std::string cur;
    for (size_t i = 0; i < path.size(); ++i) {
        auto b = static_cast<uint8_t>(path[i]);
        if (isLeadByte(b) && i + 1 < path.size()) {
            cur += path[i];
            cur += path[++i];
            continue;
        }
        if (b == '\\' || b == '/') {
            if (!cur.empty()) parts.push_back(std::move(cur));
            cur.clear();
            continue;
        }
        cur += path[i];
    }
    if (!cur.empty()) parts.push_back(std::move(cur));
    return parts;
}

std::string joinHostPath(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (out.empty()) return std::string(name);
    if (out.back() != '/') out += '/';
    out += name;
    return out;
}

bool isHostFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isHostFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderStoodFor(const std::string& path) {
    if (!isHostFile(path)) return path;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const std::vector<PathResolver::ListedName>& PathResolver::listing(const std::string& dir) {
    auto it = listings_.find(dir);
    if (it != listings_.end()) return it->second;
    std::vector<ListedName> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string_view n(e->d_name);
            if (n != "." && n != "..")
                names.push_back({std::string(n), sjisLower(n), asciiLower(n)});
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end(),
              [](const ListedName& a, const ListedName& b) { return a.name < b.name; });
    return listings_.emplace(dir, std::move(names)).first->second;
}

std::optional<std::string> PathResolver::matchComponent(const std::string& dir,
                                                        const std::string& name) {
    if (exists(joinHostPath(dir, name))) return name;
    // An ASCII name is its own UTF-8 form.
    std::optional<std::string> utf8 =
        isAscii(name) ? std::optional<std::string>(name) : cp932ToUtf8Strict(name);
    if (utf8 && *utf8 != name && exists(joinHostPath(dir, *utf8))) return *utf8;

    std::string lowerRaw = sjisLower(name);
    std::string lowerUtf8 = utf8 ? asciiLower(*utf8) : std::string();
    std::lock_guard<std::mutex> lock(mutex_);
    // The listing is sorted, so the first match is the same on every run.
    for (const ListedName& entry : listing(dir)) {
        if (entry.foldedRaw == lowerRaw || (utf8 && entry.foldedUtf8 == lowerUtf8))
            return entry.name;
    }
    return std::nullopt;
}

std::optional<std::string> PathResolver::findExisting(std::string_view base,
                                                      std::string_view gamePath) {
    std::string dir = startDir(base, gamePath);
    for (const std::string& part : splitGamePath(gamePath)) {
        if (part == ".") continue;
        if (part == "..") {
            dir = joinHostPath(dir, "..");
            continue;
        }
        auto found = matchComponent(dir, part);
        if (!found) return std::nullopt;
        dir = joinHostPath(dir, *found);
    }
    return dir;
}

std::string PathResolver::mapForCreate(std::string_view base, std::string_view gamePath) {
    std::string dir = startDir(base, gamePath);
    bool matching = true;
    for (const std::string& part : splitGamePath(gamePath)) {
        if (part == ".") continue;
        if (part == "..") {
            dir = joinHostPath(dir, "..");
            continue;
        }
        std::optional<std::string> found;
        if (matching) found = matchComponent(dir, part);
        if (found) {
            dir = joinHostPath(dir, *found);
            continue;
        }
        matching = false;
        auto utf8 = cp932ToUtf8Strict(part);
        dir = joinHostPath(dir, utf8 ? *utf8 : part);
    }
    return dir;
}

void PathResolver::forget(std::string_view hostDir) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = listings_.find(hostDir);
    if (it != listings_.end()) listings_.erase(it);
}

void PathResolver::forgetAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    listings_.clear();
}

}  // namespace rs::platform
