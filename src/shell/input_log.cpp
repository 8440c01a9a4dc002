#include "shell/input_log.h"

#include <cerrno>
#include <cstring>

#include "display/display.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/window_events.h"

namespace rs::shell {

namespace {

using platform::InputEvent;
using platform::InputKind;

InputLog& logOf(Engine& e) { return *e.input->log; }

// A pad unplugged is not part of the file format: the recording brings it to rest instead, so
// that a replay reads the same merged input, and notes the unplugging in a comment.
void recordUnplugged(Engine& e, InputRecorder& rec, uint32_t time, int32_t pad) {
    if (pad < 0 || pad >= platform::kPadCount) return;
    const PadState& p = e.input->pads[static_cast<size_t>(pad)];
    if (!p.present) return;
    for (int32_t k = 0; k < platform::kPadAxisCount; ++k) {
        if (p.axes[static_cast<size_t>(k)] != platform::kAxisCentre)
            rec.writeLine(
                formatInputLine(time, InputEvent::padAxis(pad, k, platform::kAxisCentre)));
    }
    if (p.pov != platform::kPovCentred)
        rec.writeLine(formatInputLine(
            time, InputEvent::padAxis(pad, platform::kPadPovItem, platform::kPovCentred)));
    for (int32_t b = 0; b < platform::kPadButtonCount; ++b) {
        if (p.buttons >> b & 1)
            rec.writeLine(formatInputLine(time, InputEvent::padButton(pad, b, false)));
    }
    rec.writeLine("# " + std::to_string(time) + " pad " + std::to_string(pad) + " unplugged");
}

// Applies one event and writes it to the recording.
void deliver(Engine& e, const InputEvent& ev) {
    // A pointer that did not move between game pixels changes nothing.
    if (ev.kind == InputKind::PointerMove && ev.x == e.app.mouseX && ev.y == e.app.mouseY) return;
    InputLog& log = logOf(e);
    if (log.recorder) {
        if (ev.kind == InputKind::PadRemoved) {
            recordUnplugged(e, *log.recorder, log.pumpTime, ev.pad);
        } else {
            std::string line = formatInputLine(log.pumpTime, ev);
            if (!line.empty()) log.recorder->writeLine(line);
        }
    }
    applyInput(e, ev);
}

// An event of the player: delivered now, or held back while recording (see input_log.h).
void deliverLive(Engine& e, const InputEvent& ev) {
    InputLog& log = logOf(e);
    if (log.recorder && !log.firstAtTime) {
        log.held.push_back(ev);
        return;
    }
    deliver(e, ev);
}

// The pointer's place, read at every pump (also when it is outside the window, where the count
// goes on past the picture's edges).
void pollPointer(Engine& e) {
    auto p = e.host.window().cursorPosition();
    if (!p) return;
    platform::PixelPoint g = e.display->view.toGame(*p);
    if (g.x != e.app.mouseX || g.y != e.app.mouseY) deliverLive(e, InputEvent::pointer(g.x, g.y));
}

}  // namespace

std::unique_ptr<InputRecorder> InputRecorder::open(const std::string& path, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (error)
            *error = "cannot write the input recording '" + path + "': " + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<InputRecorder> r(new InputRecorder(f, path));
    r->writeLine(
        "# RuneStage input recording: times in milliseconds of engine time from the start");
    r->flush();
    return r;
}

InputRecorder::~InputRecorder() {
    flush();
    if (std::fclose(file_) != 0 && !failed_)
        std::fprintf(stderr, "runestage: cannot write the input recording '%s': %s\n",
                     path_.c_str(), std::strerror(errno));
}

void InputRecorder::writeLine(const std::string& line) {
    if (failed_) return;
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
    dirty_ = true;
}

void InputRecorder::flush() {
    if (!dirty_ || failed_) return;
    dirty_ = false;
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
        failed_ = true;
        std::fprintf(stderr, "runestage: cannot write the input recording '%s': %s\n",
                     path_.c_str(), std::strerror(errno));
    }
}

void startReplay(Engine& e, std::vector<TimedInput> events) {
    InputLog& log = logOf(e);
    log.replaying = !events.empty();
    log.replay = std::move(events);
    log.next = 0;
}

void startRecording(Engine& e, std::unique_ptr<InputRecorder> recorder) {
    logOf(e).recorder = std::move(recorder);
}

InputPump::InputPump(Engine& e) : e_(e) {
    InputLog& log = logOf(e);
    outerFirst_ = log.firstAtTime;
    uint32_t t = (e.engineTime() - log.start) & 0x7FFFFFFFu;
    log.firstAtTime = !log.pumped || t != log.pumpTime;
    log.pumped = true;
    log.pumpTime = t;
    if (log.firstAtTime && !log.held.empty()) {
        std::vector<InputEvent> held;
        held.swap(log.held);
        for (const InputEvent& ev : held) deliver(e, ev);
    }
    while (log.replaying && log.next < log.replay.size() && log.replay[log.next].time <= t)
        deliver(e, log.replay[log.next++].event);
    if (log.replaying && log.next >= log.replay.size()) {
        // The file is played out: the player's input counts again.
        log.replaying = false;
        std::vector<TimedInput>().swap(log.replay);
    }
}

InputPump::~InputPump() {
    InputLog& log = logOf(e_);
    // After the host's events, whose positions a window system may have kept inside the window:
    // the pointer's true place. While recording, a pump that is not the first at its time leaves
    // it to the next.
    if (!log.replaying && (log.firstAtTime || !log.recorder)) pollPointer(e_);
    log.firstAtTime = outerFirst_;
    if (log.recorder) log.recorder->flush();
}

void onHostInput(Engine& e, const InputEvent& event) {
    if (logOf(e).replaying) return;
    InputEvent ev = event;
    if (ev.hasPosition()) {
        platform::PixelPoint g = e.display->view.toGame({ev.x, ev.y});
        ev.x = g.x;
        ev.y = g.y;
    }
    deliverLive(e, ev);
}

void onHostWindowEvent(Engine& e, platform::WindowEvent event) {
    InputKind kind;
    switch (event) {
        case platform::WindowEvent::Close: kind = InputKind::Close; break;
        case platform::WindowEvent::FocusGained: kind = InputKind::FocusIn; break;
        case platform::WindowEvent::FocusLost: kind = InputKind::FocusOut; break;
        default: handleWindowEvent(e, event); return;
    }
    if (logOf(e).replaying) {
        // The replay decides the focus; the close box stays the player's.
        if (kind == InputKind::Close) handleWindowEvent(e, event);
        return;
    }
    deliverLive(e, InputEvent::of(kind));
}

}  // namespace rs::shell
