// Dialogs and message boxes drawn in the game window with Dear ImGui. A dialog comes as plain data
// (platform/dialog.h) with the engine's procedure; this only draws it over the window's picture,
// in a Japanese face found as text faces are, and reports clicks and keys: Return chooses the
// default button, Escape and the close box Cancel. The font atlas is built when a dialog or box
// first needs it, with the characters it shows.
//
// While a dialog is up the window stays alive: it is redrawn, boxes other threads ask for are
// shown over it, and the window events the engine must see (focus, size, key releases) are
// handed back to the event queue when it ends. A stop signal cancels it.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/font_source.h"
#include "platform/host.h"
#include "platform/sdl/sdl_message_boxes.h"

union SDL_Event;
struct ImGuiContext;
struct SDL_Texture;

namespace rs::platform::sdl {

class SdlWindow;
class SdlPresenter;
class ImGuiRenderer;

class SdlDialogs final : public DialogPresenter {
  public:
    // `echo` receives each finished dialog's console line (null: none); with a test hook the
    // dialogs answer at once without showing.
    SdlDialogs(SdlWindow& window, SdlPresenter& presenter, std::ostream* echo, BoxAnswerHook hook);
    ~SdlDialogs() override;
    SdlDialogs(const SdlDialogs&) = delete;
    SdlDialogs& operator=(const SdlDialogs&) = delete;

    int32_t run(Dialog& dialog, DialogProcedure& procedure) override;

    // Message boxes in the window: true when `request` can be drawn there now (the window is
    // shown, a Japanese face is installed and the box fits); the caller shows SDL's box instead.
    bool canShowBox(const MessageBoxRequest& request);
    // Shows the box modally in the window; the button chosen.
    int showBox(const MessageBoxRequest& request);

    // What must go on while a dialog is up besides drawing it (boxes of other threads, raise
    // requests of a second start).
    void setBackgroundWork(std::function<void()> work) { background_ = std::move(work); }
    // Tests: called after every frame drawn, with the number of frames so far.
    void setFrameHook(std::function<void(int64_t)> hook) { frameHook_ = std::move(hook); }
    // Tests: the face file to use instead of the one the font lookup finds.
    void setFontFile(std::optional<FontFile> file);

    // The client-area rectangle of a control of a dialog as it is drawn now.
    PixelRect controlRect(const Dialog& dialog, int32_t id) const;
    // The client-area rectangle of a button of the box drawn last (empty when none).
    PixelRect boxButtonRect(int button) const;
    // The client-area rectangle of an item of a list box as last drawn (empty when not seen).
    PixelRect listItemRect(int32_t listId, int32_t item) const;

    int32_t interfaceScale() const;
    // The texture of a picture a dialog shows (kept while the dialog is up).
    SDL_Texture* pictureTexture(int64_t key, const Picture& picture);
    int64_t framesDrawn() const { return frames_; }
    // The number of dialogs and boxes drawn in the window so far.
    int64_t modalsShown() const { return modalsShown_; }

    class Modal;

  private:
    struct Frame;
    int runModal(Modal& modal);
    bool ensureContext();
    // Makes sure the atlas holds every character of the texts (UTF-8); false without a face.
    bool ensureGlyphs(const std::vector<std::string>& texts);
    void handleEvent(const SDL_Event& event, Modal& top);
    void applyInput();
    void drawFrame();
    double pixelsPerPoint() const;

    SdlWindow& window_;
    SdlPresenter& presenter_;
    std::ostream* echo_;
    BoxAnswerHook hook_;
    std::function<void()> background_;
    std::function<void(int64_t)> frameHook_;

    ImGuiContext* context_ = nullptr;
    std::unique_ptr<ImGuiRenderer> renderer_;
    bool fontLooked_ = false;
    std::optional<FontFile> fontFile_;
    std::set<uint32_t> glyphs_;
    std::vector<uint16_t> ranges_;
    bool atlasBuilt_ = false;

    std::vector<Modal*> stack_;
    std::vector<SDL_Event> input_;     // pointer and typing events waiting for their frame
    std::vector<SDL_Event> deferred_;  // events handed back to the queue afterwards
    int64_t frames_ = 0;
    int64_t modalsShown_ = 0;
    uint64_t lastFrameTicks_ = 0;
    int32_t settleFrames_ = 0;
    char* clipboard_ = nullptr;  // SDL's copy of the clipboard text last pasted
};

}  // namespace rs::platform::sdl
