// The SDL sound output with SDL's drivers that need no sound card: "dummy" pulls like a card,
// "disk" writes what it plays to a file, and an unknown driver cannot be opened.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <thread>

#include "platform/sdl/sdl_audio_device.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

class CountingRenderer final : public platform::AudioRenderer {
  public:
    void render(int16_t* out, int32_t frames) override {
        for (int32_t i = 0; i < frames * 2; ++i) out[i] = 1000;
        rendered += frames;
    }
    std::atomic<int64_t> rendered{0};
};

// Waits up to two seconds for the condition.
template <typename F>
bool eventually(F condition) {
    for (int i = 0; i < 200 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

TEST(SdlAudioDevice, PullsFromTheRendererAndStopsPulling) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto device = platform::sdl::createAudioDevice();
    CountingRenderer renderer;
    std::string reason;
    ASSERT_TRUE(device->startPulling(renderer, reason)) << reason;
    EXPECT_TRUE(eventually([&] { return renderer.rendered > 4096; }));
    device->stop();
    int64_t after = renderer.rendered;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(renderer.rendered, after);
    device->stop();  // again: nothing
}

TEST(SdlAudioDevice, QueuedFramesReachTheDriver) {
    TempDir dir;
    std::string file = dir.path() + "/out.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    auto device = platform::sdl::createAudioDevice();
    std::string reason;
    ASSERT_TRUE(device->startQueued(reason)) << reason;
    std::vector<int16_t> frames(2 * 4410, 777);
    device->queue(frames.data(), 4410);
    EXPECT_TRUE(eventually([&] { return dir.read("out.raw").size() >= 4410 * 4; }));
    device->stop();
    std::string played = dir.read("out.raw");
    ASSERT_GE(played.size(), 4u);
    EXPECT_EQ(static_cast<uint8_t>(played[0]), 777 & 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(played[1]), 777 >> 8);
}

TEST(SdlAudioDevice, AnUnknownDriverGivesItsReason) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    auto device = platform::sdl::createAudioDevice();
    CountingRenderer renderer;
    std::string reason;
    EXPECT_FALSE(device->startPulling(renderer, reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(device->startQueued(reason));
    device->stop();
}

}  // namespace
}  // namespace rs::test
