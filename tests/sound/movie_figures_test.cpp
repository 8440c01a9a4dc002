// The figure of the README: what playing a 640 x 480, 30 pictures a second MPEG-1 movie with MP2
// sound costs on the real clock, as a fraction of one core (the worker's decoding, the sound
// read as the device would, and the pictures shown into the presenter at 60 turns a second), and
// the pictures dropped. Run on purpose:
//   build-dev/rs_tests --gtest_also_run_disabled_tests --gtest_filter='MovieFigures.*'
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <thread>

#include "platform/headless_host.h"
#include "shell/movie_player.h"
#include "snd/movie_files.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

double processSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST(MovieFigures, DISABLED_RealTimePlaybackOf640x480At30) {
    TempDir dir;
    tools::MovieSpec spec;
    spec.width = 640;
    spec.height = 480;
    spec.fps = 30;
    spec.soundMs = 10000;
    // Colours that change every picture, so every picture is coded.
    for (int i = 0; i < 300; ++i) spec.colours.push_back(static_cast<uint32_t>(i * 0x030507));
    std::string path = dir.path() + "/bench.mpg";
    std::string error;
    ASSERT_TRUE(tools::writeMovie(path, spec, &error)) << error;
    auto video = platform::openVideoFile(path, error);
    auto audio = platform::openAudioFile(path, error);
    ASSERT_TRUE(video && audio) << error;
    ASSERT_TRUE(video->setOutput({640, 480}, {0, 0, 640, 480}));
    shell::MoviePlayer player(std::move(video), std::move(audio), false);
    platform::HeadlessPresenter presenter;
    presenter.paintBlack(640, 480);
    using Clock = std::chrono::steady_clock;
    double cpuStart = processSeconds();
    auto start = Clock::now();
    player.start(0);
    auto sound = player.soundSource();
    std::vector<int16_t> piece(2048);
    int64_t soundRead = 0;
    for (;;) {
        int64_t us =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        if (player.videoOverAt(us)) break;
        if (auto p = player.pictureAt(us)) presenter.transferPicture(*p, 0, 0);
        // The device's share: 1024 frames whenever they are due.
        while (soundRead * 1000000 / 44100 < us) {
            sound->read(piece.data(), 1024);
            soundRead += 1024;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    double cpu = processSeconds() - cpuStart;
    std::printf(
        "movie 640x480 at 30: %.1f s played, %.1f%% of a core, %lld pictures shown, "
        "%lld dropped\n",
        wall, 100.0 * cpu / wall, static_cast<long long>(player.picturesShown()),
        static_cast<long long>(player.picturesDropped()));
}

}  // namespace
}  // namespace rs::test
