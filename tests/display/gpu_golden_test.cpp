// The GPU composer's draw lists drawn by the reference GPU (what an OpenGL device draws), against
// the software composer: the golden scenes within their tolerances, opaque unscaled scenes
// exactly.
#include <gtest/gtest.h>

#include <string>

#include "display/gpu_scene_support.h"
#include "platform/reference_gpu.h"
#include "support/golden.h"

namespace rs::test {
namespace {

graphics::Image drawnByTheReferenceGpu(Scene& s, float t) {
    platform::ReferenceGpu gpu;
    gpu.draw(s.gpuList(t));
    return imageOf(gpu.target());
}

TEST(GpuGolden, TheGoldenScenesWithinTheirTolerances) {
    for (const GoldenScene& g : goldenScenes()) {
        SCOPED_TRACE(g.name);
        auto s = goldenBaseScene();
        g.build(*s);
        auto expected = graphics::readPng(std::string(RS_GOLDEN_DIR) + "/scene_" + g.name + ".png");
        ASSERT_TRUE(expected);
        expectNearSoftware(g.name, drawnByTheReferenceGpu(*s, g.time), *expected);
    }
}

TEST(GpuGolden, OpaqueUnscaledScenesAreIdentical) {
    for (const GoldenScene& g : opaqueScenes()) {
        SCOPED_TRACE(g.name);
        auto s = goldenBaseScene();
        g.build(*s);
        EXPECT_TRUE(drawnByTheReferenceGpu(*s, 0) == softwarePicture(*s));
    }
}

}  // namespace
}  // namespace rs::test
