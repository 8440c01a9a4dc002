#include "display/screen_mode.h"

#include <algorithm>

#include "display/display.h"
#include "platform/dialog.h"
#include "platform/host.h"
#include "runtime/errors.h"
#include "shell/engine.h"
#include "shell/input.h"

namespace rs::display {

namespace {

using platform::PixelRect;

ScreenModeState& modeOf(Engine& e) { return e.display->mode; }

void restoreCaption(Engine& e) {
    e.host.window().setTitle(e.app.windowTitle);
    e.host.window().setIcon(platform::WindowIcon::Normal);
}

// The size of the display the picture is shown on: the desktop in full screen, else the screen.
void setDisplaySize(Engine& e, bool fullScreen) {
    Display* d = e.display->display.get();
    if (!d) return;
    platform::SizeInPixels size = fullScreen
                                      ? e.host.window().desktopSize()
                                      : platform::SizeInPixels{d->screen->width, d->screen->height};
    d->displayWidth = size.width;
    d->displayHeight = size.height;
}

}  // namespace

int32_t windowScale(Engine& e) {
    if (e.app.windowScale > 0) return std::min(e.app.windowScale, platform::kMaxWindowScale);
    const ScreenParams& p = e.display->params;
    PixelRect usable = e.host.window().usableArea();
    return platform::defaultWindowScale({p.width, p.height}, {usable.width, usable.height});
}

PixelRect windowRect(Engine& e) {
    platform::Window& window = e.host.window();
    if (modeOf(e).fullScreenState == 1) {
        platform::SizeInPixels d = window.desktopSize();
        return {0, 0, d.width, d.height};
    }
    const ScreenParams& p = e.display->params;
    int64_t k = windowScale(e);
    auto side = [k](int32_t n) {
        return static_cast<int32_t>(std::clamp<int64_t>(n * k, 1, kMaxClientSide));
    };
    int32_t cw = side(p.width), ch = side(p.height);
    platform::FrameExtents f = window.frameExtents();
    int32_t ow = cw + f.left + f.right, oh = ch + f.top + f.bottom;
    PixelRect usable = window.usableArea();
    int32_t x, y;
    if (ow > usable.width || oh > usable.height) {
        // Larger than the maximised window: centred on the virtual screen.
        PixelRect vs = window.virtualScreen();
        x = vs.x + (vs.width - ow) / 2;
        y = vs.y + (vs.height - oh) / 2;
    } else {
        x = usable.x + std::max(0, (usable.width - ow) / 2);
        y = usable.y + std::max(0, (usable.height - oh) / 2);
    }
    return {x + f.left, y + f.top, cw, ch};
}

void updateView(Engine& e) {
    const ScreenParams& p = e.display->params;
    e.display->view = platform::ViewTransform({p.width, p.height}, e.host.window().clientSize(),
                                              e.app.scaleFilter);
    e.app.clientOffsetX = e.display->view.drawRect().x;
    e.app.clientOffsetY = e.display->view.drawRect().y;
    // The composition window stays at its game point.
    shell::updateCompositionWindow(e);
}

void placeWindow(Engine& e) {
    if (modeOf(e).fullScreenState != 1) e.host.window().placeClient(windowRect(e));
    updateView(e);
}

void centreForFullScreen(Engine& e) {
    if (modeOf(e).fullScreenState != 1) return;
    updateView(e);
    e.pumpMessages();
    updateView(e);
}

int32_t setScreenMode(Engine& e, int32_t mode) {
    if (!e.display->display) return 0;
    ScreenModeState& m = modeOf(e);
    m.modeSwitching = 1;
    if (mode == 0 && e.app.desktopBitsPerPixel <= 8) {
        runtime::showAndLog(e, "デスクトップが２５６色なのでウィンドウモード切替は出来ません",
                            "モード切替失敗");
        m.modeSwitching = 0;
        return 1;
    }
    int32_t result = 0;
    if (mode == m.fullScreenState) {
        placeWindow(e);
    } else {
        result = applyScreenMode(e, mode);
        if (result == 0) placeWindow(e);
    }
    m.modeSwitching = 0;
    return result;
}

int32_t applyScreenMode(Engine& e, int32_t mode) {
    ScreenModeState& m = modeOf(e);
    platform::Window& window = e.host.window();
    int32_t old = m.fullScreenState;
    m.fullScreenState = mode;
    if (mode == 1) {
        // A host without a display has nothing to switch: it stays in window mode, silently.
        if (!window.fullScreenAvailable()) {
            m.fullScreenState = old == 1 ? 1 : 0;
            return 1;
        }
        if (!window.setFullScreen(true)) {
            m.fullScreenState = 0;
            runtime::showAndLog(e,
                                "ビデオカードに一致する画面モードがありませんので\n"
                                "画面切り替えは行いません",
                                "画面切り替え時のエラー(3)");
            return 1;
        }
        setDisplaySize(e, true);
        return 0;
    }
    if (mode == 0) {
        if (window.fullScreen()) window.setFullScreen(false);
        setDisplaySize(e, false);
    }
    return 0;
}

void setColourDepthMode(Engine& e, int32_t bits) { modeOf(e).colourDepthMode = bits; }

void applyStartMode(Engine& e, int32_t value) {
    setColourDepthMode(e, value & 0xF0);
    setScreenMode(e, value & 0x0F);
}

void onMaximised(Engine& e) {
    if (e.app.moviePlaying) return;
    restoreCaption(e);
    setScreenMode(e, 1);
}

void maximiseWindow(Engine& e) {
    onMaximised(e);
    centreForFullScreen(e);
}

void toggleFullScreen(Engine& e) {
    if (e.app.moviePlaying) return;
    if (modeOf(e).fullScreenState == 1) {
        setScreenMode(e, 0);
    } else {
        maximiseWindow(e);
    }
}

void onFocusGained(Engine& e) {
    e.app.windowActive = 1;
    if (modeOf(e).fullScreenState == 1) {
        applyScreenMode(e, 1);
        placeWindow(e);
    }
}

platform::BackEndKind configuredBackEnd(const shell::AppState& app) {
    if (app.useDirectX <= 0) return platform::BackEndKind::Software;
    return app.useDirect3D != 0 ? platform::BackEndKind::Direct3D
                                : platform::BackEndKind::DirectDraw;
}

void startBackEnd(Engine& e) {
    if (belowDirectX9c(e.app.directXVersion, e.app.directXRevision) && e.app.useDirectX > 0 &&
        e.app.useDirect3D != 0) {
        runtime::showAndLog(e, "DirectX9.0cはインストールされていません\nDirectDrawを使用します",
                            "初期化中の警告(0)");
        e.app.useDirect3D = 0;
    }
    platform::Presenter& presenter = e.host.presenter();
    platform::BackEndKind kind = e.app.backEndRequest >= 0
                                     ? static_cast<platform::BackEndKind>(e.app.backEndRequest)
                                     : std::min(presenter.kind(), configuredBackEnd(e.app));
    if (kind == platform::BackEndKind::Direct3D && !presenter.drawsScenes()) {
        runtime::appendErrorLog(e, "初期化中の警告(0)",
                                "Direct3Dに相当する描画機能がありません\nDirectDrawを使用します");
        kind = platform::BackEndKind::DirectDraw;
    }
    presenter.setKind(kind);
}

namespace {

// A client area of at least `least` and the dialog's size, centred on the usable desktop.
PixelRect dialogClientRect(platform::Window& window, const platform::Dialog& dialog,
                           platform::SizeInPixels least = {}) {
    PixelRect usable = window.usableArea();
    platform::SizeInPixels size =
        platform::dialogPixelSize(dialog, platform::interfaceScale(usable));
    size.width = std::max(size.width, least.width);
    size.height = std::max(size.height, least.height);
    platform::FrameExtents f = window.frameExtents();
    int32_t x = usable.x + std::max(0, (usable.width - size.width - f.left - f.right) / 2);
    int32_t y = usable.y + std::max(0, (usable.height - size.height - f.top - f.bottom) / 2);
    return {x + f.left, y + f.top, size.width, size.height};
}

}  // namespace

void placeWindowForDialog(Engine& e, const platform::Dialog& dialog) {
    if (modeOf(e).fullScreenState == 1) return;
    placeWindowForDialog(e.host.window(), dialog);
}

void placeWindowForDialog(platform::Window& window, const platform::Dialog& dialog) {
    window.placeClient(dialogClientRect(window, dialog));
}

bool makeRoomForDialog(Engine& e, const platform::Dialog& dialog) {
    if (modeOf(e).fullScreenState == 1) return false;
    platform::SizeInPixels have = e.host.window().clientSize();
    PixelRect need = dialogClientRect(e.host.window(), dialog, have);
    if (have.width >= need.width && have.height >= need.height) return false;
    e.host.window().placeClient(need);
    return true;
}

void openMainWindow(Engine& e) {
    restoreCaption(e);
    startBackEnd(e);
    if (e.app.windowModeSetting == -1) e.app.windowModeSetting = 0;
    bool directX = e.host.presenter().kind() != platform::BackEndKind::Software;
    applyStartMode(e, directX ? 32 : 0);
    placeWindow(e);
    e.host.presenter().paintBackground();
}

}  // namespace rs::display
