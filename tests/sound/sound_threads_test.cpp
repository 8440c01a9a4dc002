// Streams on the real clock: the null device pulls the mix on its thread and each playing stream
// refills its ring on its own streaming thread, while the main thread starts, stops and closes
// them as fast as it can.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "builtins/dispatcher.h"
#include "platform/headless_host.h"
#include "runtime/fetch.h"
#include "snd/ogg_encode.h"
#include "sound/sound_state.h"
#include "sound/sound_support.h"

namespace rs::test {
namespace {

struct RealTimeGame {
    TempDir dir;
    std::unique_ptr<platform::HeadlessHost> host;
    std::unique_ptr<Engine> engine;
    runtime::ScriptThread* thread = nullptr;

    RealTimeGame() {
        host = std::make_unique<platform::HeadlessHost>(std::make_unique<platform::RealClock>(),
                                                        nullptr);
        shell::AppState app;
        app.programFolder = dir.path();
        app.userDataFolder = dir.path() + "/userdata";
        engine = std::make_unique<Engine>(*host, app);
        thread = engine->threads.create(0);
    }

    // Runs a command with integer arguments and a string first when given; its result or 0.
    int32_t run(const char* name, std::initializer_list<int32_t> ints, const char* text = nullptr) {
        if (text) runtime::pushString(*engine, *thread, text);
        for (int32_t v : ints) runtime::pushInteger(*engine, *thread, v);
        int32_t before = thread->psp;
        builtins::dispatch(*engine, *thread, engine->commands.findByName(name)->id);
        if (thread->psp <= before - static_cast<int32_t>(ints.size()) - (text ? 1 : 0)) return 0;
        return runtime::ngetint(*engine, *thread);
    }

    platform::NullAudioDevice& device() {
        return dynamic_cast<platform::NullAudioDevice&>(host->audio());
    }
};

TEST(SoundThreads, AStreamRefillsOnItsThreadWhileTheDevicePulls) {
    RealTimeGame g;
    g.dir.write("a.ogg", oggChirp(44100 * 20));
    int32_t slot = g.run("sndopen", {1}, "a.ogg");
    g.run("sndplay", {slot, 0, 0, 0, 1});
    sound::SoundStream& s = *g.engine->sound->slots[static_cast<size_t>(slot)];
    // 16 blocks at the start. Once a second is played the cursor has left 5 blocks, and the
    // thread, looking every 100 ms, has refilled them.
    for (int i = 0; i < 500 && g.device().pulledFrames() < 44100; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    g.run("sndstop", {slot});
    EXPECT_GE(s.decoder->samplePos(), 21 * 8192);
    EXPECT_GT(g.device().pulledFrames(), 0);
    EXPECT_FALSE(s.thread.joinable());
    EXPECT_EQ(g.engine->sound->mixer.voiceCount(), 0);
}

TEST(SoundThreads, StartStopAndCloseStorms) {
    RealTimeGame g;
    g.dir.write("a.ogg", oggChirp(30000, {{"LOOPSTART", "100"}, {"LOOPLENGTH", "2000"}}));
    g.dir.write("b.wav", tools::makeWave16(std::vector<int16_t>(8000, 1234), 2, 22050));
    std::mt19937 rng(3);
    std::vector<int32_t> slots;
    for (int round = 0; round < 400; ++round) {
        switch (rng() % 6) {
            case 0:
                if (slots.size() < 8)
                    slots.push_back(g.run("sndopen", {1}, rng() % 2 ? "a.ogg" : "b.wav"));
                break;
            case 1:
            case 2:
                if (!slots.empty())
                    g.run("sndplay", {slots[rng() % slots.size()], 0, -100, 0,
                                      static_cast<int32_t>(rng() % 3)});
                break;
            case 3:
                if (!slots.empty()) g.run("sndstop", {slots[rng() % slots.size()]});
                break;
            case 4:
                if (!slots.empty()) {
                    size_t i = rng() % slots.size();
                    g.run("sndclose", {slots[i]});
                    slots.erase(slots.begin() + static_cast<ptrdiff_t>(i));
                }
                break;
            default: std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 15)); break;
        }
    }
    // The engine ends with streams still playing: every thread is ended with it.
    EXPECT_TRUE(g.host->boxes().shown().empty());
    g.engine.reset();
}

}  // namespace
}  // namespace rs::test
