// Window placement and screen-mode switching: where the window goes, full screen on and off, and
// the transform from the window to the game picture. Full screen is the desktop's own full screen
// (no video-mode change): the picture is scaled into it, centred, with black borders. The host's
// window only carries out what is decided here.
#pragma once

#include <cstdint>

#include "platform/presenter.h"
#include "platform/view_transform.h"

namespace rs {
class Engine;
}
namespace rs::shell {
struct AppState;
}
namespace rs::platform {
struct Dialog;
class Window;
}  // namespace rs::platform

namespace rs::display {

// The state of the screen modes.
struct ScreenModeState {
    // -1 never set, 0 window, 1 full screen.
    int32_t fullScreenState = -1;
    // 1 while a switch is in progress.
    int32_t modeSwitching = 0;
    // The last colour-depth mode applied (0, 16 or 32); only kept, the desktop's depth is fixed.
    int32_t colourDepthMode = -1;
    // The depth asked for full-screen modes.
    int32_t preferredBitsPerPixel = 32;
};

// The largest client area side the window is given: the window system's own limit with room.
constexpr int32_t kMaxClientSide = 16384;

// The window scale in use: the configured one, or the largest that fits the usable desktop.
int32_t windowScale(Engine& e);

// WindowRect: in window mode the client area for the game screen at the window scale, centred on
// the usable desktop (on the virtual screen when the window with its frame is larger); in full
// screen the whole desktop.
platform::PixelRect windowRect(Engine& e);
// PlaceWindow: moves the window to WindowRect (in window mode) and takes the new view.
void placeWindow(Engine& e);
// The view transform of the game screen in the window's client area as it is now; the client
// offset becomes the picture's upper-left corner.
void updateView(Engine& e);
// CentreForFullScreen: in full screen takes the view again, before and after pumping events.
void centreForFullScreen(Engine& e);

// SetScreenMode: the public switch, 0 window or 1 full screen; 0 on success. Nothing happens
// before the display exists.
int32_t setScreenMode(Engine& e, int32_t mode);
// ApplyScreenMode: the switch itself; 0 on success. A refused full screen shows the failure box
// and stays in window mode.
int32_t applyScreenMode(Engine& e, int32_t mode);
// SetColourDepthMode: kept for the scripts' sake; the desktop's depth never changes.
void setColourDepthMode(Engine& e, int32_t bits);
// ApplyStartMode: the colour-depth mode from the high nibble, the screen mode from the low one.
void applyStartMode(Engine& e, int32_t value);

// The window procedure's part in the screen modes.
// The window was maximised: caption and icon back, then full screen. Ignored while a movie plays.
void onMaximised(Engine& e);
// Maximising from the engine's side (screenmode(1), Alt+Enter): onMaximised, then centre.
void maximiseWindow(Engine& e);
// Alt+Enter: full screen off when on, else maximise. Ignored while a movie plays.
void toggleFullScreen(Engine& e);
// The window got the focus back: full screen is applied again.
void onFocusGained(Engine& e);

// DirectX versions as the setup library numbers them: DirectX 7 is 0x00040007, DirectX 9.0c is
// 0x00040009 with revision 0x387 (4.09.00.0904).
constexpr uint32_t kDirectX7 = 0x00040007;
constexpr uint32_t kDirectX9 = 0x00040009;
constexpr uint32_t kDirectX9cRevision = 0x387;
// True for versions older than DirectX 9.0c (a version of 0, not checked, counts as older).
constexpr bool belowDirectX9c(uint32_t version, uint32_t revision) {
    return version < kDirectX9 || (version == kDirectX9 && revision < kDirectX9cRevision);
}

// The window's client area for a dialog: the dialog's size at the interface scale, centred on
// the usable desktop. Full screen stays as it is (the dialog is drawn over the picture).
void placeWindowForDialog(Engine& e, const platform::Dialog& dialog);
// The same for a window without a game yet (the launcher).
void placeWindowForDialog(platform::Window& window, const platform::Dialog& dialog);
// Makes the client area at least as large as the dialog while it is up (window mode); true when
// the window was changed, PlaceWindow then puts it back.
bool makeRoomForDialog(Engine& e, const platform::Dialog& dialog);

// The back-end kind the configuration asks for.
platform::BackEndKind configuredBackEnd(const shell::AppState& app);
// StartBackEnd: the kind that runs: --back-end, else the configuration's kind as far as the host
// offers it (a headless run offers only kind 0). Direct3D chosen with a DirectX older than 9.0c
// gives a warning and DirectDraw; kind 2 (the GPU composer) runs only where the presenter can
// draw scenes, else kind 1 with an entry in the error log.
void startBackEnd(Engine& e);
// Start-up of the window: caption and icon, the back-end, the start mode, the window placed for
// the default screen and painted with the plain background.
void openMainWindow(Engine& e);

}  // namespace rs::display
