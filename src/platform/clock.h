// The engine's time sources: a real clock and a virtual one for tests and headless runs.
#pragma once

#include <cstdint>

namespace rs::platform {

// A broken-down local date and time, as the file-time and log code need it.
struct LocalTime {
    int year = 1970;
    int month = 1;      // 1..12
    int day = 1;        // 1..31
    int dayOfWeek = 4;  // 0 = Sunday
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic milliseconds from an arbitrary origin.
    virtual uint64_t milliseconds() = 0;
    virtual void sleep(uint32_t ms) = 0;
    // Called by the main loop when a turn neither ran a script nor has anything to sleep for,
    // so that a virtual clock still moves forward.
    virtual void idle() = 0;
    virtual LocalTime localTime() = 0;
    virtual bool isVirtual() const { return false; }
};

// Wall time: steady_clock for intervals, the system's local time for dates.
class RealClock final : public Clock {
  public:
    uint64_t milliseconds() override;
    void sleep(uint32_t ms) override;
    void idle() override;
    LocalTime localTime() override;
};

// Time that moves only when somebody sleeps: a sleep advances it at once. Runs that use it are
// repeatable and never wait.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(uint64_t startMs = 0) : now_(startMs) {}
    uint64_t milliseconds() override { return now_; }
    void sleep(uint32_t ms) override { now_ += ms; }
    void idle() override { now_ += 1; }
    LocalTime localTime() override;
    bool isVirtual() const override { return true; }

    void advance(uint64_t ms) { now_ += ms; }
    // Fixes the local date and time reported from now on (tests compare log entries).
    void setLocalTime(const LocalTime& t) {
        fixed_ = t;
        hasFixed_ = true;
    }

  private:
    uint64_t now_;
    LocalTime fixed_{};
    bool hasFixed_ = false;
};

LocalTime currentLocalTime();
// The local date and time of a moment given in seconds since the epoch and milliseconds.
LocalTime localTimeAt(int64_t seconds, int millisecond);

}  // namespace rs::platform
