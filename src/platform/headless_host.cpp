#include "platform/headless_host.h"

#include <ostream>

#include "platform/stop_signals.h"

namespace rs::platform {

int HeadlessMessageBoxes::show(const MessageBoxRequest& request) {
    shown_.push_back(
        {std::string(request.caption), std::string(request.text), request.icon, request.buttons});
    if (out_) *out_ << boxConsoleLine(request) << std::endl;
    return defaultBoxButton(request.buttons);
}

void HeadlessEventPump::pump(EventSink& sink) {
    if (takeStopSignal()) queue_.push_back(WindowEvent::Stop);
    // An event handler may post more; they are delivered in the same pump.
    while (!queue_.empty()) {
        WindowEvent event = queue_.front();
        queue_.pop_front();
        sink.onWindowEvent(event);
    }
}

bool HeadlessWindow::setFullScreen(bool on) {
    if (on && (!fullScreenAllowed_ || refuseFullScreen_)) return false;
    fullScreen_ = on;
    if (on) client_ = {0, 0, kDesktop.width, kDesktop.height};
    return true;
}

void HeadlessPresenter::transfer(const ScreenPixels& screen, const ScreenRect& rect) {
    ++transfers_;
    lastRect_ = rect;
    copyScreenRect(picture_, screen, rect);
}

HeadlessHost::HeadlessHost(std::unique_ptr<Clock> clock, std::ostream* boxOut)
    : clock_(std::move(clock)), boxes_(boxOut) {}

}  // namespace rs::platform
