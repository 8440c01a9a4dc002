// The volume and mute of the mixer lines a game's volume settings address (0 master, 1 wave,
// 2 synthesizer, 3 CD), in the Windows mixer's units: 0-65535, applied as the linear gain
// value / 65535 (65535, the default of every line, plays as it is). These are the engine's own
// lines, never the system's. Their state is kept per game in "mixer.ini" in the save folder, so
// a game's volume menu holds across runs:
//
//   [mixer]
//   master=65535
//   master_mute=0
//   wave=65535
//   ...
//
// Keys not known, and values out of range, are ignored when the file is read.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sound/mixer.h"

namespace rs::sound {

constexpr int32_t kMaxLineVolume = 65535;

// mixvolume's result for a line selector that names no line (only numbers outside 0-3: every
// line the command knows exists here).
constexpr int32_t kNoSuchLine = -2;

struct LineSetting {
    int32_t volume = kMaxLineVolume;
    bool muted = false;
    bool operator==(const LineSetting&) const = default;

    // The mixer's fixed-point gain.
    int32_t gain() const;
};

struct MixerLines {
    std::array<LineSetting, kMixerLineCount> lines{};
    bool operator==(const MixerLines&) const = default;

    // mixerVolume: value -1 mutes, a value 0-65535 unmutes and sets the volume, a value above
    // that only unmutes (the control refuses it), other negative values change nothing. The
    // result: -1 while muted, else the volume; kNoSuchLine for a line outside 0-3.
    int32_t apply(int32_t line, int32_t value);
};

// The file's text, and the settings it holds (defaults where it says nothing usable).
std::string mixerLinesText(const MixerLines& lines);
MixerLines parseMixerLines(std::string_view text);

}  // namespace rs::sound
