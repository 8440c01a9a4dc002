// Timing commands: waits that pace a script thread by the engine clock, the clock readings,
// dispatching pending window messages and the script's say over the close box. A wait only moves
// the thread's wake time; the main loop runs the thread again once that time has passed.
#include <cstdint>

#include "builtins/dispatcher.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::builtins {

namespace {

using runtime::ScriptThread;

// The engine clock is 31 bits wide; wake times stay in its range.
constexpr uint32_t kClockMask = 0x7FFFFFFFu;

// The frame wait's step, and the frame rate it reports.
constexpr uint32_t kFrameStepMs = 16;
constexpr int32_t kFrameRate = 30;

// wait(ms): a positive wait counts from the old wake time, but a thread that fell behind does
// not catch up: its wake time is at least now. A negative wait counts |ms| from the old wake
// time without that limit, so the thread makes up for lost time.
void cmdWait(Engine& e, ScriptThread& t) {
    int32_t ms = runtime::ngetint(e, t);
    if (t.failed) return;
    if (ms >= 0) {
        uint32_t wake = (t.wake_time + static_cast<uint32_t>(ms)) & kClockMask;
        uint32_t now = e.engineTime();
        t.wake_time = timeBefore(wake, now) ? now : wake;
    } else {
        t.wake_time = (t.wake_time + (0u - static_cast<uint32_t>(ms))) & kClockMask;
    }
}

void cmdTime(Engine& e, ScriptThread& t) {
    runtime::pushInteger(e, t, static_cast<int32_t>(e.engineTime()));
}

// The clock reference value is the processor clock in kHz measured at start-up (or its
// default): the figure scripts scale their timing by.
void cmdClockReference(Engine& e, ScriptThread& t) {
    runtime::pushInteger(e, t, e.app.cpuClockKHz);
}

void cmdFrameWait(Engine& e, ScriptThread& t) {
    t.wake_time = (t.wake_time + kFrameStepMs) & kClockMask;
    runtime::pushInteger(e, t, kFrameRate);
}

void cmdDoEvents(Engine& e, ScriptThread&) { e.pumpMessages(); }

// closereq(mode): 1 lets the close box end the game again, 2 makes it only raise a flag, 0 reads
// that flag and clears it; the result is the mode for 1 and 2, the flag for 0, else 0.
void cmdCloseRequest(Engine& e, ScriptThread& t) {
    int32_t mode = runtime::ngetint(e, t);
    if (t.failed) return;
    int32_t result = 0;
    switch (mode) {
        case 0:
            result = e.app.closeRequested;
            e.app.closeRequested = 0;
            break;
        case 1:
            e.app.closeByScript = 0;
            result = 1;
            break;
        case 2:
            e.app.closeByScript = 1;
            result = 2;
            break;
        default: break;
    }
    runtime::pushInteger(e, t, result);
}

constexpr CommandEntry kTimingCommands[] = {
    {256, "wait", cmdWait},
    {258, "time", cmdTime},
    {259, "cpuclock", cmdClockReference},
    {263, "framewait", cmdFrameWait},
    {265, "doevents", cmdDoEvents},
    {266, "closereq", cmdCloseRequest},
};

}  // namespace

void registerTimingCommands(CommandTable& table) { table.add(kTimingCommands); }

}  // namespace rs::builtins
