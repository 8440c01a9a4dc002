#include "platform/snowflake.h"

#include <algorithm>
#include <cmath>

namespace rs::platform {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

double distanceToSegment(double px, double py, const Segment& s) {
    double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((px - s.x0) * dx + (py - s.y0) * dy) / len2, 0.0, 1.0) : 0;
    double ex = s.x0 + t * dx - px, ey = s.y0 + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

double distanceBelow(double px, double py, const std::vector<Segment>& segments, double limit) {
    // A small margin keeps a segment whose rounded distance could still fall under the limit.
    const double reach = limit + 1e-9 * (1 + std::abs(px) + std::abs(py));
    double d = limit;
    for (const Segment& s : segments) {
        double outX = std::max({std::min(s.x0, s.x1) - px, px - std::max(s.x0, s.x1), 0.0});
        double outY = std::max({std::min(s.y0, s.y1) - py, py - std::max(s.y0, s.y1), 0.0});
        if (outX >= reach || outY >= reach) continue;
        d = std::min(d, distanceToSegment(px, py, s));
    }
    return d;
}

std::vector<Segment> snowflake(double cx, double cy, double radius, double turn) {
    std::vector<Segment> out;
    for (int arm = 0; arm < 6; ++arm) {
        double a = turn + arm * kPi / 3;
        double ux = std::cos(a), uy = std::sin(a);
        out.push_back({cx, cy, cx + ux * radius, cy + uy * radius});
        for (double along : {0.45, 0.7}) {
            double bx = cx + ux * radius * along, by = cy + uy * radius * along;
            double len = radius * (along < 0.5 ? 0.32 : 0.22);
            for (double side : {-1.0, 1.0}) {
                double b = a + side * kPi / 4;
                out.push_back({bx, by, bx + std::cos(b) * len, by + std::sin(b) * len});
            }
        }
    }
    return out;
}

}  // namespace rs::platform
