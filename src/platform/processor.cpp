#include "platform/processor.h"

#include <time.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace rs::platform {

namespace {

std::optional<std::string> readSmallFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    // The figures are at the start; /proc/cpuinfo of a large machine is long.
    text.resize(64 * 1024);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

std::optional<int32_t> kHzOf(double kHz) {
    if (!(kHz >= 1.0) || kHz > 2147483647.0) return std::nullopt;
    return static_cast<int32_t>(kHz + 0.5);
}

uint64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

std::optional<int32_t> measureTimeStampCounter(int32_t measureMs) {
#if defined(__x86_64__) || defined(__i386__)
    if (measureMs <= 0) return std::nullopt;
    uint64_t start = monotonicNs();
    uint64_t ticks0 = __rdtsc();
    uint64_t end = start + static_cast<uint64_t>(measureMs) * 1000000u;
    uint64_t now = start;
    while ((now = monotonicNs()) < end) {
    }
    uint64_t ticks = __rdtsc() - ticks0;
    double ms = static_cast<double>(now - start) / 1e6;
    return kHzOf(static_cast<double>(ticks) / ms);
#else
    (void)measureMs;
    return std::nullopt;
#endif
}

}  // namespace

std::optional<int32_t> parseSysfsFrequency(std::string_view text) {
    std::string s(text.substr(0, 32));
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str()) return std::nullopt;
    return kHzOf(v);
}

std::optional<int32_t> parseCpuInfoFrequency(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.rfind("cpu MHz", 0) != 0) continue;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string value(line.substr(colon + 1));
        char* stop = nullptr;
        double mhz = std::strtod(value.c_str(), &stop);
        if (stop == value.c_str()) continue;
        return kHzOf(mhz * 1000.0);
    }
    return std::nullopt;
}

std::optional<int32_t> processorClockKHz(int32_t measureMs) {
    for (const char* path : {"/sys/devices/system/cpu/cpu0/cpufreq/base_frequency",
                             "/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"}) {
        if (auto text = readSmallFile(path)) {
            if (auto kHz = parseSysfsFrequency(*text)) return kHz;
        }
    }
    if (auto text = readSmallFile("/proc/cpuinfo")) {
        if (auto kHz = parseCpuInfoFrequency(*text)) return kHz;
    }
    return measureTimeStampCounter(measureMs);
}

}  // namespace rs::platform
