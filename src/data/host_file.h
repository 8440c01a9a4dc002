// A host file opened for reading: the few operations resource lookup needs, without shared state,
// so lookups may run on several threads at once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rs::data {

class HostFile {
  public:
    HostFile() = default;
    ~HostFile() { close(); }
    HostFile(HostFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    HostFile& operator=(HostFile&& other) noexcept;
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    // Opens an existing regular file for reading (a folder does not open).
    static HostFile openRead(const std::string& hostPath);

    bool isOpen() const { return fd_ >= 0; }
    void close();
    // The file's size, or -1.
    int64_t size() const;
    // Reads exactly `n` bytes at `offset`; false on a short read or an error.
    bool readAt(uint64_t offset, void* out, size_t n) const;

  private:
    int fd_ = -1;
};

// Reads a whole regular file of at most `maxBytes` bytes. On failure: nothing, and in `error`
// (when given) the reason in plain English: "no such file", "is a folder, not a file",
// "permission denied", "is larger than N bytes", ...
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& hostPath,
                                                  std::string* error = nullptr,
                                                  uint64_t maxBytes = 0x7FFFFFFF);

}  // namespace rs::data
