// Golden-image comparisons: a picture is compared exactly with a PNG stored under tests/golden.
// Run the tests with RS_UPDATE_GOLDEN=1 to (re)write the PNGs instead; look at the diff before
// committing them.
#pragma once

#include <string>

#include "graphics/png_io.h"

namespace rs::test {

// Compares with tests/golden/<name>.png (RGBA). On a mismatch the test fails and the picture
// is written next to the build as <name>.actual.png for inspection.
void expectMatchesGolden(const graphics::Image& image, const std::string& name);

}  // namespace rs::test
