// The snowflake pictures drawn in code: the nearest-segment search that skips far segments gives
// the full search's answer wherever the answer is used, and the window icons and the settings
// dialog's background keep the pixels they had when every segment was measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/snowflake.h"
#include "platform/window_icon.h"
#include "shell/dialog_background.h"

namespace rs::platform {
namespace {

uint64_t fingerprint(const Picture& p) {
    uint64_t h = 1469598103934665603u;
    for (uint32_t v : p.pixels) {
        h ^= v;
        h *= 1099511628211u;
    }
    return h;
}

TEST(Snowflake, DistanceBelowALimitIsTheNearestSegmentsDistance) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int near = 0;
    for (int flake = 0; flake < 12; ++flake) {
        double cx = 40 + unit(rng) * 200, cy = 30 + unit(rng) * 100;
        double radius = 3 + unit(rng) * 40;
        std::vector<Segment> arms = snowflake(cx, cy, radius, unit(rng) * 6.3);
        for (double limit : {0.5, 1.6, 2.75}) {
            // A grid of quarter pixels over the flake and around it, with an odd offset.
            for (double y = cy - radius - 4; y <= cy + radius + 4; y += 0.25) {
                for (double x = cx - radius - 4; x <= cx + radius + 4; x += 0.25) {
                    double px = x + 0.125, py = y + 0.0625;
                    double all = 1e9;
                    for (const Segment& s : arms) all = std::min(all, distanceToSegment(px, py, s));
                    double d = distanceBelow(px, py, arms, limit);
                    if (all < limit) {
                        ASSERT_EQ(d, all) << px << "," << py;
                        ++near;
                    } else {
                        ASSERT_GE(d, limit) << px << "," << py;
                    }
                }
            }
        }
    }
    EXPECT_GT(near, 10000);
}

TEST(Snowflake, IconsAndTheDialogBackgroundKeepTheirPixels) {
    EXPECT_EQ(fingerprint(windowIconPicture(WindowIcon::Normal)), 17426023594117359774u);
    EXPECT_EQ(fingerprint(windowIconPicture(WindowIcon::Paused)), 11281187432833110659u);
    EXPECT_EQ(fingerprint(shell::settingsBackground(550, 400)), 12576429843415727999u);
    EXPECT_EQ(fingerprint(shell::settingsBackground(211, 97)), 13333067982220150791u);
}

}  // namespace
}  // namespace rs::platform
