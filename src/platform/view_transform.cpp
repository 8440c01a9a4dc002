#include "platform/view_transform.h"

#include <algorithm>

namespace rs::platform {

namespace {

// Division rounding toward minus infinity and toward plus infinity (b > 0).
int64_t floorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

int32_t clampToInt(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

const char* scaleFilterName(ScaleFilter filter) {
    switch (filter) {
        case ScaleFilter::Nearest: return "nearest";
        case ScaleFilter::Linear: return "linear";
        case ScaleFilter::Sharp: return "sharp";
    }
    return "sharp";
}

std::optional<ScaleFilter> parseScaleFilter(std::string_view name) {
    for (ScaleFilter f : {ScaleFilter::Nearest, ScaleFilter::Linear, ScaleFilter::Sharp}) {
        if (name == scaleFilterName(f)) return f;
    }
    return std::nullopt;
}

int32_t defaultWindowScale(SizeInPixels game, SizeInPixels usableDesktop) {
    if (game.width <= 0 || game.height <= 0) return 1;
    int64_t limitW = int64_t{usableDesktop.width} * 9 / 10;
    int64_t limitH = int64_t{usableDesktop.height} * 9 / 10;
    int64_t k = std::min(limitW / game.width, limitH / game.height);
    return static_cast<int32_t>(std::clamp<int64_t>(k, 1, kMaxWindowScale));
}

ViewTransform::ViewTransform(SizeInPixels game, SizeInPixels output, ScaleFilter filter)
    : game_(game), output_(output), filter_(filter) {
    if (game.width <= 0 || game.height <= 0 || output.width <= 0 || output.height <= 0) return;
    int64_t gw = game.width, gh = game.height, ow = output.width, oh = output.height;
    int64_t w, h;
    // Compare the aspect ratios exactly: the side that limits the picture is filled.
    if (ow * gh <= oh * gw) {
        w = ow;
        h = std::max<int64_t>(1, (ow * gh + gw / 2) / gw);
    } else {
        h = oh;
        w = std::max<int64_t>(1, (oh * gw + gh / 2) / gh);
    }
    rect_ = {static_cast<int32_t>((ow - w) / 2), static_cast<int32_t>((oh - h) / 2),
             static_cast<int32_t>(w), static_cast<int32_t>(h)};
    int64_t k = std::min(w / gw, h / gh);
    integerScale_ = k >= 1 && w == gw * k && h == gh * k;
    if (filter == ScaleFilter::Sharp) prescale_ = static_cast<int32_t>(std::max<int64_t>(1, k));
}

// A window pixel belongs to the game pixel under its centre, as the renderer samples it:
// floor((d + 1/2) * game / rect) with d the distance from the picture's edge.
PixelPoint ViewTransform::toGame(PixelPoint window) const {
    if (rect_.empty()) return window;
    auto axis = [](int64_t d, int64_t game, int64_t size) {
        return clampToInt(floorDiv((2 * d + 1) * game, 2 * size));
    };
    return {axis(int64_t{window.x} - rect_.x, game_.width, rect_.width),
            axis(int64_t{window.y} - rect_.y, game_.height, rect_.height)};
}

// The smallest d with (2d + 1) * game >= 2 * g * size.
PixelPoint ViewTransform::toWindow(PixelPoint game) const {
    if (rect_.empty()) return game;
    auto axis = [](int64_t g, int64_t game, int64_t size, int64_t origin) {
        return clampToInt(origin + ceilDiv(2 * g * size - game, 2 * game));
    };
    return {axis(game.x, game_.width, rect_.width, rect_.x),
            axis(game.y, game_.height, rect_.height, rect_.y)};
}

PixelRect ViewTransform::toWindow(const PixelRect& game) const {
    PixelPoint a = toWindow(PixelPoint{game.x, game.y});
    PixelPoint b = toWindow(PixelPoint{clampToInt(int64_t{game.x} + game.width),
                                       clampToInt(int64_t{game.y} + game.height)});
    return {a.x, a.y, b.x - a.x, b.y - a.y};
}

}  // namespace rs::platform
