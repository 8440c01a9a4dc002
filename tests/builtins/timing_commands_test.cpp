#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "builtins/dispatcher.h"
#include "builtins/script_check.h"
#include "platform/headless_host.h"
#include "runtime/fetch.h"

namespace rs::builtins {
namespace {

using runtime::ScriptThread;

// A thread of a fresh engine whose clock reads `now` and whose wake time is `wake`.
struct Paced {
    test::TestGame game;
    ScriptThread* t;

    Paced(uint64_t now, uint32_t wake) {
        t = &game.load("cmd end\n");
        game.clock().advance(now - game.clock().milliseconds());
        t->wake_time = wake;
    }
    // Runs command `id` with integer arguments (in script order).
    void run(int32_t id, std::vector<int32_t> args = {}) {
        for (int32_t a : args) runtime::pushInteger(game.engine(), *t, a);
        dispatch(game.engine(), *t, id);
        EXPECT_FALSE(t->failed);
    }
    int32_t popInteger() { return runtime::ngetint(game.engine(), *t); }
};

TEST(TimingCommands, WaitMovesTheWakeTime) {
    struct Case {
        const char* what;
        uint64_t now;
        uint32_t wake;
        int32_t ms;
        uint32_t expected;
    };
    const std::vector<Case> cases = {
        {"on time", 1000, 1000, 100, 1100},
        {"ahead of the clock", 1000, 1200, 100, 1300},
        // Behind: the lost time is not caught up, the thread resumes now.
        {"500 ms behind", 1500, 1000, 100, 1500},
        {"landing exactly on now", 1100, 1000, 100, 1100},
        {"zero while behind", 1500, 1000, 0, 1500},
        // A negative wait counts from the old wake time, so the thread catches up.
        {"negative, 500 ms behind", 1500, 1000, -100, 1100},
        {"negative, on time", 1000, 1000, -16, 1016},
        // 2^31 ms later is the same reading of the 31-bit clock.
        {"most negative", 1000, 1000, INT32_MIN, 1000},
        // Across the wrap of the 31-bit clock the new wake time is still ahead.
        {"across the wrap", 0x7FFFFFF8u, 0x7FFFFFF0u, 100, 0x54},
        {"behind across the wrap", 0x80000030u, 0x7FFFFFF0u, 16, 0x30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Paced p(c.now, c.wake);
        p.run(256, {c.ms});
        EXPECT_EQ(p.t->wake_time, c.expected);
        EXPECT_EQ(p.t->psp, 0);
    }
}

TEST(TimingCommands, FrameWaitAndClockReadings) {
    Paced p(5000, 4000);
    p.run(263);
    EXPECT_EQ(p.t->wake_time, 4016u);  // no adjustment even when behind
    EXPECT_EQ(p.popInteger(), 30);

    p.run(258);
    EXPECT_EQ(p.popInteger(), 5000);
    p.game.clock().advance(0x80000000u);  // the clock is 31 bits wide
    p.run(258);
    EXPECT_EQ(p.popInteger(), 5000);

    p.run(259);
    EXPECT_EQ(p.popInteger(), 33000);
    p.game.engine().app.cpuClockKHz = 2400000;
    p.run(259);
    EXPECT_EQ(p.popInteger(), 2400000);
}

// Counts the times the engine pumps its events.
class CountingPump final : public platform::EventPump {
  public:
    void pump(platform::EventSink&) override { ++count; }
    int count = 0;
};

class CountingHost final : public platform::Host {
  public:
    platform::Clock& clock() override { return clock_; }
    platform::MessageBoxPresenter& messageBoxes() override { return boxes_; }
    platform::EventPump& events() override { return pump; }
    platform::Window& window() override { return window_; }
    platform::Presenter& presenter() override { return presenter_; }
    platform::AudioDevice& audio() override { return audio_; }
    CountingPump pump;

  private:
    platform::VirtualClock clock_{1000};
    platform::HeadlessMessageBoxes boxes_{nullptr};
    platform::HeadlessWindow window_;
    platform::HeadlessPresenter presenter_;
    platform::NullAudioDevice audio_;
};

TEST(TimingCommands, DispatchingMessagesPumpsOnce) {
    CountingHost host;
    Engine e(host, shell::AppState{});
    ScriptThread* t = e.threads.create(0);
    ASSERT_NE(t, nullptr);
    int before = host.pump.count;
    dispatch(e, *t, 265);
    EXPECT_EQ(host.pump.count, before + 1);
    EXPECT_EQ(t->psp, 0);
}

// A script loop that shows the clock, then waits: it runs once per period of the wait.
std::vector<std::string> pacedTimes(const std::string& waitStatement) {
    test::TestGame game;
    game.load(
        ".var i 1\n .var f 2\n var i\n push 0\n =\n ;\n"
        "loop:\n" +
        test::show("cmd time") + waitStatement +
        " var i\n ++\n ;\n"
        " pushl loop\n var i\n push 4\n <\n cmd nifgoto\n"
        " cmd end\n");
    EXPECT_TRUE(game.run(100000));
    return test::shownBy(game);
}

TEST(TimingCommands, WaitsPaceAScriptByTheEngineClock) {
    // The thread starts due at 1000 and first runs at 1001, the first turn after that.
    EXPECT_EQ(pacedTimes(" push 100\n cmd wait\n ;\n"),
              (std::vector<std::string>{"1001", "1101", "1201", "1301"}));
    EXPECT_EQ(pacedTimes(" push -250\n cmd wait\n ;\n"),
              (std::vector<std::string>{"1001", "1251", "1501", "1751"}));
    EXPECT_EQ(pacedTimes(" var f\n cmd framewait\n =\n ;\n"),
              (std::vector<std::string>{"1001", "1017", "1033", "1049"}));
}

}  // namespace
}  // namespace rs::builtins
