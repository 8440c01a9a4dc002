// The host a player uses: a real window on SDL2 with the software presentation, SDL's event queue
// and SDL's message boxes, over the clock it is given. Creating it starts SDL's video; without a
// display that fails with a message naming the cause.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "platform/host.h"
#include "platform/sdl/sdl_events.h"
#include "platform/sdl/sdl_message_boxes.h"
#include "platform/sdl/sdl_presenter.h"
#include "platform/sdl/sdl_window.h"

namespace rs::platform::sdl {

struct SdlHostOptions {
    ScaleFilter filter = ScaleFilter::Sharp;
    bool vsync = false;
    // The back-end kind the presenter starts as (the engine's start-up may change it).
    BackEndKind kind = BackEndKind::DirectDraw;
    // Where boxes leave their console lines (null: nowhere).
    std::ostream* boxEcho = nullptr;
    BoxAnswerHook boxAnswer = BoxAnswerHook::None;
    // Tests: a window or a renderer that cannot be made.
    bool failWindow = false;
    bool failRenderer = false;
};

// SDL's video subsystem, started for the host's lifetime.
class SdlVideo {
  public:
    SdlVideo() = default;
    ~SdlVideo();
    SdlVideo(const SdlVideo&) = delete;
    SdlVideo& operator=(const SdlVideo&) = delete;
    // False with SDL's reason when video cannot start (no display).
    bool start(std::string* error);

  private:
    bool started_ = false;
};

class SdlHost final : public Host {
  public:
    // Null with a message when SDL's video, the window or its renderer cannot be had.
    static std::unique_ptr<SdlHost> create(std::unique_ptr<Clock> clock,
                                           const SdlHostOptions& options, std::string* error);
    ~SdlHost() override;

    Clock& clock() override { return *clock_; }
    MessageBoxPresenter& messageBoxes() override { return *boxes_; }
    EventPump& events() override { return *events_; }
    Window& window() override { return *window_; }
    Presenter& presenter() override { return *presenter_; }
    AudioDevice& audio() override { return *audio_; }

    SdlWindow& sdlWindow() { return *window_; }
    SdlPresenter& sdlPresenter() { return *presenter_; }
    SdlMessageBoxes& sdlBoxes() { return *boxes_; }

  private:
    SdlHost() = default;
    // Declared in the order of creation; destroyed in reverse, SDL's video last.
    SdlVideo video_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<SdlWindow> window_;
    std::unique_ptr<SdlPresenter> presenter_;
    std::unique_ptr<SdlMessageBoxes> boxes_;
    std::unique_ptr<SdlEventPump> events_;
    // The sound output (SDL's audio subsystem, opened on the first play request).
    std::unique_ptr<AudioDevice> audio_;
};

}  // namespace rs::platform::sdl
