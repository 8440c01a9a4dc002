#include "platform/clock.h"

#include <ctime>
#include <thread>

namespace rs::platform {

uint64_t RealClock::milliseconds() {
    using std::chrono::steady_clock;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     steady_clock::now().time_since_epoch())
                                     .count());
}

void RealClock::sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A turn with nothing to do waits for the next millisecond instead of spinning the processor.
void RealClock::idle() { std::this_thread::sleep_for(std::chrono::microseconds(500)); }

LocalTime RealClock::localTime() { return currentLocalTime(); }

LocalTime VirtualClock::localTime() { return hasFixed_ ? fixed_ : currentLocalTime(); }

LocalTime localTimeAt(int64_t seconds, int millisecond) {
    std::time_t secs = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&secs, &tm);
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.dayOfWeek = tm.tm_wday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.millisecond = millisecond;
    return t;
}

LocalTime currentLocalTime() {
    using std::chrono::system_clock;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  system_clock::now().time_since_epoch())
                  .count();
    return localTimeAt(ms / 1000, static_cast<int>(ms % 1000));
}

}  // namespace rs::platform
