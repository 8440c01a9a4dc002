#include "sound/mixer_lines.h"

#include <charconv>

namespace rs::sound {

namespace {

constexpr std::array<const char*, kMixerLineCount> kLineKeys = {"master", "wave", "synth", "cd"};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<int32_t> number(std::string_view s) {
    int32_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

}  // namespace

int32_t LineSetting::gain() const {
    if (muted) return 0;
    return static_cast<int32_t>((static_cast<int64_t>(volume) * kUnityGain + kMaxLineVolume / 2) /
                                kMaxLineVolume);
}

int32_t MixerLines::apply(int32_t line, int32_t value) {
    if (line < 0 || line >= kMixerLineCount) return kNoSuchLine;
    LineSetting& l = lines[static_cast<size_t>(line)];
    if (value == -1) {
        l.muted = true;
    } else if (value >= 0) {
        l.muted = false;
        if (value <= kMaxLineVolume) l.volume = value;
    }
    return l.muted ? -1 : l.volume;
}

std::string mixerLinesText(const MixerLines& m) {
    std::string text =
        "; The mixer lines of this game (0-65535, 65535 = full volume; mute 1 = muted)\n"
        "[mixer]\n";
    for (size_t i = 0; i < kLineKeys.size(); ++i) {
        text += std::string(kLineKeys[i]) + "=" + std::to_string(m.lines[i].volume) + "\n";
        text += std::string(kLineKeys[i]) + "_mute=" + (m.lines[i].muted ? "1" : "0") + "\n";
    }
    return text;
}

MixerLines parseMixerLines(std::string_view text) {
    MixerLines m;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = trimmed(line.substr(0, eq));
        std::optional<int32_t> value = number(trimmed(line.substr(eq + 1)));
        if (!value) continue;
        for (size_t i = 0; i < kLineKeys.size(); ++i) {
            if (key == kLineKeys[i] && *value >= 0 && *value <= kMaxLineVolume)
                m.lines[i].volume = *value;
            if (key == std::string(kLineKeys[i]) + "_mute" && (*value == 0 || *value == 1))
                m.lines[i].muted = *value == 1;
        }
    }
    return m;
}

}  // namespace rs::sound
