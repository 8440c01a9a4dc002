// The one door to the host system. The engine core reaches windows, message boxes, the clock and
// the event queue only through these interfaces; `headless_host` implements them without a
// display, and an SDL implementation drives a real window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"

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
    // A typed character (a code page 932 code, one or two bytes).
    virtual void onCharacter(uint16_t /*code*/) {}
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Dispatches every pending event to the sink and returns when none is left.
    virtual void pump(EventSink& sink) = 0;
};

// The main window, as far as the engine core needs it.
class Window {
public:
    virtual ~Window() = default;
    // Caption text in code page 932.
    virtual void setTitle(std::string_view cp932Title) = 0;
    virtual void showCursor() = 0;
};

class Host {
public:
    virtual ~Host() = default;
    virtual Clock& clock() = 0;
    virtual MessageBoxPresenter& messageBoxes() = 0;
    virtual EventPump& events() = 0;
    virtual Window& window() = 0;
};

}  // namespace rs::platform
