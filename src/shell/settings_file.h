// The engine's own settings, "$XDG_CONFIG_HOME/runestage/runestage.ini" (default
// "~/.config/runestage/runestage.ini"): one "key = value" a line under sections, '#' or ';'
// comments.
//
//   [display]  scale = 1..16 or auto, filter = nearest | linear | sharp, fullscreen = 0 | 1,
//              vsync = 0 | 1
//   [sound]    volume = 0..100, mute = 0 | 1, soundfont = a path (relative: from the file's
//              folder)
//
// They apply to every game; the command line's options override them for one run. RuneStage only
// reads the file: it is the player's to write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/view_transform.h"

namespace rs::shell {

struct LaunchOptions;

// The file is read up to this size; the rest of a larger file is ignored (and said so).
constexpr size_t kSettingsReadLimit = 64 * 1024;

// What the file sets; keys it does not give stay empty.
struct EngineSettings {
    std::optional<int32_t> scale;  // 0: auto
    std::optional<platform::ScaleFilter> filter;
    std::optional<int32_t> fullScreen;  // 0 window, 1 full screen
    std::optional<bool> vsync;
    std::optional<int32_t> volume;
    std::optional<bool> mute;
    std::optional<std::string> soundfont;  // host path, as written
};

// Reads the settings from the file's text. Every line that cannot be used (an unknown section or
// key, a value out of range, a line that is no "key = value") leaves a warning naming its line
// number, and is otherwise ignored.
EngineSettings parseSettingsFile(std::string_view text, std::vector<std::string>& warnings);

// "<configRoot>/runestage/runestage.ini".
std::string settingsFilePath(std::string_view configRoot);

// Reads the file at `path` (none: nothing set, no warning); problems go to `warnings`, prefixed
// with the file's path.
EngineSettings readSettingsFile(const std::string& path, std::vector<std::string>& warnings);

// The settings as the defaults of a launch, before the command line is read over them. A
// relative soundfont counts from the folder of the file at `path`.
void applySettings(const EngineSettings& settings, const std::string& path, LaunchOptions& launch);

}  // namespace rs::shell
