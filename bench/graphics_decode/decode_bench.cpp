// Decoding speed of FD and FE images of 800 x 600 (megapixels per second) beside libpng decoding
// a PNG of the same picture (written by libpng at its default settings) from memory, and the size
// of the encoded files against that PNG.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    std::vector<uint8_t> png;
};

std::vector<uint8_t> pngFile(const graphics::Image& img, bool alpha) {
    std::string path = (std::filesystem::temp_directory_path() / "rs_bench_decode.png").string();
    graphics::writePng(path, img, alpha);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return bytes;
}

Sample makeSample(bool photo) {
    Sample s;
    s.alpha = !photo;
    s.image =
        photo ? tools::samplePhoto(kWidth, kHeight, 1) : tools::sampleArtwork(kWidth, kHeight, 1);
    s.fd = tools::encodeFD(s.image, s.alpha);
    s.fe = tools::encodeFE(s.image, s.alpha);
    s.png = pngFile(s.image, s.alpha);
    s.pngBytes = s.png.size();
    return s;
}

// The photo-like picture (opaque) or the artwork (with alpha), encoded once.
const Sample& sample(bool photo) {
    static const Sample photoSample = makeSample(true);
    static const Sample artSample = makeSample(false);
    return photo ? photoSample : artSample;
}

// `code`: the decoders' build for this processor, or the plain one for any x86-64 processor.
void decode(benchmark::State& state, bool fe, bool photo,
            graphics::DecodeCode code = graphics::DecodeCode::Best) {
    const Sample& s = sample(photo);
    const std::vector<uint8_t>& file = fe ? s.fe : s.fd;
    const int32_t depth = s.alpha ? 32 : 24;
    std::vector<uint32_t> out(static_cast<size_t>(kWidth) * kHeight + 16);
    for (auto _ : state) {
        bool ok = fe ? graphics::DecodeFE(kWidth, kHeight, depth, file, out, code)
                     : graphics::DecodeFD(kWidth, kHeight, depth, file, out, code);
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

// The peer: libpng's simplified reader, from memory into 32-bit pixels of the same layout.
void decodePng(benchmark::State& state, bool photo) {
    const Sample& s = sample(photo);
    std::vector<uint32_t> out(static_cast<size_t>(kWidth) * kHeight + 16);
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        bool ok = png_image_begin_read_from_memory(&image, s.png.data(), s.png.size()) != 0;
        if (ok) {
            image.format = PNG_FORMAT_BGRA;
            ok = png_image_finish_read(&image, nullptr, out.data(), 0, nullptr) != 0;
        }
        if (!ok) {
            png_image_free(&image);
            state.SkipWithError("libpng could not read the picture");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    const double pixels = static_cast<double>(kWidth) * kHeight;
    state.counters["MP/s"] =
        benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes"] = static_cast<double>(s.png.size());
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
BENCHMARK_CAPTURE(decode, fd_photo_plain, false, true, graphics::DecodeCode::Plain)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, fe_photo_plain, true, true, graphics::DecodeCode::Plain)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodePng, libpng_photo, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, fd_artwork_alpha, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, fe_artwork_alpha, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodePng, libpng_artwork_alpha, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode, fd_photo, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode, fe_photo, true)->Unit(benchmark::kMillisecond);

}  // namespace
