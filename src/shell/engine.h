// The engine: every subsystem's state in one object, passed explicitly. Tests build one over a
// headless host, run byte code on it and inspect it.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/host.h"
#include "platform/host_path.h"
#include "runtime/script_thread.h"
#include "runtime/value.h"
#include "runtime/variables.h"
#include "shell/app_state.h"

namespace rs {

namespace builtins {
class CommandTable;
}
namespace graphics {
struct FrameTable;
}
namespace data {
class LoadCache;
struct ScriptFiles;
}  // namespace data
namespace text {
struct TextState;
}
namespace display {
class DisplayState;
}
namespace shell {
struct InputState;
}
namespace sound {
struct SoundState;
}
namespace shell {
struct MovieState;
}

class Engine;

// The engine's side of the host event queue: what the window procedure does with each event.
class EngineEvents final : public platform::EventSink {
  public:
    explicit EngineEvents(Engine& engine) : engine_(engine) {}
    void onWindowEvent(platform::WindowEvent event) override;
    void onInputEvent(const platform::InputEvent& event) override;

  private:
    Engine& engine_;
};

class Engine {
  public:
    // `app` carries what the command line and start-up decided (folders, pool size, ...).
    Engine(platform::Host& host, shell::AppState app);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    platform::Host& host;
    shell::AppState app;
    runtime::ValuePool pool;
    runtime::VariableTable globals;
    runtime::ThreadTable threads;
    const builtins::CommandTable& commands;
    platform::PathResolver paths;
    std::unique_ptr<graphics::FrameTable> frames;
    // Script images shared by the threads that run them (main thread only).
    std::unique_ptr<data::LoadCache> loadCache;
    // Fonts and text settings.
    std::unique_ptr<text::TextState> text;
    // The screen, the sprites and the presentation; it listens to the frame table's changes.
    std::unique_ptr<rs::display::DisplayState> display;
    // Open script files, the once-per-run save failure flag and the save folder.
    std::unique_ptr<data::ScriptFiles> files;
    // The keyboard, mouse, pads, typed characters and input method; replay and recording.
    std::unique_ptr<shell::InputState> input;
    // Sound streams, the mixer and the sound output.
    std::unique_ptr<sound::SoundState> sound;
    // The movie playing, if any (its sound is a voice of the mixer above).
    std::unique_ptr<shell::MovieState> movie;

    // Set after the scripts of a turn ran; presentation clears it.
    int32_t sceneChanged = 0;
    // The state of the random generator (builtins/random.h); start-up leaves it seeded and drawn.
    uint32_t randomState = 0;

    // EngineTime: the program's millisecond clock, 31 bits wide.
    uint32_t engineTime() {
        return static_cast<uint32_t>(host.clock().milliseconds()) & 0x7FFFFFFFu;
    }
    // PumpMessages: dispatches every pending host event.
    void pumpMessages();
    // Destroys the main window: the run ends (quitLevel 2).
    void destroyMainWindow();

  private:
    EngineEvents events_;
};

// True when engine time `a` lies before `b`. Engine times are 31 bits wide, so the difference is
// taken in 31 bits: the comparison stays right across the wrap of the clock.
constexpr bool timeBefore(uint32_t a, uint32_t b) { return static_cast<int32_t>((a - b) << 1) < 0; }

}  // namespace rs
