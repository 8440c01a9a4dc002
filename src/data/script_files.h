// The files scripts hold open, and the rest of the engine's state for script files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/file_buffer.h"

namespace rs::data {

// How a file was opened. Odd modes write.
enum FileMode : int32_t {
    kPlainRead = 0,
    kPlainWrite = 1,
    kGameDataRead = 2,
    kGameDataWrite = 3,
};

constexpr bool isWriteMode(int32_t mode) { return (mode & 1) != 0; }

struct ScriptFile {
    FileBuffer buffer;
    std::string path;  // the host path the file was read from or will be written to
    int32_t mode = kPlainRead;
};

// Open files by handle. Handles are small positive integers: the lowest free one is handed out,
// so -1 and 0 never denote a file.
class ScriptFileTable {
  public:
    int32_t add(std::unique_ptr<ScriptFile> file);
    // The open file of a handle, or null for anything else.
    ScriptFile* find(int32_t handle) const;
    // Removes a file from the table and hands it over; null when the handle is not open.
    std::unique_ptr<ScriptFile> take(int32_t handle);
    int32_t openCount() const;

  private:
    std::vector<std::unique_ptr<ScriptFile>> slots_;  // slot i is handle i + 1
};

struct ScriptFiles {
    ScriptFileTable handles;
    // Set by the first game-data save failure reported; later failures are silent.
    bool saveFailureShown = false;
    // Programs started for scripts that have not been reaped yet.
    std::vector<int> children;
};

}  // namespace rs::data
