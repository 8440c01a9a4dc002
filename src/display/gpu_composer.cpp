#include "display/gpu_composer.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "display/texture_upload.h"
#include "graphics/blit.h"
#include "graphics/frame.h"
#include "graphics/sprite_layer.h"

namespace rs::display {

using graphics::Frame;
using graphics::ScreenPoint;
using graphics::Sprite;
using graphics::SpriteRect;
using platform::Quad;
using platform::QuadBlend;
using platform::QuadVertex;

namespace {

// A frame's texture as the presenter holds it. Dropping it (with the frame, or through
// releaseAllSurfaces) queues its id to be released.
class FrameTexture final : public graphics::DeviceSurface {
  public:
    FrameTexture(uint32_t id, std::weak_ptr<std::vector<uint32_t>> released)
        : id_(id), released_(std::move(released)) {}
    ~FrameTexture() override {
        if (auto queue = released_.lock()) queue->push_back(id_);
    }
    uint32_t id() const { return id_; }

  private:
    uint32_t id_;
    std::weak_ptr<std::vector<uint32_t>> released_;
};

}  // namespace

GpuTextures::GpuTextures() : released_(std::make_shared<std::vector<uint32_t>>()) {}
GpuTextures::~GpuTextures() = default;

uint32_t GpuTextures::idOf(const Frame& f) {
    auto* t = dynamic_cast<const FrameTexture*>(f.surface.get());
    return t ? t->id() : 0;
}

uint32_t GpuTextures::textureOf(Frame& f) {
    if (uint32_t id = idOf(f)) return id;
    uint32_t id = nextId_++;
    f.surface = std::make_unique<FrameTexture>(id, released_);
    return id;
}

void GpuTextures::takeReleased(std::vector<uint32_t>& out) {
    out.insert(out.end(), released_->begin(), released_->end());
    released_->clear();
}

uint32_t GpuTextures::scratch(size_t index) {
    while (scratch_.size() <= index) scratch_.push_back(nextId_++);
    return scratch_[index];
}

void GpuTextures::keepScratch(size_t used, std::vector<uint32_t>& released) {
    if (scratch_.size() <= used) return;
    released.insert(released.end(), scratch_.begin() + static_cast<ptrdiff_t>(used),
                    scratch_.end());
    scratch_.resize(used);
}

namespace {

// A frame's texture with the sizes its texture coordinates are divided by: the texture's size
// where it holds the whole frame, the frame's size where the texture is a smaller sample of it.
struct Shown {
    uint32_t id;
    double divWidth;
    double divHeight;
};

struct Builder {
    GpuComposer& c;
    platform::DrawList& out;
    size_t scratchUsed = 0;
};

std::optional<QuadBlend> blendOf(int32_t mode) {
    switch (mode) {
        case 0: return QuadBlend::Alpha;
        case 1:
        case 8: return QuadBlend::Additive;
        case 7: return QuadBlend::HardLight;
        default: return std::nullopt;
    }
}

// UploadTexture when the frame changed (not while a loader writes into it); the texture to draw
// with, none when the frame has nothing to show yet.
std::optional<Shown> frameTexture(Builder& b, Frame& f) {
    if (f.width <= 0 || f.height <= 0 || (f.bpp != 8 && f.bpp != 32)) return std::nullopt;
    uint32_t id = GpuTextures::idOf(f);
    if ((f.dirty || id == 0) && f.busy.load() == 0) {
        platform::SizeInPixels size = textureSize(f.width, f.height, b.c.limits);
        id = b.c.textures.textureOf(f);
        b.out.uploads.push_back({id, textureImage(f, size)});
        f.textureWidth = size.width;
        f.textureHeight = size.height;
        f.dirty = 0;
    }
    if (id == 0) return std::nullopt;
    return Shown{id, static_cast<double>(std::max(f.textureWidth, f.width)),
                 static_cast<double>(std::max(f.textureHeight, f.height))};
}

// The part [s0, s1) of the source span from `start` over `size` source pixels (size < 0: mirrored)
// that lies inside 0..limit; false when none does.
bool clipSpan(int64_t start, int64_t size, int32_t limit, double& s0, double& s1) {
    int64_t a = std::clamp<int64_t>(start, 0, limit);
    int64_t b = std::clamp<int64_t>(start + size, 0, limit);
    if (a == b) return false;
    s0 = static_cast<double>(a);
    s1 = static_cast<double>(b);
    return true;
}

// One copy of a placement at `at`: the part of the source rectangle inside the frame, over the
// matching part of the width x height rectangle, turned by `angle` about the rectangle's centre.
// A source size of 0 shows the one source column or row (as the software scaling does); `strip`
// (a row of the wave) shows exactly the source row r.srcY.
void addQuad(Builder& b, const Frame& f, const Shown& t, ScreenPoint at, const SpriteRect& r,
             float angle, int32_t alpha, QuadBlend blend, bool strip) {
    if (r.width == 0 || r.height == 0 || !std::isfinite(angle)) return;
    int64_t sw = r.srcWidth == 0 ? 1 : r.srcWidth;
    int64_t sh = strip || r.srcHeight == 0 ? 1 : r.srcHeight;
    double sx0, sx1, sy0, sy1;
    if (!clipSpan(r.srcX, sw, f.width, sx0, sx1) || !clipSpan(r.srcY, sh, f.height, sy0, sy1))
        return;
    auto localX = [&](double s) { return (s - r.srcX) * r.width / static_cast<double>(sw); };
    auto localY = [&](double s) { return (s - r.srcY) * r.height / static_cast<double>(sh); };
    double cx = r.width / 2.0, cy = r.height / 2.0;
    double cs = angle != 0 ? std::cos(static_cast<double>(angle)) : 1.0;
    double sn = angle != 0 ? std::sin(static_cast<double>(angle)) : 0.0;
    Quad q;
    q.texture = t.id;
    q.alpha = static_cast<uint8_t>(alpha);
    q.blend = blend;
    double xs[2] = {sx0, sx1}, ys[2] = {sy0, sy1};
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int i = 0; i < 4; ++i) {
        double su = xs[i & 1], sv = ys[i >> 1];
        double lx = localX(su) - cx, ly = localY(sv) - cy;
        double x = static_cast<double>(at.x) + cx + lx * cs - ly * sn;
        double y = static_cast<double>(at.y) + cy + lx * sn + ly * cs;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
        q.corners[static_cast<size_t>(i)] =
            QuadVertex{static_cast<float>(x), static_cast<float>(y),
                       static_cast<float>(su / t.divWidth), static_cast<float>(sv / t.divHeight)};
    }
    // Quads wholly off the screen are left out.
    if (maxX <= 0 || maxY <= 0 || minX >= b.c.width || minY >= b.c.height) return;
    b.out.quads.push_back(q);
}

// The masked drawing: the sprite's picture with the mask weight as alpha, made in software for the
// part of the placement on the screen, drawn unturned, opaque and alpha-blended.
void addMasked(Builder& b, const Frame& src, const Frame& mask, const Sprite& s, ScreenPoint at,
               const SpriteRect& r) {
    if (r.width <= 0 || r.height <= 0) return;
    int64_t x0 = std::max<int64_t>(at.x, 0), y0 = std::max<int64_t>(at.y, 0);
    int64_t x1 = std::min<int64_t>(at.x + r.width, b.c.width);
    int64_t y1 = std::min<int64_t>(at.y + r.height, b.c.height);
    if (x0 >= x1 || y0 >= y1) return;
    graphics::PartRect part{static_cast<int32_t>(x0 - at.x), static_cast<int32_t>(y0 - at.y),
                            static_cast<int32_t>(x1 - x0), static_cast<int32_t>(y1 - y0)};
    platform::TextureUpload up;
    up.id = b.c.textures.scratch(b.scratchUsed++);
    up.image.width = part.w;
    up.image.height = part.h;
    up.image.texels.resize(static_cast<size_t>(part.w) * static_cast<size_t>(part.h));
    graphics::maskedOverlay({&src, r.srcX, r.srcY, r.srcWidth, r.srcHeight}, mask, r.width,
                            r.height, part, {s.maskParam1, s.maskParam2, s.maskParam3},
                            up.image.texels.data());
    b.out.uploads.push_back(std::move(up));
    Quad q;
    q.texture = b.out.uploads.back().id;
    auto fx0 = static_cast<float>(x0), fx1 = static_cast<float>(x1);
    auto fy0 = static_cast<float>(y0), fy1 = static_cast<float>(y1);
    q.corners = {QuadVertex{fx0, fy0, 0, 0}, QuadVertex{fx1, fy0, 1, 0}, QuadVertex{fx0, fy1, 0, 1},
                 QuadVertex{fx1, fy1, 1, 1}};
    b.out.quads.push_back(q);
}

// DrawSpriteRect on the GPU: position with offsets and wrapping, opacity of the sprite and its
// groups, then the masked picture or the quads of the placement.
void drawRect(Builder& b, const Sprite& s, Frame& f, const SpriteRect& r, bool strip) {
    const graphics::SpriteLayer& layer = b.c.layer;
    int32_t alpha = layer.opacityOf(s);
    if (alpha <= 0) return;
    ScreenPoint o = layer.offsetOf(s);
    graphics::WrapCopies copies =
        graphics::wrapCopies(r.x + o.x, r.y + o.y, s.attributes, b.c.width, b.c.height);
    if (s.maskFrame >= 0) {
        if (const Frame* mask = b.c.frames.at(s.maskFrame)) {
            addMasked(b, f, *mask, s, copies.at[0], r);
            return;
        }
    }
    std::optional<QuadBlend> blend = blendOf(s.blendMode());
    if (!blend) return;
    std::optional<Shown> t = frameTexture(b, f);
    if (!t) return;
    for (int32_t i = 0; i < copies.count; ++i)
        addQuad(b, f, *t, copies.at[i], r, s.angle, alpha, *blend, strip);
}

}  // namespace

graphics::ComposeResult composeDirect3D(GpuComposer& c, platform::DrawList& out) {
    out.width = c.width;
    out.height = c.height;
    c.textures.takeReleased(out.released);
    Builder b{c, out};
    const graphics::SpriteLayer& layer = c.layer;
    bool first = true;
    auto result = graphics::ComposeResult::Present;
    // A walk longer than the table has met a loop in the links.
    for (int32_t i = layer.head, steps = 0; i >= 0;
         i = layer.sprites[static_cast<size_t>(i)].next, ++steps) {
        if (steps > layer.count()) {
            result = graphics::ComposeResult::SpriteLinkLoop;
            break;
        }
        const Sprite& s = layer.sprites[static_cast<size_t>(i)];
        if (Frame* f = c.frames.at(s.frame)) {
            if (first && layer.wave.amplitude != 0) {
                graphics::WaveRows rows = graphics::waveRows(layer, s, c.height);
                for (int32_t row = rows.first; row < rows.last; ++row)
                    drawRect(b, s, *f, graphics::waveRowRect(layer.wave, s, row, c.time), true);
            } else {
                drawRect(b, s, *f,
                         {s.x, s.y, s.width, s.height, s.srcX, s.srcY, s.srcWidth, s.srcHeight},
                         false);
            }
        }
        first = false;
        if (layer.selfLinked(i)) {
            result = graphics::ComposeResult::SpriteLinkLoop;
            break;
        }
    }
    c.textures.keepScratch(b.scratchUsed, out.released);
    if (result == graphics::ComposeResult::SpriteLinkLoop) {
        out.quads.clear();
        out.present = false;
    }
    return result;
}

}  // namespace rs::display
