// The launcher a player sees when RuneStage starts without a game: the games played before, a
// field for a folder, and what "Play" does with what was chosen or typed.
#include "shell/launcher.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/headless_host.h"
#include "shell/game_check.h"
#include "shell/recent_games.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

namespace ids = shell::launcher_ids;
using platform::DialogNotice;

const std::string kScriptFile = u8(u8"obj/雪花ノ記憶.o");

shell::GameFolderTest realTest() {
    return [](const std::string& folder) { return shell::gameFolderProblem(folder, ""); };
}

// A home folder with two games in it.
struct Home {
    TempDir dir;
    std::string a = dir.path() + "/games/a";
    std::string b = dir.path() + "/games/b b";
    Home() {
        dir.write("games/a/" + kScriptFile, "x");
        dir.write("games/b b/" + kScriptFile, "x");
        dir.write("games/b b/game.exe", "MZ");
        dir.write("notagame/readme.txt", "x");
    }
};

TEST(Launcher, TheLastGamePlayedIsReadyToPlayAgain) {
    Home home;
    std::vector<std::string> recent{home.a, "/gone/game"};
    platform::Dialog d = shell::launcherDialog(recent, home.dir.path());
    const platform::DialogControl* list = d.find(ids::kRecent);
    ASSERT_TRUE(list);
    // Folders under the home folder are shown short; one that is gone says so.
    EXPECT_EQ(list->items, (std::vector<std::string>{"~/games/a", "/gone/game   (not found)"}));
    EXPECT_EQ(list->selected, 0);
    EXPECT_EQ(d.textOf(ids::kFolder), home.a);
    // Return (and a run nobody watches) plays it.
    EXPECT_EQ(d.unattendedAnswer, ids::kPlay);
    EXPECT_TRUE(d.utf8);

    platform::Dialog none = shell::launcherDialog({}, home.dir.path());
    EXPECT_TRUE(none.find(ids::kRecent)->items.empty());
    EXPECT_EQ(none.textOf(ids::kFolder), "");
    EXPECT_EQ(none.unattendedAnswer, ids::kQuit);
}

TEST(Launcher, PlayTakesTheFolderChosenOrTypedOnceItHoldsAGame) {
    Home home;
    std::vector<std::string> recent{home.a, home.b};
    platform::Dialog d = shell::launcherDialog(recent, home.dir.path());
    shell::LauncherProcedure p(recent, home.dir.path(), home.dir.path() + "/games", realTest());
    auto play = [&](const std::string& typed) {
        d.find(ids::kFolder)->text = typed;
        return platform::clickControl(d, p, ids::kPlay);
    };

    // Choosing in the list fills the field.
    EXPECT_EQ(platform::selectItem(d, p, ids::kRecent, 1), std::nullopt);
    EXPECT_EQ(d.textOf(ids::kFolder), home.b);

    // An empty field or a folder without a game keeps the launcher up and says why.
    EXPECT_EQ(play("   "), std::nullopt);
    EXPECT_NE(d.textOf(ids::kMessage).find("Type the path"), std::string::npos);
    EXPECT_EQ(play(home.dir.path() + "/notagame"), std::nullopt);
    EXPECT_NE(d.textOf(ids::kMessage).find("no game in " + home.dir.path() + "/notagame"),
              std::string::npos)
        << d.textOf(ids::kMessage);
    EXPECT_EQ(play("/no/such/folder"), std::nullopt);
    EXPECT_NE(d.textOf(ids::kMessage).find("is not a folder"), std::string::npos);
    EXPECT_EQ(p.chosen(), "");
    // Choosing again clears the message.
    platform::selectItem(d, p, ids::kRecent, 0);
    EXPECT_EQ(d.textOf(ids::kMessage), "");

    // Paths as players type or paste them.
    struct Case {
        std::string typed;
        std::string folder;
    } cases[] = {
        {"~/games/a", home.a},
        {"  '" + home.b + "/'  ", home.b},                       // quoted by a file manager
        {"\"" + home.b + "\"", home.b},                          // quoted by a shell
        {"file://" + home.dir.path() + "/games/b%20b", home.b},  // a file manager's address
        {"a", home.a},                                           // relative to where it started
        {home.b + "/game.exe", home.b},                          // a file of the game
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        shell::LauncherProcedure fresh(recent, home.dir.path(), home.dir.path() + "/games",
                                       realTest());
        d.find(ids::kFolder)->text = c.typed;
        EXPECT_EQ(platform::clickControl(d, fresh, ids::kPlay), ids::kPlay);
        EXPECT_EQ(fresh.chosen(), c.folder);
    }
}

TEST(Launcher, ADoubleClickPlaysAndQuitOrEscapeChoosesNothing) {
    Home home;
    std::vector<std::string> recent{home.a, home.b};
    platform::Dialog d = shell::launcherDialog(recent, home.dir.path());
    shell::LauncherProcedure p(recent, home.dir.path(), "/", realTest());
    EXPECT_EQ(platform::doubleClickItem(d, p, ids::kRecent, 1), ids::kPlay);
    EXPECT_EQ(p.chosen(), home.b);

    platform::Dialog again = shell::launcherDialog(recent, home.dir.path());
    shell::LauncherProcedure q(recent, home.dir.path(), "/", realTest());
    EXPECT_EQ(platform::clickControl(again, q, ids::kQuit), ids::kQuit);
    EXPECT_EQ(platform::pressEscape(again, q), ids::kQuit);
    EXPECT_EQ(q.chosen(), "");
}

TEST(Launcher, RunsInTheWindowFromTheListOfGamesPlayedBefore) {
    Home home;
    TempDir data;
    std::string file = shell::recentGamesPath(data.path());
    std::ostringstream echo;
    platform::HeadlessHost host(std::make_unique<platform::VirtualClock>(), &echo);
    // Nothing played yet: nothing to play.
    EXPECT_EQ(shell::runLauncher(host.window(), host.dialogs(), file, realTest()), std::nullopt);
    EXPECT_EQ(host.headlessWindow().title(), "RuneStage");
    // The window was made the dialog's size: 300 x 176 dialog units and the caption bar.
    EXPECT_EQ(host.window().clientSize(), (platform::SizeInPixels{600, 376}));

    ASSERT_TRUE(shell::rememberRecentGame(file, home.b));
    ASSERT_TRUE(shell::rememberRecentGame(file, home.a));
    EXPECT_EQ(shell::runLauncher(host.window(), host.dialogs(), file, realTest()), home.a);
    EXPECT_EQ(echo.str(), "[RuneStage] Quit\n[RuneStage] Play\n");
    host.headlessDialogs().answerWith(ids::kQuit);
    EXPECT_EQ(shell::runLauncher(host.window(), host.dialogs(), file, realTest()), std::nullopt);

    // The last game was moved away: Play cannot take it.
    host.headlessDialogs().answerWith(std::nullopt);
    ASSERT_TRUE(shell::rememberRecentGame(file, home.dir.path() + "/notagame"));
    EXPECT_EQ(shell::runLauncher(host.window(), host.dialogs(), file, realTest()), std::nullopt);
}

}  // namespace
}  // namespace rs::test
