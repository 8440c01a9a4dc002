// The SDL sound output with SDL's drivers that need no sound card: "dummy" pulls like a card,
// "disk" writes what it plays to a file, and an unknown driver cannot be opened.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
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
    // The driver writes at the pace of a sound card (silence when nothing is queued).
    auto device = platform::sdl::createAudioDevice();
    std::string reason;
    ASSERT_TRUE(device->startQueued(reason)) << reason;
    std::vector<int16_t> frames(2 * 4410, 777);
    device->queue(frames.data(), 4410);
    // Silence may come first, until the frames were queued.
    std::error_code ec;
    EXPECT_TRUE(eventually([&] { return std::filesystem::file_size(file, ec) >= 8 * 4410 * 4; }));
    device->stop();
    std::string played = dir.read("out.raw");
    std::string ours;
    for (int i = 0; i < 2 * 4410; ++i) ours += "\x09\x03";
    size_t at = played.find(ours);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(played.substr(0, at), std::string(at, '\0'));
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
