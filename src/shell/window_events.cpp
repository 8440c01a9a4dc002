#include "shell/window_events.h"

#include <cstdio>
#include <string>

#include "display/display.h"
#include "display/screen_mode.h"
#include "runtime/errors.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/environment_file.h"
#include "shell/movie.h"
#include "shell/screenshot.h"

namespace rs::shell {

namespace {

using platform::WindowEvent;

void onMinimised(Engine& e) {
    if (e.app.moviePlaying) return;
    e.host.window().setTitle(kPausedCaption);
    e.host.window().setIcon(platform::WindowIcon::Paused);
}

void onRestored(Engine& e) {
    if (e.app.moviePlaying) return;
    e.host.window().setTitle(e.app.windowTitle);
    e.host.window().setIcon(platform::WindowIcon::Normal);
}

// The client area changed size: the picture follows it, scaled and centred anew.
void onResized(Engine& e) {
    display::updateView(e);
    paintWindow(e);
}

void onScreenshotKey(Engine& e) {
    std::string error;
    if (auto path = saveScreenshotToFolder(e, &error)) {
        std::fprintf(stderr, "runestage: screenshot %s\n", path->c_str());
    } else {
        std::fprintf(stderr, "runestage: %s\n", error.c_str());
    }
}

// SIGINT, SIGTERM, the end of the session: the run ends in order without a question, whatever
// closeByScript says.
void onStop(Engine& e) {
    if (e.app.quitLevel == 0) e.app.quitLevel = 1;
}

}  // namespace

void requestClose(Engine& e) {
    if (e.app.closeByScript == 1) {
        e.app.closeRequested = 1;
        return;
    }
    if (!runtime::confirmExit(e)) return;
    writeEnvironmentFile(e);
    e.destroyMainWindow();
}

void paintWindow(Engine& e) {
    if (!e.display->display || e.app.quitLevel != 0 || e.app.modalBoxUp == 1) {
        e.host.presenter().paintBackground();
        return;
    }
    display::markWholeScreen(e);
    display::present(e);
    display::markWholeScreen(e);
    // A movie's picture goes back over what was painted.
    placeMovie(e);
}

void handleWindowEvent(Engine& e, WindowEvent event) {
    switch (event) {
        case WindowEvent::Close: requestClose(e); break;
        case WindowEvent::Expose: paintWindow(e); break;
        case WindowEvent::Minimised: onMinimised(e); break;
        case WindowEvent::Maximised: display::maximiseWindow(e); break;
        case WindowEvent::Restored: onRestored(e); break;
        case WindowEvent::Resized: onResized(e); break;
        case WindowEvent::FocusGained:
            display::onFocusGained(e);
            onActivation(e, true);
            break;
        case WindowEvent::FocusLost:
            e.app.windowActive = 0;
            onActivation(e, false);
            break;
        case WindowEvent::ToggleFullScreen: display::toggleFullScreen(e); break;
        case WindowEvent::Screenshot: onScreenshotKey(e); break;
        case WindowEvent::Stop: onStop(e); break;
    }
}

}  // namespace rs::shell
