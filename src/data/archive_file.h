// Whole archives in memory, for tools: building the three files from a set of members, and
// reading an existing archive to list or extract it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/archive_format.h"

namespace rs::data {

struct ArchiveMember {
    std::string name;  // code page 932, '\' between folders
    std::vector<uint8_t> bytes;
};

struct ArchiveFiles {
    std::vector<uint8_t> directory;  // ".at2"
    std::vector<uint8_t> names;      // ".nme"
    std::vector<uint8_t> data;       // ".det"
};

// Packs every member as small as the format allows and lays the files out with the directory in
// member-name order. Fails (with a message in `error`) for an empty name, a name with a NUL byte
// or longer than 2047 bytes, two names that compare equal, or sizes the format cannot hold.
std::optional<ArchiveFiles> buildArchive(std::vector<ArchiveMember> members, std::string& error);

// An archive read whole.
class ArchiveReader {
  public:
    // Reads "<basePath>.at2", ".nme" and ".det" (host paths). False with a message on failure.
    bool open(const std::string& basePath, std::string& error);
    // Takes the three files' contents as they are.
    void assign(ArchiveFiles files);

    size_t count() const { return ArchiveDirectory(directoryRecords()).count(); }
    ArchiveEntry entry(size_t index) const {
        return ArchiveDirectory(directoryRecords()).entry(index);
    }
    // The member's name; nullopt when its offset lies outside the name file.
    std::optional<std::string_view> name(size_t index) const;
    // Unpacks a member. False with a message when its data lies outside the data file, is
    // malformed or does not unpack to the size the directory gives.
    bool extract(size_t index, std::vector<uint8_t>& out, std::string& error) const;
    // The first member whose name compares equal, or -1.
    int32_t find(std::string_view name) const;

  private:
    std::span<const uint8_t> directoryRecords() const;
    std::span<const uint8_t> nameTable() const;
    ArchiveFiles files_;
};

}  // namespace rs::data
