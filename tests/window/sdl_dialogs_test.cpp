// The settings dialog, the font dialog and message boxes drawn in the game window, driven by mouse
// and key events as the window system sends them: what each button and choice does.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "display/scene_support.h"
#include "display/screen_mode.h"
#include "platform/sdl/sdl_dialogs.h"
#include "shell/game_check.h"
#include "shell/launcher.h"
#include "shell/recent_games.h"
#include "shell/settings_dialog.h"
#include "text/font_dialog.h"
#include "text/font_state.h"
#include "window/window_game.h"

namespace rs::test {
namespace {

using platform::PixelRect;

// Dialogs and boxes that wait for the player (no answering hook).
platform::sdl::SdlHostOptions playerOptions() {
    platform::sdl::SdlHostOptions o = windowTestOptions();
    o.boxAnswer = platform::sdl::BoxAnswerHook::None;
    return o;
}

class DialogGame : public WindowGame {
  public:
    DialogGame() : WindowGame(playerOptions()) {
        host().sdlDialogs().setFrameHook([this](int64_t frame) {
            auto it = steps_.find(frame);
            if (it != steps_.end()) it->second();
            // A dialog nobody ends would hang the test: Escape after a while.
            if (frame == 400) sendKey(SDLK_ESCAPE, 0);
        });
    }
    // Runs `step` after the dialog's `frame`-th frame was drawn (counted over the test).
    void at(int64_t frame, std::function<void()> step) { steps_[frame] = std::move(step); }
    // A click at the centre of a rectangle of the client area.
    void clickAt(const PixelRect& r) {
        ASSERT_GT(r.width, 0);
        int x = r.x + r.width / 2, y = r.y + r.height / 2;
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = window().id();
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
        for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event b{};
            b.type = type;
            b.button.windowID = window().id();
            b.button.button = SDL_BUTTON_LEFT;
            b.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            b.button.clicks = 1;
            b.button.x = x;
            b.button.y = y;
            SDL_PushEvent(&b);
        }
    }
    void click(const platform::Dialog& d, int32_t id) {
        clickAt(host().sdlDialogs().controlRect(d, id));
    }
    int64_t frames() { return host().sdlDialogs().framesDrawn(); }
    // A file or folder dropped on the window from a file manager.
    void dropFile(const std::string& path) {
        SDL_Event e{};
        e.type = SDL_DROPFILE;
        e.drop.windowID = window().id();
        e.drop.file = SDL_strdup(path.c_str());
        SDL_PushEvent(&e);
    }
    // A key pressed and let go.
    void tapKey(SDL_Keycode key) {
        pushKey(true, SDL_GetScancodeFromKey(key), key);
        pushKey(false, SDL_GetScancodeFromKey(key), key);
    }

  private:
    std::map<int64_t, std::function<void()>> steps_;
};

namespace ids = shell::settings_ids;

TEST(SdlDialogs, TheSettingsDialogTakesTheChoiceClicked) {
    DialogGame g;
    Engine& e = g.engine();
    platform::Dialog d = shell::settingsDialogTemplate();
    // DirectDraw, then "ゲーム開始".
    g.at(5, [&] { g.click(d, ids::kDirectDraw); });
    g.at(12, [&] { g.click(d, ids::kStart); });
    EXPECT_EQ(shell::runSettingsDialog(e, d), ids::kStart);
    EXPECT_EQ(e.app.useDirectX, 1);
    EXPECT_EQ(e.app.useDirect3D, 0);
    EXPECT_TRUE(d.checked(ids::kDirectDraw));
    EXPECT_FALSE(d.checked(ids::kDirect3D));
    // The window was sized for the dialog: 275 x 200 dialog units and the caption bar.
    EXPECT_EQ(g.window().clientSize(), (platform::SizeInPixels{550, 424}));

    // No DirectX, then Return (the default button).
    platform::Dialog again = shell::settingsDialogTemplate();
    int64_t f = g.frames();
    g.at(f + 5, [&] { g.click(again, ids::kNoDirectX); });
    g.at(f + 12, [&] { g.sendKey(SDLK_RETURN, 0); });
    EXPECT_EQ(shell::runSettingsDialog(e, again), ids::kStart);
    EXPECT_EQ(e.app.useDirectX, 0);
    EXPECT_TRUE(again.checked(ids::kNoDirectX));
}

TEST(SdlDialogs, QuitEscapeAndTheCloseBoxLeaveTheSettingsAlone) {
    DialogGame g;
    Engine& e = g.engine();
    platform::Dialog quit = shell::settingsDialogTemplate();
    g.at(5, [&] { g.click(quit, ids::kNoDirectX); });
    g.at(12, [&] { g.click(quit, ids::kQuit); });
    EXPECT_EQ(shell::runSettingsDialog(e, quit), ids::kQuit);
    EXPECT_EQ(e.app.useDirectX, 1);
    EXPECT_EQ(e.app.useDirect3D, 1);

    platform::Dialog escaped = shell::settingsDialogTemplate();
    int64_t f = g.frames();
    g.at(f + 5, [&] { g.sendKey(SDLK_ESCAPE, 0); });
    EXPECT_EQ(shell::runSettingsDialog(e, escaped), ids::kQuit);

    platform::Dialog closed = shell::settingsDialogTemplate();
    f = g.frames();
    g.at(f + 5, [&] { g.sendWindowEvent(SDL_WINDOWEVENT_CLOSE); });
    EXPECT_EQ(shell::runSettingsDialog(e, closed), ids::kQuit);
    EXPECT_EQ(e.app.useDirectX, 1);
}

TEST(SdlDialogs, AChoiceTheDirectXVersionDisablesCannotBeClicked) {
    DialogGame g;
    Engine& e = g.engine();
    // DirectX 8: Direct3D is disabled and DirectDraw is what was chosen.
    e.app.directXVersion = 0x00040008;
    platform::Dialog d = shell::settingsDialogTemplate();
    g.at(5, [&] { g.click(d, ids::kDirect3D); });
    g.at(12, [&] { g.click(d, ids::kStart); });
    EXPECT_EQ(shell::runSettingsDialog(e, d), ids::kStart);
    EXPECT_EQ(e.app.useDirectX, 1);
    EXPECT_EQ(e.app.useDirect3D, 0);
}

TEST(SdlDialogs, TheFontDialogTakesTheFacePickedOrKeepsTheOldOne) {
    DialogGame g;
    Engine& e = g.engine();
    ASSERT_TRUE(e.text->fonts);
    std::vector<std::string> faces = e.text->fonts->faceNames(text::kFontListLimit);
    ASSERT_GE(faces.size(), 2u);
    e.text->fontName = "before";
    // The same layout as the dialog the command shows, for the places of its buttons.
    platform::Dialog layout = text::fontDialogTemplate({}, "");
    std::string picked;
    g.at(5, [&] {
        PixelRect item = g.host().sdlDialogs().listItemRect(text::font_dialog_ids::kList, 1);
        g.clickAt(item);
    });
    g.at(12, [&] { g.click(layout, text::font_dialog_ids::kTake); });
    EXPECT_EQ(text::fontSelectDialog(e), text::font_dialog_ids::kTake);
    platform::Dialog sorted = text::fontDialogTemplate(faces, "");
    EXPECT_EQ(e.text->fontName, sorted.find(text::font_dialog_ids::kList)->items[1]);

    // "元に戻そう" keeps the face, whatever was picked.
    std::string kept = e.text->fontName;
    int64_t f = g.frames();
    g.at(f + 5,
         [&] { g.clickAt(g.host().sdlDialogs().listItemRect(text::font_dialog_ids::kList, 0)); });
    g.at(f + 12, [&] { g.click(layout, text::font_dialog_ids::kRevert); });
    EXPECT_EQ(text::fontSelectDialog(e), text::font_dialog_ids::kRevert);
    EXPECT_EQ(e.text->fontName, kept);
}

TEST(SdlDialogs, AMessageBoxInTheWindowAnswersWithTheButtonClicked) {
    DialogGame g;
    Engine& e = g.engine();
    display::openMainWindow(e);
    command(e, "screen", {640, 480, 0, 4});
    g.settle();
    platform::MessageBoxRequest box;
    box.caption = "ジョイスティック(パッド)設定";
    box.text = "ジョイスティック入力を無効にしますか？";
    box.buttons = platform::BoxButtons::YesNo;
    ASSERT_TRUE(g.host().sdlDialogs().canShowBox(box));
    g.at(5, [&] { g.clickAt(g.host().sdlDialogs().boxButtonRect(platform::kBoxNo)); });
    EXPECT_EQ(e.host.messageBoxes().show(box), platform::kBoxNo);
    int64_t f = g.frames();
    g.at(f + 5, [&] { g.sendKey(SDLK_RETURN, 0); });
    EXPECT_EQ(e.host.messageBoxes().show(box), platform::kBoxYes);
}

TEST(SdlDialogs, AKeyLetGoWhileADialogIsUpIsLetGoInTheGame) {
    DialogGame g;
    Engine& e = g.engine();
    g.pushKey(true, SDL_SCANCODE_Z, SDLK_z);
    g.settle();
    EXPECT_EQ(command(e, "input", {256 + 'Z'}), 1);
    platform::Dialog d = shell::settingsDialogTemplate();
    g.at(5, [&] { g.pushKey(false, SDL_SCANCODE_Z, SDLK_z); });
    g.at(12, [&] { g.click(d, ids::kStart); });
    EXPECT_EQ(shell::runSettingsDialog(e, d), ids::kStart);
    g.settle();
    EXPECT_EQ(command(e, "input", {256 + 'Z'}), 0);
}

namespace launcher = shell::launcher_ids;

shell::GameFolderTest gameTest() {
    return [](const std::string& folder) { return shell::gameFolderProblem(folder, ""); };
}

TEST(SdlDialogs, TheLauncherPlaysAFolderTypedIntoItsField) {
    DialogGame g;
    TempDir games, data;
    games.write("mine/obj/" + u8(u8"雪花ノ記憶.o"), "x");
    std::string folder = games.path() + "/mine";
    // Nothing played before: the field has the keyboard at once. A mistyped letter is taken
    // back with Backspace, then Return plays.
    g.at(5, [&] { g.pushText(folder.substr(0, 10)); });
    g.at(6, [&] { g.pushText(folder.substr(10) + "x"); });
    g.at(8, [&] { g.tapKey(SDLK_BACKSPACE); });
    g.at(16, [&] { g.tapKey(SDLK_RETURN); });
    std::string recent = shell::recentGamesPath(data.path());
    EXPECT_EQ(shell::runLauncher(g.window(), g.host().dialogs(), recent, gameTest()), folder);

    // A folder dropped while the field is being edited replaces the text, and typing goes on in
    // the field.
    int64_t d = g.frames();
    g.at(d + 5, [&] { g.pushText("/some/where"); });
    g.at(d + 8, [&] { g.dropFile(games.path()); });
    g.at(d + 12, [&] { g.pushText("/mine"); });
    g.at(d + 16, [&] { g.tapKey(SDLK_RETURN); });
    EXPECT_EQ(shell::runLauncher(g.window(), g.host().dialogs(), recent, gameTest()), folder);

    // A folder without a game keeps the launcher up with the reason; Escape then quits.
    int64_t f = g.frames();
    g.at(f + 5, [&] { g.pushText(games.path()); });
    g.at(f + 10, [&] { g.tapKey(SDLK_RETURN); });
    g.at(f + 30, [&] { g.sendKey(SDLK_ESCAPE, 0); });
    EXPECT_EQ(shell::runLauncher(g.window(), g.host().dialogs(), recent, gameTest()), std::nullopt);
}

TEST(SdlDialogs, TheLauncherPlaysAGameDoubleClickedInItsListOrDropped) {
    DialogGame g;
    TempDir games, data;
    games.write("one/obj/" + u8(u8"雪花ノ記憶.o"), "x");
    games.write("two/obj/" + u8(u8"雪花ノ記憶.o"), "x");
    std::string recent = shell::recentGamesPath(data.path());
    ASSERT_TRUE(shell::rememberRecentGame(recent, games.path() + "/two"));
    ASSERT_TRUE(shell::rememberRecentGame(recent, games.path() + "/one"));
    g.at(5, [&] {
        PixelRect second = g.host().sdlDialogs().listItemRect(launcher::kRecent, 1);
        g.clickAt(second);
        g.clickAt(second);
    });
    EXPECT_EQ(shell::runLauncher(g.window(), g.host().dialogs(), recent, gameTest()),
              games.path() + "/two");
    // Return plays the game played last.
    g.at(g.frames() + 5, [&] { g.tapKey(SDLK_RETURN); });
    EXPECT_EQ(shell::runLauncher(g.window(), g.host().dialogs(), recent, gameTest()),
              games.path() + "/one");
    // A folder dropped on the window goes into the field.
    int64_t f = g.frames();
    g.at(f + 5, [&] { g.dropFile(games.path() + "/two"); });
    g.at(f + 8, [&] { g.tapKey(SDLK_RETURN); });
    EXPECT_EQ(shell::runLauncher(g.window(), g.host().dialogs(), recent, gameTest()),
              games.path() + "/two");
}

}  // namespace
}  // namespace rs::test
