// The one door to the host system. The engine core reaches windows, message boxes, the clock, the
// event queue and the sound output only through these interfaces; `headless_host` implements them
// without a display, and an SDL implementation drives a real window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/audio_device.h"
#include "platform/clock.h"
#include "platform/presenter.h"

namespace rs::platform {

enum class BoxIcon { None, Information, Exclamation, Question };
enum class BoxButtons { Ok, OkCancel, YesNo };

// Button identifiers, as message boxes return them.
constexpr int kBoxOk = 1;
constexpr int kBoxCancel = 2;
constexpr int kBoxYes = 6;
constexpr int kBoxNo = 7;

// A message box request. Text and caption are code page 932 bytes; the host converts them.
struct MessageBoxRequest {
    std::string_view text;
    std::string_view caption;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    bool ownedByWindow = true;
};

class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    // Shows the box modally and returns the button chosen.
    virtual int show(const MessageBoxRequest& request) = 0;
};

// What the host reports to the engine while pumping events (the window procedure's role).
class EventSink {
  public:
    virtual ~EventSink() = default;
    // The player asked to close the window (close box, window manager).
    virtual void onCloseRequest() {}
};

class EventPump {
  public:
    virtual ~EventPump() = default;
    // Dispatches every pending event to the sink and returns when none is left.
    virtual void pump(EventSink& sink) = 0;
};

struct SizeInPixels {
    int32_t width = 0;
    int32_t height = 0;
};

// The main window, as far as the engine core needs it.
class Window {
  public:
    virtual ~Window() = default;
    // Caption text in code page 932.
    virtual void setTitle(std::string_view cp932Title) = 0;
    virtual void showCursor() = 0;

    // Sizes of the desktop (the primary display) and of the virtual screen (all displays).
    virtual SizeInPixels desktopSize() const = 0;
    virtual SizeInPixels virtualScreenSize() const = 0;
    // The size of the window's client area.
    virtual SizeInPixels clientSize() const = 0;
    // Places the window for a game screen of this size (in window mode its client area).
    virtual void placeForScreen(int32_t width, int32_t height) = 0;
    // True in full screen, false in window mode.
    virtual bool fullScreen() const = 0;
    // Asks for full screen (maximising the window) or for window mode.
    virtual void requestFullScreen(bool on) = 0;
    // The window's opacity: 255 opaque (no layering), below that a layered window of this alpha.
    virtual void setOpacity(int32_t alpha) = 0;
};

class Host {
  public:
    virtual ~Host() = default;
    virtual Clock& clock() = 0;
    virtual MessageBoxPresenter& messageBoxes() = 0;
    virtual EventPump& events() = 0;
    virtual Window& window() = 0;
    // The back-end that shows the composed screen in the window.
    virtual Presenter& presenter() = 0;
    // The sound output; the engine opens it on the first play request.
    virtual AudioDevice& audio() = 0;
};

}  // namespace rs::platform
