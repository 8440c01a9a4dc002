// The archive formats: a directory file (".at2") of 20-byte records and a 4-byte trailer, a name
// file (".nme") of NUL-terminated member names and a 4-byte trailer, and a data file (".det") of
// packed member data. These functions work on file contents already in memory and never read
// outside the spans they are given.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace rs::data {

constexpr size_t kArchiveEntrySize = 20;
constexpr size_t kArchiveTrailerSize = 4;
// Names and paths are held in 2048-byte buffers: at most 2047 bytes.
constexpr size_t kMaxResourceName = 2047;

struct ArchiveEntry {
    uint32_t nameOffset = 0;  // offset of the NUL-terminated name in the name file
    uint32_t dataOffset = 0;  // offset of the packed bytes in the data file
    uint32_t packedSize = 0;
    uint32_t reserved = 0;
    uint32_t unpackedSize = 0;
};

// Member-name order: bytes compared as unsigned after mapping 'A'..'Z' to 'a'..'z' wherever those
// byte values occur (second bytes of double-byte characters too); a name that ends first sorts
// first. Returns <0, 0 or >0.
int compareArchiveNames(std::string_view a, std::string_view b);

// A directory's records over its contents without the trailer; a partial record at the end is
// ignored.
class ArchiveDirectory {
  public:
    explicit ArchiveDirectory(std::span<const uint8_t> records) : bytes_(records) {}
    size_t count() const { return bytes_.size() / kArchiveEntrySize; }
    ArchiveEntry entry(size_t index) const;

  private:
    std::span<const uint8_t> bytes_;
};

// The name at `offset` in the name file's contents (without the trailer): up to its NUL, or to the
// end of the contents when no NUL follows. nullopt when the offset lies outside the contents.
std::optional<std::string_view> archiveNameAt(std::span<const uint8_t> names, uint32_t offset);

// The engine's lookup: a binary search that relies on the directory being sorted. An entry whose
// name offset lies outside the name file ends the search. Returns the index or -1.
int32_t searchArchiveSorted(const ArchiveDirectory& dir, std::span<const uint8_t> names,
                            std::string_view member);

// The existence test: the first record, in file order, whose name equals `member`; -1 if none.
int32_t searchArchiveLinear(const ArchiveDirectory& dir, std::span<const uint8_t> names,
                            std::string_view member);

// True when the packed bytes of `entry` lie inside a data file of `dataSize` bytes.
constexpr bool entryDataInside(const ArchiveEntry& entry, uint64_t dataSize) {
    return static_cast<uint64_t>(entry.dataOffset) + entry.packedSize <= dataSize;
}

uint32_t readLe32(const uint8_t* p);
void writeLe32(uint8_t* p, uint32_t v);

}  // namespace rs::data
