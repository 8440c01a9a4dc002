// Replacing a file so that a crash or a full disk never loses it: the new contents go to a
// temporary file in the same folder, are flushed to the disk, and the temporary file is then
// renamed over the old one. Until the rename the old file is untouched; after it the new one is
// complete.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace rs::data {

enum class WriteOutcome {
    Ok,
    CreateFailed,  // the file cannot be created or replaced (no folder, no permission, read-only)
    WriteFailed,   // writing or flushing the bytes failed (a full disk, a size limit)
};

// Writes `bytes` as the whole new contents of the host file `path`. A replaced file keeps its
// permission bits; a file without write permission is not replaced (CreateFailed), as writing
// to it in place would fail. On failure nothing is left behind and the old file is unchanged.
WriteOutcome replaceFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace rs::data
