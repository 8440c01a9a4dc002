#include "platform/headless_host.h"

#include <ostream>

#include "platform/encoding.h"

namespace rs::platform {

int HeadlessMessageBoxes::show(const MessageBoxRequest& request) {
    shown_.push_back({std::string(request.caption), std::string(request.text), request.icon,
                      request.buttons});
    if (out_) {
        *out_ << '[' << cp932ToUtf8(request.caption) << "] " << cp932ToUtf8(request.text)
              << std::endl;
    }
    // The default button is the first one of each set.
    return request.buttons == BoxButtons::YesNo ? kBoxYes : kBoxOk;
}

HeadlessHost::HeadlessHost(std::unique_ptr<Clock> clock, std::ostream* boxOut)
    : clock_(std::move(clock)), boxes_(boxOut) {}

}  // namespace rs::platform
