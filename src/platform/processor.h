// The processor's clock rate, as a script built-in reports it. The kernel knows it (sysfs or
// /proc/cpuinfo); where it does not, the time-stamp counter is measured over a few milliseconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace rs::platform {

// The figure of a sysfs frequency file (kHz, one decimal number); none when it holds no
// positive number.
std::optional<int32_t> parseSysfsFrequency(std::string_view text);
// The first "cpu MHz" line of /proc/cpuinfo, in kHz; none when there is no such line.
std::optional<int32_t> parseCpuInfoFrequency(std::string_view text);

// The clock in kHz: the kernel's base frequency, else its highest, else /proc/cpuinfo's, else
// the time-stamp counter measured over at most `measureMs` milliseconds (x86 only). None when
// nothing gives a figure.
std::optional<int32_t> processorClockKHz(int32_t measureMs = 20);

}  // namespace rs::platform
