// Loading and saving script files whole, plain or in the game-data format, with the messages the
// player sees when that fails.
#pragma once

#include <string>

#include "data/file_buffer.h"

namespace rs {
class Engine;
}

namespace rs::data {

// loadPlainFile: the whole host file into the buffer (cursor 0). False when it cannot be read.
bool loadPlainFile(FileBuffer& buffer, const std::string& hostPath);

// savePlainFile: the buffer's bytes become the file. A failure shows the box "error on writefile"
// every time.
bool savePlainFile(Engine& e, const FileBuffer& buffer, const std::string& hostPath);

// loadGameData: decodes a game-data file into the buffer. A garbled file shows
// "データが化けています"; a missing file or an empty payload fails silently.
bool loadGameData(Engine& e, FileBuffer& buffer, const std::string& hostPath);

// saveGameData: the buffer's bytes encoded as game data become the file. The first failure of
// the run is shown and logged ("セーブデータの保存"); later ones are silent.
bool saveGameData(Engine& e, const FileBuffer& buffer, const std::string& hostPath);

}  // namespace rs::data
