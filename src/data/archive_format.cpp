#include "data/archive_format.h"

#include <cstring>

namespace rs::data {

namespace {

constexpr uint8_t foldCase(uint8_t b) {
    return b >= 'A' && b <= 'Z' ? static_cast<uint8_t>(b + 0x20) : b;
}

}  // namespace

uint32_t readLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void writeLe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

int compareArchiveNames(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        uint8_t x = foldCase(static_cast<uint8_t>(a[i]));
        uint8_t y = foldCase(static_cast<uint8_t>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

ArchiveEntry ArchiveDirectory::entry(size_t index) const {
    const uint8_t* p = bytes_.data() + index * kArchiveEntrySize;
    ArchiveEntry e;
    e.nameOffset = readLe32(p);
    e.dataOffset = readLe32(p + 4);
    e.packedSize = readLe32(p + 8);
    e.reserved = readLe32(p + 12);
    e.unpackedSize = readLe32(p + 16);
    return e;
}

std::optional<std::string_view> archiveNameAt(std::span<const uint8_t> names, uint32_t offset) {
    if (offset >= names.size()) return std::nullopt;
    const char* begin = reinterpret_cast<const char*>(names.data()) + offset;
    size_t room = names.size() - offset;
    const void* nul = std::memchr(begin, 0, room);
    size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - begin) : room;
    return std::string_view(begin, length);
}

int32_t searchArchiveSorted(const ArchiveDirectory& dir, std::span<const uint8_t> names,
                            std::string_view member) {
    size_t n = dir.count();
    if (n == 0 || n > static_cast<size_t>(INT32_MAX)) return -1;
    int32_t lo = 0;
    int32_t hi = static_cast<int32_t>(n) - 1;
    int32_t mid = hi / 2;
    for (;;) {
        // lo <= hi + 1 holds throughout, so mid stays a record index; checked all the same.
        if (mid < 0 || static_cast<size_t>(mid) >= n) return -1;
        auto name = archiveNameAt(names, dir.entry(static_cast<size_t>(mid)).nameOffset);
        if (!name) return -1;
        int c = compareArchiveNames(*name, member);
        if (c == 0) return mid;
        if (lo >= hi) return -1;
        if (c > 0) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
        mid = (lo + hi) / 2;  // rounds toward zero
    }
}

int32_t searchArchiveLinear(const ArchiveDirectory& dir, std::span<const uint8_t> names,
                            std::string_view member) {
    size_t n = dir.count();
    for (size_t i = 0; i < n && i <= static_cast<size_t>(INT32_MAX); ++i) {
        auto name = archiveNameAt(names, dir.entry(i).nameOffset);
        if (name && compareArchiveNames(*name, member) == 0) return static_cast<int32_t>(i);
    }
    return -1;
}

}  // namespace rs::data
