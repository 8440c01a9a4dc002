// Input replay and recording, and the way every input event reaches the engine.
//
// Each event pump has an engine time (milliseconds from the start of the run). A replayed event
// is delivered at the first pump at or after its time, in file order; while a replay runs the
// player's own input is ignored (the window's close box still works), and once the file's last
// event is delivered the player's input counts again. A recording writes each delivered event
// with the time of the pump that delivered it. So that a recording replays at the same turns,
// while recording an event that arrives at a pump which is not the first at its time is held
// back to the next pump at a later time (on the real clock that is at most a millisecond).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/host.h"
#include "shell/input_file.h"

namespace rs {
class Engine;
}

namespace rs::shell {

// Writes recorded events to a file, line by line.
class InputRecorder {
  public:
    // Null with the reason when the file cannot be made.
    static std::unique_ptr<InputRecorder> open(const std::string& path, std::string* error);
    ~InputRecorder();
    InputRecorder(const InputRecorder&) = delete;
    InputRecorder& operator=(const InputRecorder&) = delete;

    void writeLine(const std::string& line);
    // Flushes what was written; a failure is reported once on standard error.
    void flush();

  private:
    InputRecorder(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    std::FILE* file_;
    std::string path_;
    bool dirty_ = false;
    bool failed_ = false;
};

class InputLog {
  public:
    // Engine time at the start of the run: time 0 of replays and recordings.
    uint32_t start = 0;

    std::vector<TimedInput> replay;
    size_t next = 0;
    bool replaying = false;
    std::unique_ptr<InputRecorder> recorder;
    // Events of the player held back while recording (see above).
    std::vector<platform::InputEvent> held;

    // The time of the pump in progress and whether it is the first pump at that time.
    uint32_t pumpTime = 0;
    bool firstAtTime = true;
    bool pumped = false;
};

// The events of a file are delivered from now on.
void startReplay(Engine& e, std::vector<TimedInput> events);
// Every delivered event is written to the recorder from now on.
void startRecording(Engine& e, std::unique_ptr<InputRecorder> recorder);

// One event pump: on construction the due replayed and held events are delivered; the host's
// events follow; on destruction the pointer's place is read (the mouse position also outside
// the window) and the recording is flushed.
class InputPump {
  public:
    explicit InputPump(Engine& e);
    ~InputPump();
    InputPump(const InputPump&) = delete;
    InputPump& operator=(const InputPump&) = delete;

  private:
    Engine& e_;
    bool outerFirst_;
};

// An input event of the host (pointer positions in client pixels).
void onHostInput(Engine& e, const platform::InputEvent& event);
// A window event of the host: focus changes and the close box count as input (replayed and
// recorded); the rest go to the window procedure.
void onHostWindowEvent(Engine& e, platform::WindowEvent event);

}  // namespace rs::shell
