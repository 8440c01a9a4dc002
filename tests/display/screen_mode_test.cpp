// The screen modes and the window procedure over the headless host: window placement at a scale,
// full screen from the script, Alt+Enter and the maximise button, a refused switch, the focus,
// the close box, the minimised caption, repaints, the Alt+S screenshots and the back-end choice.
// The same engine code runs over the SDL host; the window tests check it there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/scene_support.h"
#include "display/screen_mode.h"
#include "graphics/png_io.h"
#include "platform/headless_host.h"
#include "shell/main_loop.h"
#include "shell/screenshot.h"
#include "shell/window_events.h"

namespace rs::test {
namespace {

using platform::PixelPoint;
using platform::PixelRect;
using platform::WindowEvent;

struct ModeGame {
    TestGame game;
    Engine& e = game.engine();
    platform::HeadlessHost& host = dynamic_cast<platform::HeadlessHost&>(e.host);
    platform::HeadlessWindow& window = host.headlessWindow();
    platform::HeadlessPresenter& presenter = host.headlessPresenter();

    int32_t run(const char* name, std::initializer_list<Arg> args) {
        return command(e, name, args);
    }
    // Delivers the event as the next pump does.
    void post(WindowEvent event) {
        host.headlessEvents().post(event);
        e.pumpMessages();
    }
    int32_t state() const { return e.display->mode.fullScreenState; }
    // A script that waits in a loop for ever.
    void loadIdleLoop(const std::string& before = "") {
        game.load(before + "loop:\n push 10\n cmd wait\n ;\n jump loop\n");
    }
};

const char* kRefusedText =
    "ビデオカードに一致する画面モードがありませんので\n画面切り替えは行いません";

TEST(ScreenModes, TheWindowIsPlacedForTheScreenAtItsScale) {
    ModeGame g;
    g.run("screen", {320, 200, 0, 4});
    // Scale 1, centred on the 1920 x 1080 desktop, the picture filling the client area.
    EXPECT_EQ(g.window.clientRect(), (PixelRect{800, 440, 320, 200}));
    EXPECT_EQ(g.e.display->view.drawRect(), (PixelRect{0, 0, 320, 200}));
    EXPECT_EQ(g.e.app.clientOffsetX, 0);

    // The automatic scale: the largest that fits 90% of the desktop.
    g.e.app.windowScale = 0;
    g.run("screen", {320, 200, 0, 4});
    EXPECT_EQ(g.window.clientRect(), (PixelRect{320, 140, 1280, 800}));
    EXPECT_EQ(g.run("screenmode", {-9}), 1280);
    EXPECT_TRUE(g.e.display->view.integerScale());

    // A window larger than the desktop is centred on the virtual screen.
    g.e.app.windowScale = 3;
    g.run("screen", {640, 480, 0, 4});
    EXPECT_EQ(g.window.clientRect(), (PixelRect{0, -180, 1920, 1440}));
    EXPECT_EQ(display::windowScale(g.e), 3);
}

TEST(ScreenModes, TheScriptSwitchesFullScreenOnAndOff) {
    ModeGame g;
    g.window.allowFullScreen(true);
    // Nothing switches before the screen exists.
    EXPECT_EQ(g.run("screenmode", {1}), 0);
    EXPECT_FALSE(g.window.fullScreen());

    EXPECT_EQ(g.run("screen", {640, 480, 0, 4}), 0);
    EXPECT_EQ(g.run("screenmode", {1}), 1);
    EXPECT_TRUE(g.window.fullScreen());
    EXPECT_EQ(g.state(), 1);
    EXPECT_EQ(g.run("screenmode", {-9}), 1920);
    EXPECT_EQ(g.run("screenmode", {5}), 1);
    // The picture is scaled into the desktop and centred; the client offset is its corner.
    EXPECT_EQ(g.e.display->view.drawRect(), (PixelRect{240, 0, 1440, 1080}));
    EXPECT_EQ(g.e.app.clientOffsetX, 240);
    EXPECT_EQ(g.e.app.clientOffsetY, 0);
    EXPECT_EQ(g.e.display->display->displayWidth, 1920);
    EXPECT_EQ(g.run("screenmode", {1}), 1);  // already full screen

    EXPECT_EQ(g.run("screenmode", {0}), 0);
    EXPECT_FALSE(g.window.fullScreen());
    EXPECT_EQ(g.window.clientRect(), (PixelRect{640, 300, 640, 480}));
    EXPECT_EQ(g.e.app.clientOffsetX, 0);
    EXPECT_EQ(g.e.display->display->displayWidth, 640);

    // A new screen while full screen goes back to window mode first.
    g.run("screenmode", {1});
    EXPECT_EQ(g.run("screen", {320, 200, 0, 4}), 0);
    EXPECT_EQ(g.state(), 0);
    EXPECT_FALSE(g.window.fullScreen());
    EXPECT_EQ(g.window.clientRect().width, 320);
    EXPECT_TRUE(g.game.boxes().empty());
}

TEST(ScreenModes, AltEnterAndTheMaximiseButton) {
    ModeGame g;
    g.window.allowFullScreen(true);
    // Before the screen exists neither does anything.
    g.post(WindowEvent::ToggleFullScreen);
    g.post(WindowEvent::Maximised);
    EXPECT_EQ(g.state(), -1);

    g.run("screen", {640, 480, 0, 4});
    g.post(WindowEvent::ToggleFullScreen);
    EXPECT_EQ(g.state(), 1);
    EXPECT_TRUE(g.window.fullScreen());
    g.post(WindowEvent::ToggleFullScreen);
    EXPECT_EQ(g.state(), 0);
    EXPECT_FALSE(g.window.fullScreen());
    // The maximise button leads into full screen, with the game's caption and icon.
    g.window.setTitle("pause");
    g.post(WindowEvent::Maximised);
    EXPECT_EQ(g.state(), 1);
    EXPECT_EQ(g.window.title(), "雪花ノ記憶");
    // A maximise reported again in full screen changes nothing.
    g.post(WindowEvent::Maximised);
    EXPECT_EQ(g.state(), 1);
    g.post(WindowEvent::ToggleFullScreen);
    EXPECT_EQ(g.state(), 0);

    // While a movie plays, neither the keys nor the button switch.
    g.e.app.moviePlaying = 1;
    g.post(WindowEvent::ToggleFullScreen);
    g.post(WindowEvent::Maximised);
    EXPECT_EQ(g.state(), 0);
    g.e.app.moviePlaying = 0;
    g.post(WindowEvent::Maximised);
    EXPECT_EQ(g.state(), 1);
}

TEST(ScreenModes, ARefusedSwitchShowsItsBoxAndStaysInAWindow) {
    ModeGame g;
    g.window.allowFullScreen(true, true);
    g.run("screen", {640, 480, 0, 4});
    EXPECT_EQ(g.run("screenmode", {1}), 0);
    EXPECT_EQ(g.state(), 0);
    EXPECT_FALSE(g.window.fullScreen());
    EXPECT_EQ(g.game.boxTexts("画面切り替え時のエラー(3)"), std::vector<std::string>{kRefusedText});
    EXPECT_NE(g.game.log().find("画面切り替え時のエラー(3)"), std::string::npos);
    g.post(WindowEvent::ToggleFullScreen);
    EXPECT_EQ(g.game.boxTexts("画面切り替え時のエラー(3)").size(), 2u);

    // A host without a display has nothing to switch: no box, window mode.
    ModeGame headless;
    headless.run("screen", {640, 480, 0, 4});
    EXPECT_EQ(headless.run("screenmode", {1}), 0);
    headless.post(WindowEvent::ToggleFullScreen);
    EXPECT_EQ(headless.state(), 0);
    EXPECT_TRUE(headless.game.boxes().empty());

    // The 256-colour desktop rule stays: such a desktop refuses window mode.
    ModeGame old;
    old.window.allowFullScreen(true);
    old.run("screen", {64, 48, 0, 4});
    old.run("screenmode", {1});
    old.e.app.desktopBitsPerPixel = 8;
    EXPECT_EQ(old.run("screenmode", {0}), 1);
    EXPECT_EQ(
        old.game.boxTexts("モード切替失敗"),
        std::vector<std::string>{"デスクトップが２５６色なのでウィンドウモード切替は出来ません"});
}

TEST(ScreenModes, TheConfiguredModeAppliesWhenTheScreenIsMade) {
    ModeGame g;
    g.window.allowFullScreen(true);
    g.e.app.windowModeSetting = 1;
    g.run("screen", {640, 480, 0, 4});
    EXPECT_EQ(g.state(), 1);
    EXPECT_TRUE(g.window.fullScreen());

    // Start-up: the game's caption and icon, the mode setting made 0 when unset, the window
    // placed for the default screen and painted with the plain background.
    ModeGame s;
    display::openMainWindow(s.e);
    EXPECT_EQ(s.window.title(), "雪花ノ記憶");
    EXPECT_EQ(s.window.icon(), platform::WindowIcon::Normal);
    EXPECT_EQ(s.e.app.windowModeSetting, 0);
    EXPECT_EQ(s.window.clientRect(), (PixelRect{840, 480, 240, 120}));
    EXPECT_EQ(s.presenter.backgrounds(), 1);
    s.run("screen", {64, 48, 0, 4});
    EXPECT_EQ(s.state(), 0);
}

TEST(ScreenModes, TheFocusComesBackToFullScreen) {
    ModeGame g;
    g.window.allowFullScreen(true);
    EXPECT_EQ(g.e.app.windowActive, 1);  // active from the start
    g.run("screen", {640, 480, 0, 4});
    g.run("screenmode", {1});
    // The desktop took full screen away while another window had the focus.
    g.post(WindowEvent::FocusLost);
    EXPECT_EQ(g.e.app.windowActive, 0);
    g.window.setFullScreen(false);
    g.post(WindowEvent::FocusGained);
    EXPECT_EQ(g.e.app.windowActive, 1);
    EXPECT_TRUE(g.window.fullScreen());
    EXPECT_EQ(g.e.display->view.drawRect(), (PixelRect{240, 0, 1440, 1080}));
    // In window mode the focus changes nothing else.
    g.run("screenmode", {0});
    g.post(WindowEvent::FocusGained);
    EXPECT_FALSE(g.window.fullScreen());
}

TEST(ScreenModes, TheMouseIsMappedThroughTheView) {
    ModeGame g;
    g.window.allowFullScreen(true);
    g.e.app.windowScale = 2;
    g.run("screen", {640, 480, 0, 4});
    auto mouseAt = [&g](PixelPoint client) {
        g.window.setCursorPosition(client);
        shell::updateMousePosition(g.e);
        return PixelPoint{g.e.app.mouseX, g.e.app.mouseY};
    };
    EXPECT_EQ(mouseAt({13, 7}), (PixelPoint{6, 3}));
    EXPECT_EQ(mouseAt({1279, 959}), (PixelPoint{639, 479}));
    EXPECT_EQ(mouseAt({-3, 1000}), (PixelPoint{-2, 500}));
    g.run("screenmode", {1});
    EXPECT_EQ(mouseAt({240 + 45, 90}), (PixelPoint{20, 40}));
    EXPECT_EQ(mouseAt({10, 0}), (PixelPoint{-102, 0}));
    // Without a pointer position the mouse stays where it was.
    g.window.setCursorPosition(std::nullopt);
    shell::updateMousePosition(g.e);
    EXPECT_EQ(g.e.app.mouseX, -102);
}

TEST(WindowProcedure, TheCloseBoxAsksAndTheScriptMayTakeItOver) {
    ModeGame g;
    g.loadIdleLoop();
    g.game.run(5);
    g.host.headlessEvents().post(WindowEvent::Close);
    EXPECT_TRUE(g.game.run(5));  // OK is the default answer: the game ends
    EXPECT_EQ(g.game.boxTexts("雪花ノ記憶"), std::vector<std::string>{"雪花ノ記憶を終了します"});
    EXPECT_EQ(g.game.boxes().back().buttons, platform::BoxButtons::OkCancel);
    EXPECT_EQ(g.game.boxes().back().icon, platform::BoxIcon::Question);
    EXPECT_EQ(g.e.app.quitLevel, 2);

    // closereq(2): the close box only raises the flag; closereq(0) reads and clears it.
    ModeGame s;
    s.loadIdleLoop(".var r 1\n var r\n push 2\n cmd closereq\n =\n ;\n");
    s.game.run(5);
    EXPECT_EQ(s.e.app.closeByScript, 1);
    s.host.headlessEvents().post(WindowEvent::Close);
    EXPECT_FALSE(s.game.run(5));
    for (const auto& b : s.game.boxes()) ADD_FAILURE() << b.caption << b.text;
    EXPECT_EQ(s.run("closereq", {0}), 1);
    EXPECT_EQ(s.run("closereq", {0}), 0);
    EXPECT_EQ(s.run("closereq", {7}), 0);
    // SIGINT and SIGTERM end the run in order, without a question, closereq or not.
    s.host.headlessEvents().post(WindowEvent::Stop);
    EXPECT_TRUE(s.game.run(5));
    EXPECT_FALSE(s.e.app.mainWindow);
    EXPECT_TRUE(s.game.boxes().empty());
    // closereq(1) gives the close box back.
    EXPECT_EQ(s.run("closereq", {1}), 1);
    EXPECT_EQ(s.e.app.closeByScript, 0);
}

TEST(WindowProcedure, MinimisedTheCaptionSaysPause) {
    ModeGame g;
    g.post(WindowEvent::Minimised);
    EXPECT_EQ(g.window.title(), "pause");
    EXPECT_EQ(g.window.icon(), platform::WindowIcon::Paused);
    g.post(WindowEvent::Restored);
    EXPECT_EQ(g.window.title(), "雪花ノ記憶");
    EXPECT_EQ(g.window.icon(), platform::WindowIcon::Normal);
    // The script's title is what comes back.
    g.game.load(u8(u8" pushs \"第一章\"\n cmd title\n ;\n cmd end\n"));
    g.game.run(5);
    g.post(WindowEvent::Minimised);
    EXPECT_EQ(g.window.title(), "pause");
    g.post(WindowEvent::Restored);
    EXPECT_EQ(g.window.title(), "第一章");
}

TEST(WindowProcedure, AnExposeRepaintsTheWholeScreen) {
    ModeGame g;
    // Before the screen exists: the plain background.
    g.post(WindowEvent::Expose);
    EXPECT_EQ(g.presenter.backgrounds(), 1);
    EXPECT_EQ(g.presenter.transfers(), 0);

    g.run("screen", {64, 48, 0, 4});
    display::present(g.e);
    int64_t before = g.presenter.transfers();
    g.post(WindowEvent::Expose);
    EXPECT_EQ(g.presenter.transfers(), before + 1);
    EXPECT_EQ(g.presenter.lastRect().right, 63);
    EXPECT_EQ(g.presenter.lastRect().bottom, 47);
    // The screen stays marked for the next turn's composition.
    EXPECT_EQ(g.e.display->sprites.dirty.right, 64);
    // A size change repaints too; a modal box up gets the background.
    g.post(WindowEvent::Resized);
    EXPECT_EQ(g.presenter.transfers(), before + 2);
    g.e.app.modalBoxUp = 1;
    g.post(WindowEvent::Expose);
    EXPECT_EQ(g.presenter.backgrounds(), 2);
}

TEST(WindowProcedure, AltSSavesScreenshotsNumberedWithinTheSecond) {
    ModeGame g;
    std::string folder = g.game.dir().path() + "/userdata/SEIRAN-DO/yukibana/screenshots/";
    // No screen yet: no picture, no file.
    g.post(WindowEvent::Screenshot);
    EXPECT_FALSE(g.game.dir().exists("userdata/SEIRAN-DO/yukibana/screenshots"));

    g.run("screen", {64, 48, 0, 4});
    g.e.frames->place(1, gradientPicture(64, 48));
    int32_t s = g.run("spget", {});
    g.run("spset", {s, 1, 0, 0, 0, 0});
    g.run("spmove", {s, 0, 0, 0, 0, 0, 1, 0.0});
    g.e.sceneChanged = 1;
    display::present(g.e);
    g.post(WindowEvent::Screenshot);
    g.post(WindowEvent::Screenshot);
    g.post(WindowEvent::Screenshot);
    for (const char* name :
         {"20261206-123456.png", "20261206-123456-2.png", "20261206-123456-3.png"}) {
        auto image = graphics::readPng(folder + name);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->width, 64);
        EXPECT_EQ(image->pixels, g.presenter.picture().pixels);
    }
    platform::LocalTime t{.year = 2027, .month = 1, .day = 2, .hour = 3, .minute = 4, .second = 5};
    EXPECT_EQ(shell::screenshotFileName(t, 1), "20270102-030405.png");
    EXPECT_EQ(shell::screenshotFileName(t, 12), "20270102-030405-12.png");
}

TEST(BackEnd, Direct3DRunsAsDirectDrawAndSaysSoInTheLog) {
    shell::AppState app;
    EXPECT_EQ(display::configuredBackEnd(app), platform::BackEndKind::Direct3D);
    app.useDirect3D = 0;
    EXPECT_EQ(display::configuredBackEnd(app), platform::BackEndKind::DirectDraw);
    app.useDirectX = -1;
    EXPECT_EQ(display::configuredBackEnd(app), platform::BackEndKind::Software);

    ModeGame g;
    g.e.app.backEndRequest = 2;
    display::startBackEnd(g.e);
    EXPECT_EQ(g.presenter.kind(), platform::BackEndKind::DirectDraw);
    EXPECT_NE(g.game.log().find("初期化中の警告\r\nDirect3Dの表示はまだありません\r\n"
                                "DirectDrawを使用します\r\n"),
              std::string::npos);
    EXPECT_TRUE(g.game.boxes().empty());
    EXPECT_EQ(g.run("screen", {64, 48, 0, 4}), 1);
    EXPECT_EQ(g.e.display->display->screen->placement, 1);

    // Without a request the host's kind stays: a headless run reports the software back-end.
    ModeGame s;
    display::startBackEnd(s.e);
    EXPECT_EQ(s.run("screen", {64, 48, 0, 4}), 0);
    EXPECT_EQ(s.game.log(), "");
}

}  // namespace
}  // namespace rs::test
