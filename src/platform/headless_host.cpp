#include "platform/headless_host.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#include "platform/encoding.h"

namespace rs::platform {

int HeadlessMessageBoxes::show(const MessageBoxRequest& request) {
    shown_.push_back(
        {std::string(request.caption), std::string(request.text), request.icon, request.buttons});
    if (out_) {
        *out_ << '[' << cp932ToUtf8(request.caption) << "] " << cp932ToUtf8(request.text)
              << std::endl;
    }
    // The default button is the first one of each set.
    return request.buttons == BoxButtons::YesNo ? kBoxYes : kBoxOk;
}

void HeadlessPresenter::paintBlack(int32_t width, int32_t height) {
    picture_.width = width > 0 ? width : 0;
    picture_.height = height > 0 ? height : 0;
    picture_.pixels.assign(
        static_cast<size_t>(picture_.width) * static_cast<size_t>(picture_.height), 0xFF000000u);
}

// The picture keeps the size it was painted at; a transfer from a screen of another size copies
// only where both overlap.
void HeadlessPresenter::transfer(const ScreenPixels& screen, const ScreenRect& rect) {
    ++transfers_;
    lastRect_ = rect;
    int32_t left = std::max(rect.left, 0);
    int32_t top = std::max(rect.top, 0);
    int32_t right = std::min({rect.right, screen.width - 1, picture_.width - 1});
    int32_t bottom = std::min({rect.bottom, screen.height - 1, picture_.height - 1});
    if (!screen.pixels || left > right || top > bottom) return;
    size_t rowBytes = static_cast<size_t>(screen.width) * 4;
    for (int32_t y = top; y <= bottom; ++y) {
        const uint8_t* row = screen.pixels + static_cast<size_t>(screen.height - 1 - y) * rowBytes;
        uint32_t* out =
            picture_.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture_.width);
        for (int32_t x = left; x <= right; ++x) {
            uint32_t p;
            std::memcpy(&p, row + static_cast<size_t>(x) * 4, 4);
            out[x] = p | 0xFF000000u;
        }
    }
}

HeadlessHost::HeadlessHost(std::unique_ptr<Clock> clock, std::ostream* boxOut)
    : clock_(std::move(clock)), boxes_(boxOut) {}

}  // namespace rs::platform
