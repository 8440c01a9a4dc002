// Timing commands: waits that pace a script thread by the engine clock, the clock readings, and
// dispatching pending window messages. A wait only moves the thread's wake time; the main loop
// runs the thread again once that time has passed.
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

constexpr CommandEntry kTimingCommands[] = {
    {256, "wait", cmdWait},
    {258, "time", cmdTime},
    {259, "cpuclock", cmdClockReference},
    {263, "framewait", cmdFrameWait},
    {265, "doevents", cmdDoEvents},
};

}  // namespace

void registerTimingCommands(CommandTable& table) { table.add(kTimingCommands); }

}  // namespace rs::builtins
