// Movies as a script and a player meet them: pictures at their times in the rectangle, centred
// at their own size, the status to the end, seeking and the stop position, the volume in the
// mix, the window left alone while a movie plays, the same run twice, and a screenshot.
#include <gtest/gtest.h>

#include <filesystem>

#include "display/display.h"
#include "graphics/png_io.h"
#include "shell/app_state.h"
#include "shell/input.h"
#include "shell/main_loop.h"
#include "shell/movie.h"
#include "shell/screenshot.h"
#include "sound/movie_support.h"
#include "sound/sound_state.h"

namespace rs::test {
namespace {

using platform::WindowEvent;

// The rectangle the standard movie is scaled into: 128 x 96 at (100, 50).
constexpr int kX = 100, kY = 50, kW = 128, kH = 96;

TEST(Movie, PicturesShowAtTheirTimesScaledIntoTheRectangle) {
    MovieGame g;
    g.movie("op.mpg", threeColours());
    g.start(moviePlay("op.mpg", kX, kY, kW, kH) + waitForever());
    struct Check {
        int64_t ms;
        uint32_t colour;
    };
    // Pictures change every 400 ms; the movie started at about 1 ms.
    for (Check c : {Check{100, kRed}, Check{380, kRed}, Check{430, kGreen}, Check{780, kGreen},
                    Check{830, kBlue}, Check{1150, kBlue}}) {
        g.runTo(c.ms);
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(g.e.app.moviePlaying, 1);
        EXPECT_EQ(shell::movieStatus(g.e), shell::kMovieRunning);
        for (auto [x, y] : {std::pair{kX, kY}, {kX + kW - 1, kY + kH - 1}, {kX + 60, kY + 40}})
            EXPECT_TRUE(near(g.pixel(x, y), c.colour)) << std::hex << g.pixel(x, y);
        for (auto [x, y] : {std::pair{kX - 1, kY}, {kX, kY - 1}, {kX + kW, kY + kH - 1}, {5, 5}})
            EXPECT_EQ(g.pixel(x, y), 0u);
    }
    // After the end: -1, the last picture stays until the script stops the movie.
    g.runTo(1300);
    EXPECT_EQ(shell::movieStatus(g.e), shell::kMovieNotRunning);
    EXPECT_TRUE(near(g.pixel(kX, kY), kBlue));
    EXPECT_EQ(g.e.app.moviePlaying, 1);
    EXPECT_EQ(g.e.movie->player != nullptr, true);
}

TEST(Movie, PicturesGoOnWhileTheScriptWaitsLong) {
    MovieGame g;
    g.movie("op.mpg", threeColours());
    g.start(moviePlay("op.mpg", kX, kY, kW, kH) + waitMs(5000));
    g.runTo(600);
    EXPECT_LE(g.elapsed(), 610);
    EXPECT_TRUE(near(g.pixel(kX, kY), kGreen));
    g.runTo(1000);
    EXPECT_TRUE(near(g.pixel(kX, kY), kBlue));
}

TEST(Movie, XBelowZeroCentresTheMovieAtItsOwnSizeAndPresentationWaits) {
    MovieGame g;
    g.movie("op.avi", threeColours(tools::MovieKind::Avi, false));
    g.start(moviePlay("op.avi", -1, 0, 10, 10) + waitForever());
    g.runTo(50);
    // 64 x 48 in the middle of 320 x 240.
    EXPECT_TRUE(near(g.pixel(128, 96), kRed));
    EXPECT_TRUE(near(g.pixel(191, 143), kRed));
    for (auto [x, y] : {std::pair{127, 96}, {128, 95}, {192, 143}, {191, 144}})
        EXPECT_EQ(g.pixel(x, y), 0u);
    // The game's presentation does nothing while the movie is centred.
    auto& presenter = g.headless().headlessPresenter();
    int64_t transfers = presenter.transfers();
    g.runTo(600);
    EXPECT_EQ(presenter.transfers(), transfers);
    EXPECT_TRUE(near(g.pixel(150, 100), kGreen));
}

TEST(Movie, AScriptWaitsForTheEndStopsAndGoesOnWithTheSoundInTheMix) {
    MovieGame g;
    g.movie("op.mpg", threeColours());
    g.start(callInto(4, "time", {}) + moviePlay("op.mpg", kX, kY, kW, kH) + movieStatusInto(1) +
            waitForMovieEnd() + movieStatusInto(2) + call("moviestop", {}) +
            callInto(3, "time", {}) + waitMs(50));
    g.runTo(100000);
    EXPECT_EQ(g.global(1), 1);
    EXPECT_EQ(g.global(2), -1);
    // The end is noticed within a poll of the end of the sound and pictures (1.2 s and a bit of
    // the codec's last block); the stop's pause is 100 ms.
    int64_t stopped = g.global(3) - g.global(4);
    EXPECT_GE(stopped, 1300);
    EXPECT_LE(stopped, 1450);
    EXPECT_EQ(g.e.app.moviePlaying, 0);
    // The stop repainted the whole screen: the game's black is back in the rectangle.
    EXPECT_EQ(g.pixel(kX + 10, kY + 10), 0u);
    std::vector<int16_t> c = g.capture();
    // A 1 kHz tone of level 8000 while the movie played, then silence.
    EXPECT_GT(peak(c, 50, 1150), 6000);
    EXPECT_LT(peak(c, 50, 1150), 10000);
    EXPECT_EQ(peak(c, 1300, 1400), 0);
}

TEST(Movie, SeekMovesThePictureAndTheStopPositionEndsIt) {
    MovieGame g;
    g.movie("op.mpg", threeColours());
    // Starts at 100 ms; at 200 ms: to 0.85 s (blue); at 300 ms: stop at 1.0 s (the end 50 ms
    // later); at 700 ms: -1, -1 changes nothing; at 800 ms: from 0.45 s (green) to 1.2 s.
    g.start(waitMs(99) + moviePlay("op.mpg", kX, kY, kW, kH) + waitSteps(100) +
            call("movieseek", {8500000, -1}) + waitSteps(100) + call("movieseek", {-1, 10000000}) +
            waitSteps(400) + movieStatusInto(1) + call("movieseek", {-1, -1}) + movieStatusInto(2) +
            waitSteps(100) + call("movieseek", {4500000, 12000000}) + movieStatusInto(3) +
            waitForever());
    g.runTo(150);
    EXPECT_TRUE(near(g.pixel(kX, kY), kRed));
    g.runTo(250);
    EXPECT_TRUE(near(g.pixel(kX, kY), kBlue));
    EXPECT_EQ(shell::movieStatus(g.e), shell::kMovieRunning);
    g.runTo(330);
    EXPECT_EQ(shell::movieStatus(g.e), shell::kMovieRunning);
    g.runTo(400);
    EXPECT_EQ(shell::movieStatus(g.e), shell::kMovieNotRunning);
    g.runTo(850);
    EXPECT_EQ(g.global(1), -1);
    EXPECT_EQ(g.global(2), -1);
    EXPECT_EQ(g.global(3), 1);
    EXPECT_TRUE(near(g.pixel(kX, kY), kGreen));
    g.runTo(1100);
    EXPECT_EQ(shell::movieStatus(g.e), shell::kMovieRunning);
    g.runTo(1700);
    EXPECT_EQ(shell::movieStatus(g.e), shell::kMovieNotRunning);
    EXPECT_TRUE(near(g.pixel(kX, kY), kBlue));
}

TEST(Movie, TheVolumeReachesTheMix) {
    MovieGame g;
    g.movie("op.mpg", threeColours());
    // Full level, then -6 dB at 400 ms, a refused value at 600 ms, silent at 800 ms.
    g.start(moviePlay("op.mpg", kX, kY, kW, kH) + waitMs(399) + call("movievolume", {-600}) +
            waitMs(200) + call("movievolume", {100}) + waitMs(200) + call("movievolume", {-10000}) +
            waitForever());
    g.runTo(1300);
    std::vector<int16_t> c = g.capture();
    int32_t full = peak(c, 50, 390);
    int32_t half = peak(c, 420, 790);
    EXPECT_GT(full, 6000);
    EXPECT_NEAR(half, full / 2, full / 10);
    EXPECT_EQ(peak(c, 810, 1300), 0);
    // A movie that starts at -6 dB.
    MovieGame quiet;
    quiet.movie("op.mpg", threeColours());
    quiet.start(moviePlay("op.mpg", kX, kY, kW, kH, -600) + waitForever());
    quiet.runTo(400);
    EXPECT_NEAR(peak(quiet.capture(), 50, 390), full / 2, full / 10);
}

TEST(Movie, TheWindowIsLeftAloneWhileAMoviePlaysAndRepaintsKeepIt) {
    MovieGame g;
    g.headless().headlessWindow().allowFullScreen(true);
    g.movie("op.mpg", threeColours());
    g.start(moviePlay("op.mpg", kX, kY, kW, kH) + waitSteps(300) + call("moviestop", {}) +
            waitForever());
    g.runTo(100);
    auto& events = g.headless().headlessEvents();
    events.post(WindowEvent::ToggleFullScreen);
    events.post(WindowEvent::Maximised);
    events.post(WindowEvent::Expose);
    g.runTo(150);
    EXPECT_FALSE(g.game.host().window().fullScreen());
    // The repaint of the game picture went around the movie, which was shown again over it.
    EXPECT_TRUE(near(g.pixel(kX, kY), kRed));
    EXPECT_EQ(g.pixel(kX - 1, kY), 0u);
    g.runTo(500);
    EXPECT_EQ(g.e.app.moviePlaying, 0);
    events.post(WindowEvent::ToggleFullScreen);
    g.runTo(520);
    EXPECT_TRUE(g.game.host().window().fullScreen());
}

// The pictures seen every 20 ms and the mix of a run.
std::pair<std::vector<uint32_t>, std::vector<int16_t>> recordRun() {
    MovieGame g;
    g.movie("op.mpg", threeColours());
    g.start(moviePlay("op.mpg", 0, 0, 320, 240) + waitForever());
    std::vector<uint32_t> seen;
    for (int ms = 10; ms < 1300; ms += 20) {
        g.runTo(ms);
        seen.push_back(g.pixel(160, 120));
    }
    return {seen, g.capture()};
}

TEST(Movie, AVirtualClockRunIsTheSameEveryTimeAndAScreenshotShowsTheMovie) {
    auto first = recordRun();
    auto second = recordRun();
    EXPECT_EQ(first.first, second.first);
    EXPECT_EQ(first.second, second.second);

    MovieGame g;
    g.movie("op.mpg", threeColours());
    std::string path = g.game.dir().path() + "/shot.png";
    g.start(moviePlay("op.mpg", kX, kY, kW, kH) + waitForever());
    shell::Screenshot shot(g.e, path, 500);
    while (g.elapsed() < 700) {
        shell::runTurns(g.e, 1);
        shot.afterTurn();
    }
    std::string error;
    ASSERT_TRUE(shot.write(&error)) << error;
    auto image = graphics::readPng(path);
    ASSERT_TRUE(image);
    EXPECT_TRUE(near(image->pixels[static_cast<size_t>(kY + 5) * 320 + kX + 5] & 0xFFFFFF, kGreen));
}

TEST(Movie, PresentationGoesAroundTheMovieRectangle) {
    using graphics::DirtyRect;
    auto around = [](DirtyRect r, DirtyRect hole) { return display::rectsAround(r, hole); };
    // Around a hole inside: the band above, left, right and the band below.
    EXPECT_EQ(around({0, 0, 99, 99}, {10, 20, 29, 49}),
              (std::vector<DirtyRect>{
                  {0, 0, 99, 19}, {0, 20, 9, 49}, {30, 20, 99, 49}, {0, 50, 99, 99}}));
    // Apart: the rectangle; covered: nothing; overlapping a corner: two pieces.
    EXPECT_EQ(around({0, 0, 9, 9}, {20, 20, 29, 29}), (std::vector<DirtyRect>{{0, 0, 9, 9}}));
    EXPECT_TRUE(around({5, 5, 9, 9}, {0, 0, 99, 99}).empty());
    EXPECT_EQ(around({0, 0, 9, 9}, {5, 5, 20, 20}),
              (std::vector<DirtyRect>{{0, 0, 9, 4}, {0, 5, 4, 9}}));
}

TEST(Movie, StatusAndStopTakeTheMouseButtonsFromTheKeyTable) {
    // A button released while the movie played is seen as released when the script asks.
    MovieGame g;
    g.movie("op.mpg", threeColours());
    g.start(moviePlay("op.mpg", kX, kY, kW, kH) + waitForever());
    g.runTo(100);
    g.e.input->leftDown = 1;
    g.e.input->rightDown = 1;
    shell::movieStatus(g.e);
    EXPECT_EQ(g.e.input->leftDown, 0);
    g.e.input->rightDown = 1;
    shell::movieStop(g.e);
    EXPECT_EQ(g.e.input->rightDown, 0);
}

}  // namespace
}  // namespace rs::test
