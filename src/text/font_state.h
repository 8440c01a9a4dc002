// The text subsystem's state: the face text is drawn with, the text settings, the font search and
// the host font source.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/font_source.h"

namespace rs::builtins {
class CommandTable;
}

namespace rs::text {

// The font list holds at most this many faces.
constexpr size_t kFontListLimit = 1600;
// Face names are held in 256-byte buffers.
constexpr size_t kFaceNameMax = 255;
// Text settings: 0..3 are the strengths of the stroke effects (thicken, thin, keep strokes, keep
// weighted strokes; 0 is off), 4 selects size normalisation (0 off, 1 by ascent, 2 also by the
// widest character). Keys 5 and 6 are held but nothing reads them.
constexpr int32_t kTextSettingCount = 7;

struct TextState {
    // The face text is drawn with (`fontName`); empty draws with the gothic fallback.
    std::string fontName;
    std::array<int32_t, kTextSettingCount> settings{};
    // The name given to the previous font search.
    std::string lastFontQuery;
    std::unique_ptr<platform::FontSource> fonts;
};

// State over the host's fonts.
std::unique_ptr<TextState> createTextState();

// FindFont: 2 when `name` equals the previous query (nothing is done); otherwise remembers it and
// takes the first face of the list whose name contains it as `fontName` (1), or 0 when none does.
int32_t findFont(TextState& state, std::string_view name);

// The start-up font search when no font name is configured: a face containing "ＭＳ 明朝",
// else one containing "ＭＳ ゴシック".
void searchStartupFont(TextState& state);

// The font commands: the font dialog, autofontsel, the current face name and the text settings.
void registerFontCommands(builtins::CommandTable& table);

}  // namespace rs::text
