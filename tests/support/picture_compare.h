// Pictures compared with a tolerance: the GPU composer against the software composer and against
// the reference GPU. Only the colour channels count (the pictures shown are opaque).
#pragma once

#include <cstdint>
#include <string>

#include "graphics/png_io.h"
#include "platform/presenter.h"

namespace rs::test {

struct PictureDifference {
    int32_t maxChannel = 0;  // the largest difference of one colour channel
    double meanChannel = 0;  // the mean difference over every colour channel of every pixel
    int64_t pixels = 0;      // pixels that differ at all
};

// Pixel for pixel; pictures of different sizes differ by 255 everywhere.
PictureDifference pictureDifference(const graphics::Image& a, const graphics::Image& b);
// Each colour channel of `a` against the range its pixel's 3 x 3 neighbourhood spans in `b`: a
// resampled picture or an edge moved by less than a pixel does not count, a wrong colour does.
PictureDifference neighbourhoodDifference(const graphics::Image& a, const graphics::Image& b);
std::string describe(const PictureDifference& d);

graphics::Image imageOf(const platform::Picture& p);

}  // namespace rs::test
