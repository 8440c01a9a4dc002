// The font dialog ("フォント選択", dialog 111): the installed faces in a sorted list, a preview of
// the chosen face, "これで決定" takes it as the face text is drawn with and "元に戻そう" keeps the
// face as it was. Its controls and rules are plain data here; the host only draws it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/font_source.h"

namespace rs {
class Engine;
}

namespace rs::text {

struct TextState;

namespace font_dialog_ids {
constexpr int32_t kTake = 1;     // "これで決定"
constexpr int32_t kRevert = 2;   // "元に戻そう"
constexpr int32_t kList = 1009;  // the faces
constexpr int32_t kPreview = 1011;
}  // namespace font_dialog_ids

// The preview's text.
extern const char kFontPreviewText[];

// The text drawn in a face as the preview shows it: a font 16 pixels high and 8 wide, black on
// a transparent picture of this size, wrapped at the right edge.
platform::Picture fontPreview(platform::FontSource& fonts, const std::string& face,
                              const std::string& text, int32_t width, int32_t height);

// The dialog's template with `faces` (sorted here) and the entry equal to `current` selected.
platform::Dialog fontDialogTemplate(std::vector<std::string> faces, const std::string& current);

class FontDialogProcedure final : public platform::DialogProcedure {
  public:
    // Sets up the preview for the selected face.
    FontDialogProcedure(platform::Dialog& dialog, TextState& text);
    std::optional<int32_t> onCommand(platform::Dialog& dialog, int32_t id,
                                     platform::DialogNotice notice) override;

  private:
    void updatePreview(platform::Dialog& dialog);
    TextState& text_;
};

// FontSelectDialog: lists the faces, shows the dialog over the game (the window is made large
// enough for it while it is up) and returns 1 (a face was taken) or 2.
int32_t fontSelectDialog(Engine& e);

}  // namespace rs::text
