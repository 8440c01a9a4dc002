#include "shell/dialog_background.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/snowflake.h"

namespace rs::shell {

namespace {

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A small fixed generator: the picture is the same on every run.
class Scatter {
  public:
    double next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) / static_cast<double>(1ull << 53);
    }

  private:
    uint64_t state_ = 0x5EC7A11Eull;
};

class Canvas {
  public:
    Canvas(int32_t w, int32_t h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h) {}

    Colour& at(int32_t x, int32_t y) { return px_[static_cast<size_t>(y) * w_ + x]; }
    int32_t width() const { return w_; }
    int32_t height() const { return h_; }

    void blend(int32_t x, int32_t y, Colour c, double alpha) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_ || alpha <= 0) return;
        Colour& p = at(x, y);
        p = mix(p, c, std::min(alpha, 1.0));
    }

    // A soft round flake.
    void flake(double cx, double cy, double radius, double alpha) {
        Colour snow{0.93, 0.96, 1.0};
        int32_t r = static_cast<int32_t>(std::ceil(radius + 1));
        for (int32_t y = -r; y <= r; ++y) {
            for (int32_t x = -r; x <= r; ++x) {
                double d = std::sqrt(double(x * x + y * y));
                blend(static_cast<int32_t>(cx) + x, static_cast<int32_t>(cy) + y, snow,
                      alpha * std::clamp(radius + 0.5 - d, 0.0, 1.0));
            }
        }
    }

    // A six-armed crystal: each arm with two pairs of side branches, drawn with soft edges.
    void crystal(double cx, double cy, double size, double turn, double alpha) {
        std::vector<platform::Segment> arms = platform::snowflake(cx, cy, size, turn);
        Colour ice{0.85, 0.92, 1.0};
        double thickness = std::max(0.8, size / 28);
        int32_t r = static_cast<int32_t>(std::ceil(size + 2));
        for (int32_t y = -r; y <= r; ++y) {
            for (int32_t x = -r; x <= r; ++x) {
                double px = cx + x, py = cy + y;
                // Only a distance below the edge's outer limit draws anything.
                double d = platform::distanceBelow(px, py, arms, thickness + 0.5);
                blend(static_cast<int32_t>(px), static_cast<int32_t>(py), ice,
                      alpha * std::clamp(thickness + 0.5 - d, 0.0, 1.0));
            }
        }
    }

    platform::Picture picture() const {
        platform::Picture p;
        p.width = w_;
        p.height = h_;
        p.pixels.resize(px_.size());
        for (size_t i = 0; i < px_.size(); ++i) {
            auto channel = [](double v) {
                return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
            };
            p.pixels[i] =
                0xFF000000u | channel(px_[i].r) << 16 | channel(px_[i].g) << 8 | channel(px_[i].b);
        }
        return p;
    }

  private:
    int32_t w_, h_;
    std::vector<Colour> px_;
};

}  // namespace

platform::Picture settingsBackground(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return {};
    Canvas c(width, height);
    // The sky: deep indigo above, a dim violet towards the snowy ground, and a faint glow where
    // the moon stands behind the clouds.
    Colour top{0.05, 0.07, 0.18}, low{0.22, 0.22, 0.42}, glow{0.55, 0.58, 0.75};
    double mx = width * 0.22, my = height * 0.2, mr = std::min(width, height) * 0.5;
    for (int32_t y = 0; y < height; ++y) {
        const Colour sky = mix(top, low, std::pow(double(y) / height, 1.3));  // one per row
        for (int32_t x = 0; x < width; ++x) {
            double d = std::hypot(x - mx, y - my) / mr;
            c.at(x, y) = mix(sky, glow, 0.45 * std::exp(-d * d * 3));
        }
    }
    // Snow lying below: a gentle slope of pale blue.
    Colour ground{0.78, 0.82, 0.93};
    for (int32_t x = 0; x < width; ++x) {
        double line = height * (0.86 + 0.05 * std::sin(x * 6.0 / width + 0.8));
        for (int32_t y = static_cast<int32_t>(line) - 1; y < height; ++y)
            c.blend(x, y, ground, std::clamp(y - line + 1, 0.0, 1.0) * 0.85);
    }
    double unit = std::min(width, height) / 400.0;
    Scatter rnd;
    for (int i = 0; i < 140; ++i) {
        double x = rnd.next() * width, y = rnd.next() * height;
        double depth = rnd.next();
        c.flake(x, y, (0.6 + depth * 1.8) * unit, 0.35 + depth * 0.55);
    }
    struct Place {
        double x, y, size;
    };
    // Large crystals away from the display choices on the right and the buttons below.
    for (Place p : {Place{0.14, 0.62, 34}, Place{0.42, 0.3, 22}, Place{0.33, 0.72, 14},
                    Place{0.62, 0.12, 18}, Place{0.88, 0.2, 12}, Place{0.08, 0.22, 10}}) {
        c.crystal(p.x * width, p.y * height, p.size * unit, rnd.next() * M_PI / 3, 0.8);
    }
    return c.picture();
}

}  // namespace rs::shell
