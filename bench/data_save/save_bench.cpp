// Game-data encoding and decoding speed (payload bytes per second) for a 1 MiB save.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "data/file_buffer.h"
#include "data/game_data.h"

namespace {

constexpr size_t kPayload = 1 << 20;

// Random bytes: every list is long and the gaps are short.
std::vector<uint8_t> randomPayload() {
    std::mt19937 rng(7);
    std::vector<uint8_t> out(kPayload);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

// Save-like data: mostly zero words and small counters, with a few strings.
std::vector<uint8_t> saveLikePayload() {
    std::mt19937 rng(8);
    std::vector<uint8_t> out;
    out.reserve(kPayload);
    while (out.size() < kPayload) {
        uint32_t r = rng();
        if (r % 8 == 0) {
            for (const char* s = "\x83\x5A\x81\x5B\x83\x75save"; *s; ++s)
                out.push_back(static_cast<uint8_t>(*s));
        } else {
            uint32_t w = r % 4 == 0 ? r % 1000 : 0;
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(w >> (8 * i)));
        }
    }
    out.resize(kPayload);
    return out;
}

void encode(benchmark::State& state, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> file;
    for (auto _ : state) {
        rs::data::encodeGameData(payload, file);
        benchmark::DoNotOptimize(file.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(payload.size()));
}

void decode(benchmark::State& state, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> file;
    rs::data::encodeGameData(payload, file);
    rs::data::FileBuffer out;
    for (auto _ : state) {
        auto r = rs::data::decodeGameData(file, out);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(out.data.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(payload.size()));
}

void BM_EncodeRandom(benchmark::State& s) { encode(s, randomPayload()); }
void BM_DecodeRandom(benchmark::State& s) { decode(s, randomPayload()); }
void BM_EncodeSaveLike(benchmark::State& s) { encode(s, saveLikePayload()); }
void BM_DecodeSaveLike(benchmark::State& s) { decode(s, saveLikePayload()); }

BENCHMARK(BM_EncodeRandom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRandom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeSaveLike)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSaveLike)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
