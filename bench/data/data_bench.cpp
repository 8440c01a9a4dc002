// Unpacking speed (bytes of output per second) beside zlib inflating the same data compressed
// at level 6, and the cost of looking a member up in a large archive.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data/archive_file.h"
#include "data/archive_format.h"
#include "data/lz.h"
#include "data/resource.h"
#include "platform/host_path.h"

namespace {

namespace fs = std::filesystem;
using rs::data::packLz;
using rs::data::unpackLz;

// Script-like text: words repeated at varying distances, as game scripts and their data are.
std::vector<uint8_t> textLike(size_t n) {
    std::mt19937 rng(42);
    const char* words[] = {"spset ", "frame ", "bmpload ", "\x82\xA0\x82\xA2",
                           "\r\n",   "100, ",  "wait ",    "print "};
    std::vector<uint8_t> out;
    while (out.size() < n) {
        const char* w = words[rng() % 8];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
        if (rng() % 5 == 0) out.push_back(static_cast<uint8_t>(rng()));
    }
    out.resize(n);
    return out;
}

std::vector<uint8_t> randomBytes(size_t n) {
    std::mt19937 rng(43);
    std::vector<uint8_t> out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

const std::vector<uint8_t>& textData() {
    static const std::vector<uint8_t> data = textLike(4 << 20);
    return data;
}
const std::vector<uint8_t>& randomData() {
    static const std::vector<uint8_t> data = randomBytes(4 << 20);
    return data;
}

// Times `unpack(packed, out)` and reports bytes of output per second and the packed size.
template <class Unpack>
void unpackBench(benchmark::State& state, const std::vector<uint8_t>& data,
                 const std::vector<uint8_t>& packed, Unpack unpack) {
    std::vector<uint8_t> out(data.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(unpack(packed, out));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(data.size()));
    state.counters["packed%"] =
        100.0 * static_cast<double>(packed.size()) / static_cast<double>(data.size());
}

void lzBench(benchmark::State& state, const std::vector<uint8_t>& data) {
    unpackBench(
        state, data, packLz(data),
        [](const std::vector<uint8_t>& p, std::vector<uint8_t>& o) { return unpackLz(p, o); });
}

// The peer: zlib's inflate of the same data, compressed by zlib at level 6.
void inflateBench(benchmark::State& state, const std::vector<uint8_t>& data) {
    uLongf packedSize = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, data.data(), static_cast<uLong>(data.size()), 6) !=
        Z_OK) {
        state.SkipWithError("zlib could not compress");
        return;
    }
    packed.resize(packedSize);
    unpackBench(state, data, packed, [](const std::vector<uint8_t>& p, std::vector<uint8_t>& o) {
        uLongf outSize = static_cast<uLongf>(o.size());
        return uncompress(o.data(), &outSize, p.data(), static_cast<uLong>(p.size()));
    });
}

void BM_UnpackText(benchmark::State& state) { lzBench(state, textData()); }
void BM_UnpackRandom(benchmark::State& state) { lzBench(state, randomData()); }
void BM_InflateText(benchmark::State& state) { inflateBench(state, textData()); }
void BM_InflateRandom(benchmark::State& state) { inflateBench(state, randomData()); }
BENCHMARK(BM_UnpackText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackRandom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateRandom)->Unit(benchmark::kMillisecond);

void BM_PackText(benchmark::State& state) {
    static const std::vector<uint8_t> data = textLike(256 << 10);
    for (auto _ : state) benchmark::DoNotOptimize(packLz(data));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_PackText)->Unit(benchmark::kMillisecond);

// A game folder holding one archive of 5,000 members of 1 to 4 KiB.
struct BigArchive {
    std::string folder;
    std::vector<std::string> names;
    BigArchive() {
        std::string templ = (fs::temp_directory_path() / "rs-bench-XXXXXX").string();
        folder = mkdtemp(templ.data());
        std::vector<rs::data::ArchiveMember> members;
        std::vector<uint8_t> text = textLike(4096 * 16);
        std::mt19937 rng(44);
        for (int i = 0; i < 5000; ++i) {
            std::string name = "cg" + std::to_string(i % 50) + "_" + std::to_string(i) + ".bmp";
            size_t size = 1024 + rng() % 3072;
            size_t start = rng() % (text.size() - size);
            members.push_back(
                {name, std::vector<uint8_t>(text.begin() + static_cast<long>(start),
                                            text.begin() + static_cast<long>(start + size))});
            names.push_back("pic\\" + name);
        }
        std::string error;
        auto files = rs::data::buildArchive(std::move(members), error);
        write("pic.at2", files->directory);
        write("pic.nme", files->names);
        write("pic.det", files->data);
    }
    ~BigArchive() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(folder + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
};

// LoadResource of a member: opening and reading the directory and names, the search, reading
// and unpacking the member.
void BM_LoadMemberOf5000(benchmark::State& state) {
    static BigArchive archive;
    rs::platform::PathResolver paths;
    rs::data::ResourceContext ctx;
    ctx.programFolder = archive.folder;
    ctx.paths = &paths;
    std::mt19937 rng(45);
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> out;
        int32_t n = rs::data::LoadResource(ctx, archive.names[rng() % archive.names.size()], out);
        if (n <= 0) state.SkipWithError("member not found");
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_LoadMemberOf5000)->Unit(benchmark::kMicrosecond);

// The binary search alone, over tables already in memory.
void BM_SearchOf5000(benchmark::State& state) {
    static BigArchive archive;
    std::ifstream d(archive.folder + "/pic.at2", std::ios::binary);
    std::vector<uint8_t> dir((std::istreambuf_iterator<char>(d)), std::istreambuf_iterator<char>());
    std::ifstream n(archive.folder + "/pic.nme", std::ios::binary);
    std::vector<uint8_t> names((std::istreambuf_iterator<char>(n)),
                               std::istreambuf_iterator<char>());
    dir.resize(dir.size() - 4);
    names.resize(names.size() - 4);
    rs::data::ArchiveDirectory directory(dir);
    std::mt19937 rng(46);
    for (auto _ : state) {
        const std::string& name = archive.names[rng() % archive.names.size()];
        benchmark::DoNotOptimize(
            rs::data::searchArchiveSorted(directory, names, std::string_view(name).substr(4)));
    }
}
BENCHMARK(BM_SearchOf5000)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
