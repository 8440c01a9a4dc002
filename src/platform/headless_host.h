// A host without a display: message boxes go to standard error as "[caption] text" in UTF-8 and
// are answered with their default button; the window is a title held in memory.
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
    void setTitle(std::string_view cp932Title) override { title_ = cp932Title; }
    void showCursor() override {}
    const std::string& title() const { return title_; }

private:
    std::string title_;
};

class HeadlessHost final : public Host {
public:
    // Takes ownership of the clock. `boxOut` may be null for silent boxes.
    HeadlessHost(std::unique_ptr<Clock> clock, std::ostream* boxOut);
    Clock& clock() override { return *clock_; }
    MessageBoxPresenter& messageBoxes() override { return boxes_; }
    EventPump& events() override { return pump_; }
    Window& window() override { return window_; }

    HeadlessMessageBoxes& boxes() { return boxes_; }
    HeadlessWindow& headlessWindow() { return window_; }

private:
    std::unique_ptr<Clock> clock_;
    HeadlessMessageBoxes boxes_;
    NullEventPump pump_;
    HeadlessWindow window_;
};

}  // namespace rs::platform
