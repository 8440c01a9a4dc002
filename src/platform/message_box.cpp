#include "platform/encoding.h"
#include "platform/host.h"

namespace rs::platform {

int defaultBoxButton(BoxButtons buttons) { return buttons == BoxButtons::YesNo ? kBoxYes : kBoxOk; }

int escapeBoxButton(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::Ok: return kBoxOk;
        case BoxButtons::OkCancel: return kBoxCancel;
        case BoxButtons::YesNo: return kBoxNo;
    }
    return kBoxOk;
}

std::string boxConsoleLine(const MessageBoxRequest& request) {
    return '[' + cp932ToUtf8(request.caption) + "] " + cp932ToUtf8(request.text);
}

}  // namespace rs::platform
