// The processor's clock as start-up finds it: the kernel's figures, and a bounded measurement.
#include "platform/processor.h"

#include <gtest/gtest.h>

#include <thread>

namespace rs::platform {
namespace {

TEST(Processor, TheKernelsFiguresAreReadInKilohertz) {
    EXPECT_EQ(parseSysfsFrequency("3400000\n"), 3400000);
    EXPECT_EQ(parseSysfsFrequency(""), std::nullopt);
    EXPECT_EQ(parseSysfsFrequency("0\n"), std::nullopt);
    EXPECT_EQ(parseSysfsFrequency("-5"), std::nullopt);
    EXPECT_EQ(parseSysfsFrequency("garbage"), std::nullopt);
    EXPECT_EQ(parseSysfsFrequency("99999999999999"), std::nullopt);  // beyond what fits
    EXPECT_EQ(parseCpuInfoFrequency("processor\t: 0\nmodel name\t: X\ncpu MHz\t\t: 2893.204\n"
                                    "cpu MHz\t\t: 1000.000\n"),
              2893204);
    EXPECT_EQ(parseCpuInfoFrequency("processor\t: 0\nBogoMIPS\t: 50.00\n"), std::nullopt);
    EXPECT_EQ(parseCpuInfoFrequency("cpu MHz without a colon\ncpu MHz : x\n"), std::nullopt);
}

TEST(Processor, FindingTheClockKeepsStartUpFast) {
    auto start = std::chrono::steady_clock::now();
    std::optional<int32_t> kHz = processorClockKHz(20);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(250));
#if defined(__x86_64__) || defined(__i386__)
    ASSERT_TRUE(kHz);
    EXPECT_GT(*kHz, 0);
#endif
}

}  // namespace
}  // namespace rs::platform
