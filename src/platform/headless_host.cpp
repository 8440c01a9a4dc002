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
        auto event = queue_.front();
        queue_.pop_front();
        if (auto* w = std::get_if<WindowEvent>(&event)) {
            sink.onWindowEvent(*w);
        } else {
            sink.onInputEvent(std::get<InputEvent>(event));
        }
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

void HeadlessPresenter::paintBlack(int32_t width, int32_t height) {
    picture_ = blackPicture(width, height);
    gpu_.resize(width, height);
}

void HeadlessPresenter::drawScene(DrawList&& list) {
    uploads_ += static_cast<int64_t>(list.uploads.size());
    uploadedBytes_ += uploadBytes(list);
    bool present = list.present;
    if (present) lastMovie_ = list.movie;
    gpu_.draw(std::move(list));
    if (!present) return;
    ++scenes_;
    picture_ = gpu_.target();
}

HeadlessHost::HeadlessHost(std::unique_ptr<Clock> clock, std::ostream* boxOut)
    : clock_(std::move(clock)), boxes_(boxOut), dialogs_(boxOut) {}

}  // namespace rs::platform
