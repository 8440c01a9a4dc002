// A host without a display: message boxes go to standard error as "[caption] text" in UTF-8 and
// are answered with their default button; the window is a title and a size held in memory, always
// in window mode, on a fixed 1920 x 1080 desktop; the presenter keeps the picture the window
// would show; the sound output is a null device unless another is set.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/host.h"

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

class NullEventPump final : public EventPump {
  public:
    void pump(EventSink&) override {}
};

class HeadlessWindow final : public Window {
  public:
    // The desktop a headless run pretends to have.
    static constexpr SizeInPixels kDesktop{1920, 1080};
    // The client area before the game creates its screen: the default screen size.
    static constexpr SizeInPixels kInitialClient{240, 120};

    void setTitle(std::string_view cp932Title) override { title_ = cp932Title; }
    void showCursor() override {}
    SizeInPixels desktopSize() const override { return kDesktop; }
    SizeInPixels virtualScreenSize() const override { return kDesktop; }
    SizeInPixels clientSize() const override { return client_; }
    void placeForScreen(int32_t width, int32_t height) override { client_ = {width, height}; }
    // There is no display to switch: the window stays in window mode.
    bool fullScreen() const override { return false; }
    void requestFullScreen(bool) override {}
    void setOpacity(int32_t alpha) override { opacity_ = alpha; }

    const std::string& title() const { return title_; }
    int32_t opacity() const { return opacity_; }

  private:
    std::string title_;
    SizeInPixels client_ = kInitialClient;
    int32_t opacity_ = 255;
};

// Keeps the picture a window would show: every transfer copies the rectangle into it.
class HeadlessPresenter final : public Presenter {
  public:
    BackEndKind kind() const override { return BackEndKind::Software; }
    void paintBlack(int32_t width, int32_t height) override;
    void transfer(const ScreenPixels& screen, const ScreenRect& rect) override;
    Picture picture() const override { return picture_; }

    // The number of transfers so far.
    int64_t transfers() const { return transfers_; }
    // The rectangle of the last transfer.
    const ScreenRect& lastRect() const { return lastRect_; }

  private:
    Picture picture_;
    int64_t transfers_ = 0;
    ScreenRect lastRect_;
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

    // Replaces the sound output (a null device at first: nothing is heard). Only before the
    // engine opens it.
    void setAudio(std::unique_ptr<AudioDevice> audio) { audio_ = std::move(audio); }

    HeadlessMessageBoxes& boxes() { return boxes_; }
    HeadlessWindow& headlessWindow() { return window_; }
    HeadlessPresenter& headlessPresenter() { return presenter_; }

  private:
    std::unique_ptr<Clock> clock_;
    HeadlessMessageBoxes boxes_;
    NullEventPump pump_;
    HeadlessWindow window_;
    HeadlessPresenter presenter_;
    std::unique_ptr<AudioDevice> audio_ = std::make_unique<NullAudioDevice>();
};

}  // namespace rs::platform
