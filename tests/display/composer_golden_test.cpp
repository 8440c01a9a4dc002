// Golden pictures of the software composer for the golden scenes (display/golden_scenes.h).
#include <gtest/gtest.h>

#include <string>

#include "display/golden_scenes.h"
#include "support/golden.h"

namespace rs::test {
namespace {

using namespace graphics;

TEST(ComposerGolden, Scenes) {
    for (const GoldenScene& g : goldenScenes()) {
        auto s = goldenBaseScene();
        g.build(*s);
        EXPECT_EQ(s->composeAll(g.time), ComposeResult::Present);
        expectMatchesGolden(s->image(), std::string("scene_") + g.name);
    }
}

}  // namespace
}  // namespace rs::test
