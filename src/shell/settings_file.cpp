#include "shell/settings_file.h"

#include <algorithm>
#include <cstdlib>

#include "data/host_file.h"
#include "data/save_folder.h"
#include "platform/host_path.h"
#include "shell/command_line.h"

namespace rs::shell {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string lowered(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; });
    return out;
}

std::optional<bool> parseSwitch(std::string_view v) {
    std::string s = lowered(v);
    if (s == "1" || s == "yes" || s == "true" || s == "on") return true;
    if (s == "0" || s == "no" || s == "false" || s == "off") return false;
    return std::nullopt;
}

std::optional<int32_t> parseWhole(std::string_view v, int32_t low, int32_t high) {
    std::string s(v);
    char* end = nullptr;
    long n = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || !end || *end != '\0' || n < low || n > high) return std::nullopt;
    return static_cast<int32_t>(n);
}

// Applies one key of a section; false when the key or its value is not understood (`problem`
// then says why).
bool applyKey(EngineSettings& s, const std::string& section, const std::string& key,
              std::string_view value, std::string& problem) {
    auto bad = [&](const char* expected) {
        problem = section + "." + key + " needs " + expected + ", not '" + std::string(value) + "'";
        return false;
    };
    if (section == "display") {
        if (key == "scale") {
            if (lowered(value) == "auto") {
                s.scale = 0;
            } else if (auto n = parseWhole(value, 0, platform::kMaxWindowScale)) {
                s.scale = *n;
            } else {
                return bad("a whole number from 1 to 16, or auto");
            }
            return true;
        }
        if (key == "filter") {
            if (auto f = platform::parseScaleFilter(lowered(value))) {
                s.filter = *f;
                return true;
            }
            return bad("nearest, linear or sharp");
        }
        if (key == "fullscreen" || key == "vsync") {
            auto on = parseSwitch(value);
            if (!on) return bad("0 or 1");
            if (key == "fullscreen") {
                s.fullScreen = *on ? 1 : 0;
            } else {
                s.vsync = *on;
            }
            return true;
        }
    } else if (section == "sound") {
        if (key == "volume") {
            if (auto n = parseWhole(value, 0, 100)) {
                s.volume = *n;
                return true;
            }
            return bad("a whole number from 0 to 100");
        }
        if (key == "mute") {
            auto on = parseSwitch(value);
            if (!on) return bad("0 or 1");
            s.mute = *on;
            return true;
        }
        if (key == "soundfont") {
            if (value.empty()) return bad("a path");
            s.soundfont = std::string(value);
            return true;
        }
    } else {
        problem = "unknown section [" + section + "]";
        return false;
    }
    problem = "unknown key '" + key + "' in [" + section + "]";
    return false;
}

}  // namespace

EngineSettings parseSettingsFile(std::string_view text, std::vector<std::string>& warnings) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    EngineSettings s;
    std::string section;
    bool sectionKnown = true;
    size_t pos = 0;
    for (int lineNumber = 1; pos <= text.size(); ++lineNumber) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']') {
                warnings.push_back(where + "a section name needs a closing ']'");
                sectionKnown = false;
                continue;
            }
            section = lowered(trimmed(line.substr(1, line.size() - 2)));
            sectionKnown = section == "display" || section == "sound";
            if (!sectionKnown) warnings.push_back(where + "unknown section [" + section + "]");
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            warnings.push_back(where + "not a 'key = value' line");
            continue;
        }
        // Keys of an unknown section were already covered by the section's warning.
        if (!sectionKnown) continue;
        if (section.empty()) {
            warnings.push_back(where + "a key before any [section]");
            continue;
        }
        std::string problem;
        if (!applyKey(s, section, lowered(trimmed(line.substr(0, eq))),
                      trimmed(line.substr(eq + 1)), problem))
            warnings.push_back(where + problem);
    }
    return s;
}

std::string settingsFilePath(std::string_view configRoot) {
    return platform::joinHostPath(platform::joinHostPath(configRoot, "runestage"), "runestage.ini");
}

EngineSettings readSettingsFile(const std::string& path, std::vector<std::string>& warnings) {
    data::HostFile file = data::HostFile::openRead(path);
    if (!file.isOpen()) {
        std::string why;
        if (!data::readWholeFile(path, &why, 0) && why != "no such file")
            warnings.push_back("cannot read the settings '" + path + "' (" + why + ")");
        return {};
    }
    int64_t size = file.size();
    if (size < 0) return {};
    std::string bytes(std::min<size_t>(static_cast<size_t>(size), kSettingsReadLimit), '\0');
    if (!bytes.empty() && !file.readAt(0, bytes.data(), bytes.size())) {
        warnings.push_back("cannot read the settings '" + path + "'");
        return {};
    }
    std::vector<std::string> problems;
    if (static_cast<uint64_t>(size) > kSettingsReadLimit) {
        bytes.erase(std::min(bytes.size(), bytes.rfind('\n') + 1));
        problems.push_back("longer than 64 KiB: only its start is read");
    }
    EngineSettings s = parseSettingsFile(bytes, problems);
    for (const std::string& p : problems) warnings.push_back(path + ": " + p);
    return s;
}

void applySettings(const EngineSettings& s, const std::string& path, LaunchOptions& launch) {
    if (s.scale) launch.scale = *s.scale;
    if (s.filter) launch.app.scaleFilter = *s.filter;
    if (s.fullScreen) launch.app.windowModeRequest = *s.fullScreen;
    if (s.vsync) launch.vsync = *s.vsync;
    if (s.volume) launch.app.playerSound.volume = *s.volume;
    if (s.mute) launch.app.playerSound.mute = *s.mute;
    if (s.soundfont) {
        std::string font = *s.soundfont;
        if (font.rfind("~/", 0) == 0) {
            if (const char* home = std::getenv("HOME")) font = std::string(home) + font.substr(1);
        } else if (font[0] != '/') {
            font = platform::joinHostPath(data::hostFolderOf(path), font);
        }
        launch.app.soundfontPath = font;
    }
}

}  // namespace rs::shell
