// The SDL window driven by the engine: caption and placement, full screen from the script, from
// Alt+Enter and from the maximise button, the close box, the minimised caption, repaints, the
// focus, Alt+S, the mouse mapped back to game pixels, boxes of other threads and start failures.
// Xvfb has no window manager: what one would report is injected as SDL window events.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "display/display.h"
#include "display/scene_support.h"
#include "display/screen_mode.h"
#include "graphics/png_io.h"
#include "shell/main_loop.h"
#include "window/window_game.h"

namespace rs::test {
namespace {

using platform::PixelPoint;
using platform::PixelRect;
using platform::SizeInPixels;

int32_t run(WindowGame& g, const char* name, std::initializer_list<Arg> args) {
    return command(g.engine(), name, args);
}

bool sdlFullScreen(WindowGame& g) {
    return (SDL_GetWindowFlags(g.window().handle()) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

int32_t state(WindowGame& g) { return g.engine().display->mode.fullScreenState; }

TEST(SdlWindow, CaptionIconAndPlacement) {
    WindowGame g;
    display::openMainWindow(g.engine());
    g.settle();
    EXPECT_EQ(g.window().titleUtf8(), u8(u8"雪花ノ記憶"));
    EXPECT_TRUE(SDL_GetWindowFlags(g.window().handle()) & SDL_WINDOW_SHOWN);
    EXPECT_EQ(g.window().clientSize(), (SizeInPixels{240, 120}));
    EXPECT_EQ(g.window().desktopSize(), (SizeInPixels{1920, 1080}));

    run(g, "screen", {640, 480, 0, 4});
    g.settle();
    EXPECT_EQ(g.window().clientSize(), (SizeInPixels{640, 480}));
    EXPECT_EQ(run(g, "screenmode", {-9}), 640);
    int x = 0, y = 0;
    SDL_GetWindowPosition(g.window().handle(), &x, &y);
    EXPECT_EQ(x, 640);
    EXPECT_EQ(y, 300);

    // The script's title, shown as UTF-8; minimised the caption says "pause".
    g.game().load(u8(u8" pushs \"第一章\"\n cmd title\n ;\n cmd end\n"));
    g.game().run(5);
    EXPECT_EQ(g.window().titleUtf8(), u8(u8"第一章"));
    g.sendWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    g.engine().pumpMessages();
    EXPECT_EQ(g.window().titleUtf8(), "pause");
    g.sendWindowEvent(SDL_WINDOWEVENT_RESTORED);
    g.engine().pumpMessages();
    EXPECT_EQ(g.window().titleUtf8(), u8(u8"第一章"));

    // The automatic scale: twice the screen on this 1920 x 1080 desktop.
    g.engine().app.windowScale = 0;
    run(g, "screen", {640, 480, 0, 4});
    g.settle();
    EXPECT_EQ(g.window().clientSize(), (SizeInPixels{1280, 960}));
}

TEST(SdlWindow, FullScreenFromTheScriptAltEnterAndTheMaximiseButton) {
    WindowGame g;
    run(g, "screen", {640, 480, 0, 4});
    g.settle();
    EXPECT_EQ(run(g, "screenmode", {1}), 1);
    EXPECT_TRUE(sdlFullScreen(g));
    EXPECT_EQ(g.window().clientSize(), (SizeInPixels{1920, 1080}));
    EXPECT_EQ(g.engine().display->view.drawRect(), (PixelRect{240, 0, 1440, 1080}));
    EXPECT_EQ(g.engine().app.clientOffsetX, 240);
    EXPECT_EQ(run(g, "screenmode", {0}), 0);
    g.settle();
    EXPECT_FALSE(sdlFullScreen(g));
    EXPECT_EQ(g.window().clientSize(), (SizeInPixels{640, 480}));
    EXPECT_EQ(g.engine().app.clientOffsetX, 0);

    // Alt+Enter (either Alt, either Enter) switches both ways.
    g.sendKey(SDLK_RETURN, KMOD_LALT);
    g.engine().pumpMessages();
    EXPECT_TRUE(sdlFullScreen(g));
    EXPECT_EQ(state(g), 1);
    g.sendKey(SDLK_KP_ENTER, KMOD_RALT);
    g.engine().pumpMessages();
    EXPECT_FALSE(sdlFullScreen(g));
    EXPECT_EQ(state(g), 0);
    // Enter alone, or with Ctrl too, is the game's.
    g.sendKey(SDLK_RETURN, KMOD_NONE);
    g.sendKey(SDLK_RETURN, KMOD_LALT | KMOD_LCTRL);
    g.sendKey(SDLK_F11, KMOD_NONE);
    g.engine().pumpMessages();
    EXPECT_EQ(state(g), 0);
    // The maximise button.
    g.sendWindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    g.engine().pumpMessages();
    EXPECT_TRUE(sdlFullScreen(g));
    EXPECT_EQ(state(g), 1);
    // The focus back in full screen applies it again.
    g.sendWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    g.engine().pumpMessages();
    EXPECT_EQ(g.engine().app.windowActive, 0);
    SDL_SetWindowFullscreen(g.window().handle(), 0);
    g.sendWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    g.engine().pumpMessages();
    EXPECT_EQ(g.engine().app.windowActive, 1);
    EXPECT_TRUE(sdlFullScreen(g));
}

TEST(SdlWindow, TheStartModeCanBeFullScreen) {
    WindowGame g;
    g.engine().app.windowModeSetting = 1;
    display::openMainWindow(g.engine());
    run(g, "screen", {320, 240, 0, 4});
    g.settle();
    EXPECT_TRUE(sdlFullScreen(g));
    EXPECT_EQ(state(g), 1);
    // (Without a window manager the X server keeps the window's last size; the view follows
    // what the window reports.)
    EXPECT_EQ(g.engine().display->view.drawRect(),
              platform::ViewTransform({320, 240}, g.window().clientSize()).drawRect());
}

const char* kIdleLoop = "loop:\n push 10\n cmd wait\n ;\n jump loop\n";

TEST(SdlWindow, TheCloseBoxAsksFirst) {
    {
        WindowGame g;  // OK is the default answer
        g.game().load(kIdleLoop);
        g.game().run(3);
        g.sendWindowEvent(SDL_WINDOWEVENT_CLOSE);
        EXPECT_TRUE(g.game().run(5));
        EXPECT_EQ(g.host().sdlBoxes().answered(), 1);
    }
    {
        auto options = windowTestOptions();
        options.boxAnswer = platform::sdl::BoxAnswerHook::Cancel;
        WindowGame g(options);
        g.game().load(kIdleLoop);
        g.sendWindowEvent(SDL_WINDOWEVENT_CLOSE);
        EXPECT_FALSE(g.game().run(5));
        EXPECT_EQ(g.host().sdlBoxes().answered(), 1);
        EXPECT_EQ(g.engine().app.quitLevel, 0);
    }
    {
        WindowGame g;  // the script took the close box over: only the flag goes up
        g.game().load(std::string(".var r 1\n var r\n push 2\n cmd closereq\n =\n ;\n") +
                      kIdleLoop);
        g.game().run(3);
        g.sendWindowEvent(SDL_WINDOWEVENT_CLOSE);
        EXPECT_FALSE(g.game().run(5));
        EXPECT_EQ(g.host().sdlBoxes().answered(), 0);
        EXPECT_EQ(run(g, "closereq", {0}), 1);
        // The end of the session (SDL_QUIT) ends the run without a question.
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        EXPECT_TRUE(g.game().run(5));
        EXPECT_EQ(g.host().sdlBoxes().answered(), 0);
    }
}

TEST(SdlWindow, AnExposeShowsTheWholeScreenAgain) {
    WindowGame g;
    g.sendWindowEvent(SDL_WINDOWEVENT_EXPOSED);  // before the screen: the background
    g.engine().pumpMessages();
    run(g, "screen", {64, 48, 0, 4});
    g.settle();
    display::present(g.engine());
    int64_t pixels = g.presenter().uploadedPixels();
    g.sendWindowEvent(SDL_WINDOWEVENT_EXPOSED);
    g.engine().pumpMessages();
    EXPECT_EQ(g.presenter().uploadedPixels(), pixels + 64 * 48);
}

TEST(SdlWindow, AltSWritesTheGamePictureAtTheGamesSize) {
    WindowGame g;
    g.engine().app.windowScale = 3;
    run(g, "screen", {64, 48, 0, 4});
    g.engine().frames->place(1, gradientPicture(64, 48));
    int32_t s = run(g, "spget", {});
    run(g, "spset", {s, 1, 0, 0, 0, 0});
    run(g, "spmove", {s, 0, 0, 0, 0, 0, 1, 0.0});
    g.engine().sceneChanged = 1;
    display::present(g.engine());
    g.sendKey(SDLK_s, KMOD_LALT);
    g.sendKey(SDLK_s, KMOD_NONE);  // S alone is the game's
    g.engine().pumpMessages();
    std::string folder = g.game().dir().path() + "/userdata/SEIRAN-DO/yukibana/screenshots/";
    auto image = graphics::readPng(folder + "20261206-123456.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(image->height, 48);
    EXPECT_TRUE(image->pixels == g.presenter().picture().pixels);
    EXPECT_FALSE(
        g.game().dir().exists("userdata/SEIRAN-DO/yukibana/screenshots/20261206-123456-2.png"));
}

TEST(SdlWindow, TheMouseMapsBackToGamePixelsAtScalesOneToFour) {
    for (int32_t k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        WindowGame g;
        g.engine().app.windowScale = k;
        run(g, "screen", {160, 120, 0, 4});
        g.settle();
        ASSERT_EQ(g.window().clientSize(), (SizeInPixels{160 * k, 120 * k}));
        for (PixelPoint p : {PixelPoint{0, 0}, PixelPoint{7, 3}, PixelPoint{159, 119},
                             PixelPoint{80, 60}, PixelPoint{-6, 130}}) {
            PixelPoint w = g.engine().display->view.toWindow(p);
            for (PixelPoint in : {w, PixelPoint{w.x + k - 1, w.y + k - 1}}) {
                SDL_WarpMouseInWindow(g.window().handle(), in.x, in.y);
                SDL_PumpEvents();
                shell::updateMousePosition(g.engine());
                EXPECT_EQ((PixelPoint{g.engine().app.mouseX, g.engine().app.mouseY}), p)
                    << in.x << "," << in.y;
            }
        }
    }
}

TEST(SdlWindow, BoxesOfOtherThreadsAreShownByTheMainThread) {
    WindowGame g;
    std::atomic<int> answer{-1};
    std::thread worker([&g, &answer] {
        platform::MessageBoxRequest box;
        box.text = "text";
        box.caption = "caption";
        box.buttons = platform::BoxButtons::YesNo;
        answer = g.host().messageBoxes().show(box);
    });
    for (int i = 0; i < 500 && answer < 0; ++i) {
        g.engine().pumpMessages();
        SDL_Delay(10);
    }
    worker.join();
    EXPECT_EQ(answer, platform::kBoxYes);
    EXPECT_EQ(g.host().sdlBoxes().answered(), 1);
}

TEST(SdlHost, AWindowOrRendererThatCannotBeMadeIsReported) {
    for (bool window : {true, false}) {
        auto options = windowTestOptions();
        options.failWindow = window;
        options.failRenderer = !window;
        std::string error;
        auto host = platform::sdl::SdlHost::create(std::make_unique<platform::VirtualClock>(),
                                                   options, &error);
        EXPECT_FALSE(host);
        EXPECT_NE(
            error.find(window ? "could not create the window" : "could not create a renderer"),
            std::string::npos)
            << error;
    }
    // SDL was left in order: the next host starts.
    std::string error;
    auto host = platform::sdl::SdlHost::create(std::make_unique<platform::VirtualClock>(),
                                               windowTestOptions(), &error);
    EXPECT_TRUE(host) << error;
}

}  // namespace
}  // namespace rs::test
