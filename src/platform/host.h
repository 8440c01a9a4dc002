// The one door to the host system. The engine core reaches windows, message boxes, the clock, the
// event queue and the sound output only through these interfaces; `headless_host` implements them
// without a display, and an SDL implementation drives a real window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/audio_device.h"
#include "platform/clock.h"
#include "platform/presenter.h"
#include "platform/view_transform.h"

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

// The button a box answers with when the player just confirms it (Return): the first one, OK or
// Yes, as the Windows boxes have it.
int defaultBoxButton(BoxButtons buttons);
// The button Escape chooses: Cancel or No, or OK where it is the only one.
int escapeBoxButton(BoxButtons buttons);
// The line a box leaves on standard error: "[caption] text" in UTF-8.
std::string boxConsoleLine(const MessageBoxRequest& request);

class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    // Shows the box modally and returns the button chosen.
    virtual int show(const MessageBoxRequest& request) = 0;
};

// What happens to the window, as the host reports it while pumping events. These are the
// messages the window procedure handles; the engine decides what each one does, so the same code
// runs over every host (tests post them to the headless host).
enum class WindowEvent : int32_t {
    Close,             // the close box or the window manager asks to close the window
    Expose,            // the window's contents were lost and must be drawn again
    Minimised,         // the window became an icon
    Maximised,         // the maximise button: the way into full screen
    Restored,          // back from minimised or maximised
    Resized,           // the client area changed size (the player dragged its border)
    FocusGained,       // the window became the active window
    FocusLost,         // another window became active
    ToggleFullScreen,  // Alt+Enter
    Screenshot,        // Alt+S
    Stop,              // SIGINT, SIGTERM or the end of the session: end in order, ask nothing
};

class EventSink {
  public:
    virtual ~EventSink() = default;
    virtual void onWindowEvent(WindowEvent event) = 0;
};

class EventPump {
  public:
    virtual ~EventPump() = default;
    // Dispatches every pending event to the sink and returns when none is left.
    virtual void pump(EventSink& sink) = 0;
    // Waits until `ms` milliseconds of `clock` have passed, or less when an event arrives for
    // the next pump (a window stays responsive while the game waits). The default just sleeps.
    virtual void waitFor(Clock& clock, uint32_t ms) { clock.sleep(ms); }
};

// The window's icons: the game's own, and the one shown while minimised.
enum class WindowIcon : int32_t { Normal, Paused };

// The sizes of the window's frame around its client area (title bar, borders), in pixels.
struct FrameExtents {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The main window, as far as the engine core needs it. Every size and position is in pixels (on
// a HiDPI desktop the host converts from its points). Where the window goes and when it is full
// screen is the engine's decision; the window only does what it is told.
class Window {
  public:
    virtual ~Window() = default;
    // Caption text in code page 932.
    virtual void setTitle(std::string_view cp932Title) = 0;
    virtual void setIcon(WindowIcon icon) = 0;
    virtual void showCursor() = 0;

    // The desktop (the primary display), its part not covered by panels, and the virtual screen
    // (all displays), with their positions.
    virtual SizeInPixels desktopSize() const = 0;
    virtual PixelRect usableArea() const = 0;
    virtual PixelRect virtualScreen() const = 0;
    SizeInPixels virtualScreenSize() const {
        PixelRect r = virtualScreen();
        return {r.width, r.height};
    }
    // The frame the window manager draws around the client area (zeros when unknown).
    virtual FrameExtents frameExtents() const = 0;
    // The size of the window's client area.
    virtual SizeInPixels clientSize() const = 0;
    // Window mode: gives the client area this place on the desktop and this size.
    virtual void placeClient(const PixelRect& client) = 0;

    // False when the host has no display to switch (a headless run): full screen is never asked.
    virtual bool fullScreenAvailable() const = 0;
    // Full screen on the whole desktop (no video-mode change) or back to window mode; false when
    // the system refused, the window then stays as it was.
    virtual bool setFullScreen(bool on) = 0;
    virtual bool fullScreen() const = 0;
    // The window's opacity: 255 opaque (no layering), below that a layered window of this alpha.
    virtual void setOpacity(int32_t alpha) = 0;
    // The mouse pointer relative to the client area's upper-left corner, also outside it; none
    // when the host does not know it.
    virtual std::optional<PixelPoint> cursorPosition() const { return std::nullopt; }
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
