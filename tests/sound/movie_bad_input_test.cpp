// Movies that cannot play, or only in part: a missing file, a zero-length one, garbage and a
// text with a movie's name, a truncated movie, one that is cut short while it plays, a 1 x 1 and
// a very wide video, a rectangle too large to make and one of no size, a movie without pictures.
// None of them stops the game; each ends with status -1.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/app_state.h"
#include "shell/movie.h"
#include "sound/movie_support.h"

namespace rs::test {
namespace {

// Plays `name` in the middle (x -1) and polls the status until it is -1, then stops and ends.
std::string playToEnd(const std::string& name, int x = -1, int width = 0, int height = 0) {
    return moviePlay(name, x, 0, width, height) + movieStatusInto(1) + waitForMovieEnd() +
           call("moviestop", {}) + callInto(2, "time", {});
}

TEST(MovieBadInput, FilesThatDoNotPlayAreLoggedAndTheGameGoesOn) {
    MovieGame g;
    std::string garbage(5000, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 7919 % 251);
    g.file("empty.mpg", "");
    g.file("garbage.mpg", garbage);
    g.file("text.avi", "this is not a movie\n");
    std::filesystem::create_directory(g.game.dir().path() + "/folder.mpg");
    g.start(callInto(4, "time", {}) + playToEnd("missing.mpg") + playToEnd("folder.mpg") +
            playToEnd("empty.mpg") + playToEnd("garbage.mpg") + playToEnd("text.avi") +
            callInto(3, "time", {}));
    g.runTo(100000);
    EXPECT_EQ(g.global(1), -1);
    EXPECT_EQ(g.e.app.moviePlaying, 0);
    // Five stops of 100 ms and nothing else.
    EXPECT_LE(g.global(3) - g.global(4), 600);
    std::string log = g.game.log();
    for (const char* name : {"empty.mpg", "garbage.mpg", "text.avi"})
        EXPECT_NE(log.find(name), std::string::npos) << name << "\n" << log;
    EXPECT_EQ(log.find("missing.mpg"), std::string::npos);
    EXPECT_EQ(log.find("folder.mpg"), std::string::npos);
}

TEST(MovieBadInput, TruncatedMoviesPlayWhatTheyHoldAndEnd) {
    MovieGame g;
    g.movie("whole.mpg", threeColours());
    std::string whole = g.game.dir().read("whole.mpg");
    g.file("half.mpg", whole.substr(0, whole.size() / 2));
    g.file("head.mpg", whole.substr(0, 300));
    g.start(callInto(4, "time", {}) + playToEnd("half.mpg") + playToEnd("head.mpg") +
            callInto(3, "time", {}));
    g.runTo(100000);
    // Both ended (the script went on past its waits) well before a whole movie's time each.
    EXPECT_EQ(g.e.app.moviePlaying, 0);
    EXPECT_LT(g.global(3) - g.global(4), 2000);
}

TEST(MovieBadInput, AMovieCutShortOrRemovedWhilePlayingEnds) {
    MovieGame g;
    g.movie("op.mpg", threeColours());
    g.movie("op2.mpg", threeColours());
    g.start(callInto(4, "time", {}) + moviePlay("op.mpg", 0, 0, 64, 48) + waitForMovieEnd() +
            callInto(1, "time", {}) + moviePlay("op2.mpg", 0, 0, 64, 48) + waitForMovieEnd() +
            callInto(2, "time", {}));
    g.runTo(200);
    // Cut to its first bytes in place: what was read ahead plays, then the end.
    std::filesystem::resize_file(g.game.dir().path() + "/op.mpg", 100);
    g.runTo(2000);
    EXPECT_GT(g.global(1), g.global(4));
    std::filesystem::remove(g.game.dir().path() + "/op2.mpg");
    g.runTo(100000);
    // The open file plays to its end.
    EXPECT_GE(g.global(2) - g.global(1), 1200);
    EXPECT_EQ(g.e.app.moviePlaying, 1);
}

TEST(MovieBadInput, OddSizesAndRectangles) {
    MovieGame g;
    tools::MovieSpec tiny = threeColours(tools::MovieKind::Avi, false);
    tiny.width = tiny.height = 2;
    g.movie("tiny.avi", tiny);
    tools::MovieSpec wide = threeColours(tools::MovieKind::Mpeg1, false);
    wide.width = 4000;
    wide.height = 16;
    g.movie("wide.mpg", wide);
    g.movie("op.mpg", threeColours());
    g.start(callInto(4, "time", {}) + moviePlay("tiny.avi", 10, 10, 1, 1) + waitMs(100) +
            moviePlay("wide.mpg", -1, 0, 0, 0) + waitMs(100) +
            moviePlay("op.mpg", 0, 0, 100000, 100000) + waitMs(100) +
            moviePlay("op.mpg", 50, 50, 0, 0) + waitForMovieEnd() + callInto(1, "time", {}) +
            waitForever());
    g.runTo(50);
    EXPECT_TRUE(near(g.pixel(10, 10), kRed, 40));
    EXPECT_EQ(g.pixel(11, 10), 0u);
    g.runTo(150);
    // 4000 x 16 centred on 320 x 240: the middle of it across the whole width.
    EXPECT_TRUE(near(g.pixel(0, 112), kRed));
    EXPECT_TRUE(near(g.pixel(319, 127), kRed));
    EXPECT_EQ(g.pixel(0, 111), 0u);
    g.runTo(250);
    // Too large to make: no pictures (logged), but it plays.
    EXPECT_EQ(shell::movieStatus(g.e), shell::kMovieRunning);
    EXPECT_NE(g.game.log().find("op.mpg"), std::string::npos);
    g.runTo(100000);
    // No size: nothing shown, the sound and the time run to the end.
    EXPECT_GE(g.global(1) - g.global(4), 300 + 1100);
    EXPECT_EQ(g.pixel(50, 50), 0u);
}

TEST(MovieBadInput, AMovieWithoutPicturesPlaysItsSound) {
    MovieGame g;
    tools::MovieSpec sound;
    sound.soundMs = 500;
    g.movie("voice.mpg", sound);
    g.start(callInto(4, "time", {}) + playToEnd("voice.mpg"));
    g.runTo(100000);
    // The sound's length (the stream's stated end may leave out the last block), the end noticed
    // within a poll, and the stop's 100 ms.
    EXPECT_GE(g.global(2) - g.global(4), 450 + 100);
    EXPECT_LE(g.global(2) - g.global(4), 500 + 100 + 30);
    EXPECT_GT(peak(g.capture(), 50, 450), 6000);
}

}  // namespace
}  // namespace rs::test
