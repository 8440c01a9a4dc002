#include "text/font_state.h"

#include <vector>

namespace rs::text {

std::unique_ptr<TextState> createTextState() {
    auto state = std::make_unique<TextState>();
    state->fonts = platform::createSystemFontSource();
    return state;
}

int32_t findFont(TextState& state, std::string_view name) {
    if (name == state.lastFontQuery) return 2;
    state.lastFontQuery = std::string(name.substr(0, kFaceNameMax));
    std::vector<std::string> faces = state.fonts->faceNames(kFontListLimit);
    for (const std::string& face : faces) {
        if (face.find(name) != std::string::npos) {
            state.fontName = face.substr(0, kFaceNameMax);
            return 1;
        }
    }
    return 0;
}

void searchStartupFont(TextState& state) {
    if (!state.fontName.empty()) return;
    if (findFont(state, "ＭＳ 明朝") != 1) findFont(state, "ＭＳ ゴシック");
}

}  // namespace rs::text
