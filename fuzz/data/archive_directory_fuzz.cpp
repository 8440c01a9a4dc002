// Fuzzes the directory and name-file parsing: the input is split into a directory file, a name
// file and a member name; both searches run over them, and every record's name is read.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "data/archive_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose where the directory ends and how long the member name is.
    size_t dirSize = data[0] * 4u;
    size_t nameSize = data[1] % 32u;
    data += 2;
    size -= 2;
    if (dirSize > size) dirSize = size;
    std::span<const uint8_t> dirFile(data, dirSize);
    std::span<const uint8_t> rest(data + dirSize, size - dirSize);
    if (nameSize > rest.size()) nameSize = rest.size();
    std::string_view member(reinterpret_cast<const char*>(rest.data()), nameSize);
    std::span<const uint8_t> namesFile = rest.subspan(nameSize);

    // As the engine reads them: without their 4-byte trailers.
    if (dirFile.size() < rs::data::kArchiveTrailerSize ||
        namesFile.size() < rs::data::kArchiveTrailerSize)
        return 0;
    rs::data::ArchiveDirectory dir(dirFile.first(dirFile.size() - rs::data::kArchiveTrailerSize));
    std::span<const uint8_t> names =
        namesFile.first(namesFile.size() - rs::data::kArchiveTrailerSize);

    int32_t sorted = rs::data::searchArchiveSorted(dir, names, member);
    int32_t linear = rs::data::searchArchiveLinear(dir, names, member);
    // Whatever the binary search finds, the linear scan finds too (possibly an earlier duplicate).
    if (sorted >= 0 && (linear < 0 || linear > sorted)) __builtin_trap();
    for (size_t i = 0; i < dir.count(); ++i) {
        rs::data::ArchiveEntry e = dir.entry(i);
        if (auto name = rs::data::archiveNameAt(names, e.nameOffset)) {
            volatile int c = rs::data::compareArchiveNames(*name, member);
            (void)c;
        }
    }
    return 0;
}
