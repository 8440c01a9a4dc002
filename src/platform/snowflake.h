// The engine's snowflake, shared by the pictures drawn in code (the window icons, the settings
// dialog's background): six arms, each with two pairs of side branches, as line segments.
#pragma once

#include <vector>

namespace rs::platform {

struct Segment {
    double x0, y0, x1, y1;
};

// The distance from a point to a segment (to its one point when it has no length).
double distanceToSegment(double px, double py, const Segment& s);

// The distance from a point to the nearest segment when that is below `limit`; otherwise some
// value >= limit. Segments whose bounding box lies `limit` or more away are not measured, which
// is most of them for most points of a picture; the result where it matters is exactly the
// minimum over all segments.
double distanceBelow(double px, double py, const std::vector<Segment>& segments, double limit);

// The snowflake centred at (cx, cy) with arms `radius` long, the first arm at angle `turn`
// (radians, clockwise from the x axis with y pointing down).
std::vector<Segment> snowflake(double cx, double cy, double radius, double turn);

}  // namespace rs::platform
