// Decoding speed of FD and FE images of 800 x 600 (megapixels per second), and the size of the
// encoded files against a PNG of the same picture (written by libpng at its default settings).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/fd_decoder.h"
#include "graphics/png_io.h"
#include "img/fd_encoder.h"
#include "img/sample_pictures.h"

namespace {

using namespace rs;

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;

struct Sample {
    graphics::Image image;
    bool alpha = false;
    std::vector<uint8_t> fd;
    std::vector<uint8_t> fe;
    uintmax_t pngBytes = 0;
};

uintmax_t pngSize(const graphics::Image& img, bool alpha) {
    std::string path = (std::filesystem::temp_directory_path() / "rs_bench_decode.png").string();
    graphics::writePng(path, img, alpha);
    std::error_code ec;
    uintmax_t size = std::filesystem::file_size(path, ec);
    std::filesystem::remove(path, ec);
    return ec ? 0 : size;
}

Sample makeSample(bool photo) {
    Sample s;
    s.alpha = !photo;
    s.image =
        photo ? tools::samplePhoto(kWidth, kHeight, 1) : tools::sampleArtwork(kWidth, kHeight, 1);
    s.fd = tools::encodeFD(s.image, s.alpha);
    s.fe = tools::encodeFE(s.image, s.alpha);
    s.pngBytes = pngSize(s.image, s.alpha);
    return s;
}

// The photo-like picture (opaque) or the artwork (with alpha), encoded once.
const Sample& sample(bool photo) {
    static const Sample photoSample = makeSample(true);
    static const Sample artSample = makeSample(false);
    return photo ? photoSample : artSample;
}

void decode(benchmark::State& state, bool fe, bool photo) {
    const Sample& s = sample(photo);
    const std::vector<uint8_t>& file = fe ? s.fe : s.fd;
    const int32_t depth = s.alpha ? 32 : 24;
    std::vector<uint32_t> out(static_cast<size_t>(kWidth) * kHeight + 16);
    for (auto _ : state) {
        bool ok = fe ? graphics::DecodeFE(kWidth, kHeight, depth, file, out)
                     : graphics::DecodeFD(kWidth, kHeight, depth, file, out);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(out.data());
    }
    const double pixels = static_cast<double>(kWidth) * kHeight;
    state.counters["MP/s"] =
        benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes"] = static_cast<double>(file.size());
    state.counters["png_bytes"] = static_cast<double>(s.pngBytes);
    state.counters["size_vs_png"] =
        static_cast<double>(file.size()) / static_cast<double>(s.pngBytes);
    state.counters["bits_per_px"] = static_cast<double>(file.size() - 16) * 8.0 / pixels;
}

void encode(benchmark::State& state, bool fe) {
    const Sample& s = sample(true);
    for (auto _ : state) {
        std::vector<uint8_t> file =
            fe ? tools::encodeFE(s.image, false) : tools::encodeFD(s.image, false);
        benchmark::DoNotOptimize(file.data());
    }
    const double pixels = static_cast<double>(kWidth) * kHeight;
    state.counters["MP/s"] =
        benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(decode, fd_photo, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, fe_photo, true, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, fd_artwork_alpha, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, fe_artwork_alpha, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode, fd_photo, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode, fe_photo, true)->Unit(benchmark::kMillisecond);

}  // namespace
