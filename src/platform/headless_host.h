// A host without a display: message boxes go to standard error as "[caption] text" in UTF-8 and
// are answered with their default button; the window is a title and a size held in memory, in
// window mode, on a fixed 1920 x 1080 desktop; the presenter keeps the picture the window would
// show; window events come only from what is posted to the event pump; the sound output is a
// null device unless another is set; dialogs are answered at once like the boxes.
#pragma once

#include <deque>
#include <iosfwd>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/host.h"
#include "platform/reference_gpu.h"

namespace rs::platform {

class HeadlessMessageBoxes final : public MessageBoxPresenter {
  public:
    // `out` receives the boxes; null keeps them silent (tests read `shown()` instead).
    explicit HeadlessMessageBoxes(std::ostream* out) : out_(out) {}
    int show(const MessageBoxRequest& request) override;

    struct Shown {
        std::string caption;  // code page 932, as requested
        std::string text;
        BoxIcon icon;
        BoxButtons buttons;
    };
    const std::vector<Shown>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

  private:
    std::ostream* out_;
    std::vector<Shown> shown_;
};

// Delivers the window and input events posted to it (tests stand in for a player here) at the
// next pump, in order. Pointer positions are client pixels, as a window would report them.
class HeadlessEventPump final : public EventPump {
  public:
    void pump(EventSink& sink) override;
    void post(WindowEvent event) { queue_.push_back(event); }
    void post(const InputEvent& event) { queue_.push_back(event); }
    bool empty() const { return queue_.empty(); }

  private:
    std::deque<std::variant<WindowEvent, InputEvent>> queue_;
};

// The window of a headless run: a title, an icon, a place and a size held in memory, on a fixed
// 1920 x 1080 desktop without panels or frame. It stays in window mode unless full screen is
// allowed (tests of the screen modes allow it; full screen then covers the desktop).
class HeadlessWindow final : public Window {
  public:
    // The desktop a headless run pretends to have.
    static constexpr SizeInPixels kDesktop{1920, 1080};
    // The client area before the game creates its screen: the default screen size.
    static constexpr SizeInPixels kInitialClient{240, 120};

    void setTitle(std::string_view cp932Title) override { title_ = cp932Title; }
    void setIcon(WindowIcon icon) override { icon_ = icon; }
    void showCursor() override { cursorHidden_ = false; }
    SizeInPixels desktopSize() const override { return kDesktop; }
    PixelRect usableArea() const override { return {0, 0, kDesktop.width, kDesktop.height}; }
    PixelRect virtualScreen() const override { return usableArea(); }
    FrameExtents frameExtents() const override { return {}; }
    SizeInPixels clientSize() const override { return {client_.width, client_.height}; }
    void placeClient(const PixelRect& client) override { client_ = client; }
    bool fullScreenAvailable() const override { return fullScreenAllowed_; }
    bool setFullScreen(bool on) override;
    bool fullScreen() const override { return fullScreen_; }
    void setOpacity(int32_t alpha) override { opacity_ = alpha; }
    std::optional<PixelPoint> cursorPosition() const override { return cursor_; }
    void setCursorHidden(bool hidden) override { cursorHidden_ = hidden; }
    void setCursorShape(int32_t shape) override { cursorShape_ = shape; }
    // The pointer goes there, as a pointer moved by the system would.
    void warpPointer(PixelPoint client) override {
        cursor_ = client;
        ++warps_;
    }
    void setTextInputRect(const PixelRect& client) override { textInputRect_ = client; }
    HeldModifiers heldModifiers(uint32_t) override { return held_; }

    const std::string& title() const { return title_; }
    WindowIcon icon() const { return icon_; }
    int32_t opacity() const { return opacity_; }
    const PixelRect& clientRect() const { return client_; }
    // Lets the engine switch to full screen; `refuse` makes every switch into it fail.
    void allowFullScreen(bool allowed, bool refuse = false) {
        fullScreenAllowed_ = allowed;
        refuseFullScreen_ = refuse;
    }
    void setCursorPosition(std::optional<PixelPoint> p) { cursor_ = p; }
    bool cursorHidden() const { return cursorHidden_; }
    int32_t cursorShape() const { return cursorShape_; }
    int32_t warps() const { return warps_; }
    const std::optional<PixelRect>& textInputRect() const { return textInputRect_; }
    // The modifier keys the window reports as held (tests).
    void setHeldModifiers(HeldModifiers held) { held_ = held; }

  private:
    std::string title_;
    WindowIcon icon_ = WindowIcon::Normal;
    PixelRect client_{0, 0, kInitialClient.width, kInitialClient.height};
    int32_t opacity_ = 255;
    bool fullScreenAllowed_ = false;
    bool refuseFullScreen_ = false;
    bool fullScreen_ = false;
    std::optional<PixelPoint> cursor_;
    bool cursorHidden_ = false;
    int32_t cursorShape_ = 0;
    int32_t warps_ = 0;
    std::optional<PixelRect> textInputRect_;
    HeldModifiers held_;
};

// Keeps the picture a window would show: every transfer copies the rectangle into it. Back-end
// kind 2 runs on a reference GPU drawn in software.
class HeadlessPresenter final : public Presenter {
  public:
    BackEndKind kind() const override { return kind_; }
    void setKind(BackEndKind kind) override { kind_ = kind; }
    void paintBlack(int32_t width, int32_t height) override;
    void transfer(const ScreenPixels& screen, const ScreenRect& rect) override;
    void transferPicture(const Picture& part, int32_t x, int32_t y) override {
        copyPicture(picture_, part, x, y);
        ++pictures_;
    }
    // There is nothing to paint: the picture stays as it is.
    void paintBackground() override { ++backgrounds_; }
    Picture picture() const override { return picture_; }
    bool drawsScenes() override { return drawsScenes_; }
    TextureLimits textureLimits() const override { return limits_; }
    void drawScene(DrawList&& list) override;
    uint32_t textureLosses() const override { return losses_; }

    // The number of transfers so far.
    int64_t transfers() const { return transfers_; }
    // The rectangle of the last transfer.
    const ScreenRect& lastRect() const { return lastRect_; }
    // How often the plain background was painted.
    int64_t backgrounds() const { return backgrounds_; }
    // The number of pictures shown over the screen (a movie's).
    int64_t pictures() const { return pictures_; }

    // Tests: a presenter that cannot draw scenes, other texture limits, a lost device.
    void setDrawsScenes(bool on) { drawsScenes_ = on; }
    void setTextureLimits(const TextureLimits& limits) { limits_ = limits; }
    void loseTextures() {
        gpu_.loseTextures();
        ++losses_;
    }
    // Scenes drawn, texture uploads and their bytes, and the last list's movie rectangle.
    int64_t scenes() const { return scenes_; }
    int64_t uploads() const { return uploads_; }
    int64_t uploadedBytes() const { return uploadedBytes_; }
    const std::optional<PixelRect>& lastMovie() const { return lastMovie_; }
    const ReferenceGpu& gpu() const { return gpu_; }

  private:
    BackEndKind kind_ = BackEndKind::Software;
    Picture picture_;
    int64_t transfers_ = 0;
    int64_t backgrounds_ = 0;
    int64_t pictures_ = 0;
    ScreenRect lastRect_;
    ReferenceGpu gpu_;
    bool drawsScenes_ = true;
    TextureLimits limits_;
    uint32_t losses_ = 0;
    int64_t scenes_ = 0;
    int64_t uploads_ = 0;
    int64_t uploadedBytes_ = 0;
    std::optional<PixelRect> lastMovie_;
};

class HeadlessHost final : public Host {
  public:
    // Takes ownership of the clock. `boxOut` may be null for silent boxes.
    HeadlessHost(std::unique_ptr<Clock> clock, std::ostream* boxOut);
    Clock& clock() override { return *clock_; }
    MessageBoxPresenter& messageBoxes() override { return boxes_; }
    EventPump& events() override { return pump_; }
    Window& window() override { return window_; }
    Presenter& presenter() override { return presenter_; }
    AudioDevice& audio() override { return *audio_; }
    DialogPresenter& dialogs() override { return dialogs_; }

    // Replaces the sound output (a null device at first: nothing is heard). Only before the
    // engine opens it.
    void setAudio(std::unique_ptr<AudioDevice> audio) { audio_ = std::move(audio); }

    HeadlessMessageBoxes& boxes() { return boxes_; }
    HeadlessEventPump& headlessEvents() { return pump_; }
    HeadlessWindow& headlessWindow() { return window_; }
    HeadlessPresenter& headlessPresenter() { return presenter_; }
    HeadlessDialogs& headlessDialogs() { return dialogs_; }

  private:
    std::unique_ptr<Clock> clock_;
    HeadlessMessageBoxes boxes_;
    HeadlessEventPump pump_;
    HeadlessWindow window_;
    HeadlessPresenter presenter_;
    HeadlessDialogs dialogs_;
    std::unique_ptr<AudioDevice> audio_ = std::make_unique<NullAudioDevice>();
};

}  // namespace rs::platform
