#include "text/font_dialog.h"

#include <algorithm>

#include "display/display.h"
#include "display/screen_mode.h"
#include "platform/encoding.h"
#include "platform/host.h"
#include "shell/engine.h"
#include "text/font_state.h"

namespace rs::text {

const char kFontPreviewText[] = "下のフォントから選んでください";

namespace {

using platform::ControlKind;
using platform::Dialog;
using platform::DialogControl;
namespace ids = font_dialog_ids;

// The preview font: 16 pixels high, 8 wide.
constexpr int32_t kPreviewHeight = 16;
constexpr int32_t kPreviewWidth = 8;

// A list box sorts its entries as Windows does for plain text: ASCII letters without regard to
// case, everything else by its bytes.
bool sortsBefore(const std::string& a, const std::string& b) {
    auto fold = [](char c) {
        return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? c - 32 : c);
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return fold(x) < fold(y); });
}

}  // namespace

platform::Picture fontPreview(platform::FontSource& fonts, const std::string& face,
                              const std::string& text, int32_t width, int32_t height) {
    platform::Picture p;
    if (width <= 0 || height <= 0) return p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<size_t>(width) * height, 0);
    platform::FontRequest font{face, kPreviewHeight, kPreviewWidth, false};
    platform::TextMetrics m;
    if (!fonts.metrics(font, m)) return p;
    int32_t penX = 0, baseline = m.ascent;
    for (size_t i = 0; i < text.size(); ++i) {
        auto b = static_cast<uint8_t>(text[i]);
        uint16_t code = b;
        if (platform::isLeadByte(b) && i + 1 < text.size())
            code = static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(text[++i]));
        const platform::GlyphBitmap* g = fonts.glyph(font, code, false);
        int32_t advance = g ? g->cellIncX : (code > 0xFF ? 2 : 1) * kPreviewWidth;
        // Words do not split in Japanese: the text wraps at the character that passes the edge.
        if (penX > 0 && penX + advance > width) {
            penX = 0;
            baseline += kPreviewHeight;
        }
        if (g) {
            for (int32_t y = 0; y < g->blackBoxY; ++y) {
                int32_t py = baseline - g->originY + y;
                if (py < 0 || py >= height) continue;
                for (int32_t x = 0; x < g->blackBoxX; ++x) {
                    int32_t px = penX + g->originX + x;
                    if (px >= 0 && px < width && g->bit(x, y))
                        p.pixels[static_cast<size_t>(py) * width + px] = 0xFF000000u;
                }
            }
        }
        penX += advance;
    }
    return p;
}

Dialog fontDialogTemplate(std::vector<std::string> faces, const std::string& current) {
    Dialog d;
    d.caption = "フォント選択";
    d.width = 186;
    d.height = 171;
    d.unattendedAnswer = ids::kRevert;
    d.controls.push_back(
        platform::makeControl(ids::kPreview, ControlKind::Text, {4, 4, 180, 24}, kFontPreviewText));
    DialogControl list =
        platform::makeControl(ids::kList, ControlKind::ListBox, {4, 32, 124, 136}, "");
    std::stable_sort(faces.begin(), faces.end(), sortsBefore);
    for (size_t i = 0; i < faces.size(); ++i) {
        if (faces[i] == current && list.selected < 0) list.selected = static_cast<int32_t>(i);
    }
    list.items = std::move(faces);
    d.controls.push_back(std::move(list));
    d.controls.push_back(platform::makeControl(ids::kTake, ControlKind::DefaultButton,
                                               {132, 132, 52, 16}, "これで決定"));
    d.controls.push_back(platform::makeControl(ids::kRevert, ControlKind::PushButton,
                                               {132, 152, 52, 16}, "元に戻そう"));
    return d;
}

FontDialogProcedure::FontDialogProcedure(Dialog& dialog, TextState& text) : text_(text) {
    updatePreview(dialog);
}

void FontDialogProcedure::updatePreview(Dialog& d) {
    DialogControl* preview = d.find(ids::kPreview);
    const DialogControl* list = d.find(ids::kList);
    if (!preview || !list || !text_.fonts) return;
    std::string face;
    if (list->selected >= 0 && list->selected < static_cast<int32_t>(list->items.size()))
        face = list->items[static_cast<size_t>(list->selected)];
    preview->picture = fontPreview(*text_.fonts, face, preview->text,
                                   preview->rect.width * platform::kDialogUnitPixels,
                                   preview->rect.height * platform::kDialogUnitPixels);
}

std::optional<int32_t> FontDialogProcedure::onCommand(Dialog& d, int32_t id,
                                                      platform::DialogNotice notice) {
    if (id == ids::kList && notice == platform::DialogNotice::SelectionChanged) {
        updatePreview(d);
        return std::nullopt;
    }
    if (id == ids::kTake) {
        const DialogControl* list = d.find(ids::kList);
        if (list && list->selected >= 0 &&
            list->selected < static_cast<int32_t>(list->items.size()))
            text_.fontName =
                list->items[static_cast<size_t>(list->selected)].substr(0, kFaceNameMax);
        return ids::kTake;
    }
    if (id == ids::kRevert) return ids::kRevert;
    return std::nullopt;
}

int32_t fontSelectDialog(Engine& e) {
    Dialog d = fontDialogTemplate(
        e.text->fonts ? e.text->fonts->faceNames(kFontListLimit) : std::vector<std::string>{},
        e.text->fontName);
    FontDialogProcedure procedure(d, *e.text);
    e.host.window().showCursor();
    // Over a full screen drawn by the GPU the window shows the plain background meanwhile.
    bool modal = e.display->mode.fullScreenState == 1 &&
                 e.host.presenter().kind() == platform::BackEndKind::Direct3D;
    if (modal) e.app.modalBoxUp = 1;
    bool grown = display::makeRoomForDialog(e, d);
    int32_t result = e.host.dialogs().run(d, procedure);
    if (modal) e.app.modalBoxUp = 0;
    if (grown) display::placeWindow(e);
    return result;
}

}  // namespace rs::text
