// The window procedure: what the engine does with each window event the host reports.
#pragma once

#include "platform/host.h"

namespace rs {
class Engine;
}

namespace rs::shell {

void handleWindowEvent(Engine& e, platform::WindowEvent event);

// WM_CLOSE: with closeByScript 1 only closeRequested is raised; otherwise ConfirmExit, and OK
// destroys the window.
void requestClose(Engine& e);
// WM_PAINT: the whole scene composed and shown again; before the display exists, while the
// program stops or while a modal box is up, the plain background.
void paintWindow(Engine& e);
// The caption the minimised window shows.
constexpr const char* kPausedCaption = "pause";

}  // namespace rs::shell
