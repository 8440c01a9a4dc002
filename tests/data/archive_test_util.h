// Helpers for archive tests: byte strings, archives written into a test folder, and a lookup
// context over a game folder and a data folder that records its log entries and boxes.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/archive_file.h"
#include "data/resource.h"
#include "platform/host_path.h"
#include "support/test_game.h"

namespace rs::test {

inline std::vector<uint8_t> bytesOf(std::string_view s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}
inline std::string textOf(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

// Writes "<base>.at2", ".nme" and ".det" (base: host path inside `dir`) built from the members.
void writeArchive(const TempDir& dir, const std::string& base,
                  std::vector<data::ArchiveMember> members);

// One directory record, written as given (for archives that break the rules).
struct RawEntry {
    uint32_t nameOffset, dataOffset, packedSize, unpackedSize;
};
// A directory file of those records and a trailer.
std::string rawDirectory(const std::vector<RawEntry>& entries);
// A name file of NUL-terminated names and a trailer; the offsets of the names go to `offsets`.
std::string rawNames(const std::vector<std::string>& names,
                     std::vector<uint32_t>* offsets = nullptr);

class LookupFixture {
  public:
    LookupFixture();
    TempDir game;
    TempDir data;
    platform::PathResolver paths;

    // The context; `withDataFolder` sets the data folder.
    data::ResourceContext context(bool withDataFolder = true);
    // LoadResource's result, with the bytes as text.
    std::pair<int32_t, std::string> load(std::string_view name, bool withDataFolder = true);
    std::vector<std::string> logTexts() const;
    std::vector<std::string> alerts() const;

  private:
    struct Shared {
        std::mutex mutex;
        std::vector<std::string> log;
        std::vector<std::string> alerts;
    };
    std::shared_ptr<Shared> shared_;
};

}  // namespace rs::test
