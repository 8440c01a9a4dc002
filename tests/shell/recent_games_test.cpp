// The launcher's list of game folders played before.
#include "shell/recent_games.h"

#include <gtest/gtest.h>

#include "support/test_game.h"

namespace rs::test {
namespace {

using Folders = std::vector<std::string>;

TEST(RecentGames, TheLastPlayedComesFirstOnceAndTheListStaysShort) {
    TempDir home;
    std::string path = shell::recentGamesPath(home.path());
    EXPECT_TRUE(shell::readRecentGames(path).empty());         // no file yet
    ASSERT_TRUE(shell::rememberRecentGame(path, "/games/a"));  // the folders are made
    ASSERT_TRUE(shell::rememberRecentGame(path, "/games/b"));
    ASSERT_TRUE(shell::rememberRecentGame(path, "/games/a"));
    EXPECT_EQ(shell::readRecentGames(path), (Folders{"/games/a", "/games/b"}));
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(shell::rememberRecentGame(path, "/games/" + std::to_string(i)));
    Folders list = shell::readRecentGames(path);
    ASSERT_EQ(list.size(), shell::kMaxRecentGames);
    EXPECT_EQ(list.front(), "/games/11");
    EXPECT_EQ(list.back(), "/games/2");
}

TEST(RecentGames, AnEditedFileIsReadSafely) {
    TempDir home;
    home.write("runestage/recent-games",
               "/games/x\r\n\nrelative/path\n/games/x\n/games/y\n/games/" + std::string(100, 'z'));
    EXPECT_EQ(shell::readRecentGames(shell::recentGamesPath(home.path())),
              (Folders{"/games/x", "/games/y", "/games/" + std::string(100, 'z')}));
    // Names that cannot be kept as a line are refused, and the file stays as it was.
    std::string path = shell::recentGamesPath(home.path());
    std::string before = home.read("runestage/recent-games");
    EXPECT_FALSE(shell::rememberRecentGame(path, "/games/two\nlines"));
    EXPECT_FALSE(shell::rememberRecentGame(path, "not/absolute"));
    EXPECT_EQ(home.read("runestage/recent-games"), before);
}

}  // namespace
}  // namespace rs::test
