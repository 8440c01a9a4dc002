#include "sound/soundfont_search.h"

#include <dirent.h>

#include <algorithm>

#include "platform/host_path.h"

namespace rs::sound {

namespace {

bool hasSf2Extension(const std::string& name) {
    if (name.size() < 5) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return ext == ".sf2";
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The ".sf2" files of a folder, by name.
std::vector<std::string> sf2FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (hasSf2Extension(name) && platform::isHostFile(joined(folder, name)))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (std::string& n : names) n = joined(folder, n);
    return names;
}

void addOnce(std::vector<std::string>& list, const std::string& path) {
    if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
}

}  // namespace

std::vector<std::string> defaultSystemSoundfontFiles() {
    return {
        "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/soundfonts/default.sf2",
    };
}

std::vector<std::string> defaultSystemSoundfontFolders() {
    return {"/usr/share/sounds/sf2", "/usr/share/soundfonts"};
}

SoundfontCandidates soundfontCandidates(const SoundfontSources& sources) {
    SoundfontCandidates c;
    for (const std::string* named : {&sources.option, &sources.environment, &sources.setting}) {
        if (named->empty()) continue;
        c.files.push_back(*named);
        c.named = true;
        c.looked.push_back(*named);
        return c;
    }
    c.looked.push_back(joined(sources.gameFolder, "*.sf2"));
    for (const std::string& f : sf2FilesIn(sources.gameFolder)) addOnce(c.files, f);
    for (const std::string& f : sources.systemFiles) {
        c.looked.push_back(f);
        if (platform::isHostFile(f)) addOnce(c.files, f);
    }
    for (const std::string& folder : sources.systemFolders) {
        c.looked.push_back(joined(folder, "*.sf2"));
        for (const std::string& f : sf2FilesIn(folder)) addOnce(c.files, f);
    }
    return c;
}

}  // namespace rs::sound
