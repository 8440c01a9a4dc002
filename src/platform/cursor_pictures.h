// The engine's own mouse cursors, shapes 2 to 13 of the script's cursor command, drawn in code:
// white shapes with a black outline on 32 x 32 pictures, each with its hot spot (the pixel that
// points). Shapes 0 and 1 are the system's arrow and wait cursors.
#pragma once

#include <cstdint>

#include "platform/presenter.h"
#include "platform/view_transform.h"

namespace rs::platform {

constexpr int32_t kFirstOwnCursor = 2;
constexpr int32_t kLastOwnCursor = 13;
constexpr int32_t kCursorSize = 32;

struct CursorPicture {
    const char* name = "";
    // 32 x 32, rows top to bottom, pixels 0xAARRGGBB (transparent around the shape).
    Picture picture;
    PixelPoint hotSpot;
};

// Shape 2 "hand" (pointing up, hot spot at the fingertip), 3 "grab" (an open hand, the palm),
// 4 "crosshair" (the centre), 5 "magnifier" (the lens's centre), 6 "left", 7 "right", 8 "up",
// 9 "down" (broad arrows, hot spot at the tip), 10 "text" (an I-beam, the centre), 11 "forbidden"
// (a barred circle, the centre), 12 "pen" (the nib, lower left), 13 "move" (four arrows, the
// centre). Other shapes give an empty picture.
CursorPicture cursorPicture(int32_t shape);

}  // namespace rs::platform
