#include "data/host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace rs::data {

HostFile& HostFile::operator=(HostFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

HostFile HostFile::openRead(const std::string& hostPath) {
    HostFile f;
    int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return f;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return f;
    }
    f.fd_ = fd;
    return f;
}

void HostFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int64_t HostFile::size() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool HostFile::readAt(uint64_t offset, void* out, size_t n) const {
    if (fd_ < 0) return false;
    auto* p = static_cast<uint8_t*>(out);
    while (n > 0) {
        ssize_t got = ::pread(fd_, p, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& hostPath, std::string* error,
                                                  uint64_t maxBytes) {
    auto fail = [error](std::string reason) -> std::optional<std::vector<uint8_t>> {
        if (error) *error = std::move(reason);
        return std::nullopt;
    };
    struct stat st;
    if (::stat(hostPath.c_str(), &st) != 0) {
        return fail(errno == ENOENT ? "no such file" : std::strerror(errno));
    }
    if (S_ISDIR(st.st_mode)) return fail("is a folder, not a file");
    if (!S_ISREG(st.st_mode)) return fail("is not a regular file");
    if (static_cast<uint64_t>(st.st_size) > maxBytes)
        return fail("is larger than " + std::to_string(maxBytes) + " bytes");
    errno = 0;
    HostFile f = HostFile::openRead(hostPath);
    if (!f.isOpen()) {
        if (errno == EACCES) return fail("permission denied");
        return fail(errno ? std::strerror(errno) : "cannot be opened");
    }
    // The size is taken again from the open file: it may have changed since the stat.
    int64_t size = f.size();
    if (size < 0) return fail(std::strerror(errno));
    if (static_cast<uint64_t>(size) > maxBytes)
        return fail("is larger than " + std::to_string(maxBytes) + " bytes");
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return fail("is too large to hold in memory");
    }
    if (!bytes.empty() && !f.readAt(0, bytes.data(), bytes.size()))
        return fail(errno ? std::strerror(errno) : "the file ended early");
    return bytes;
}

}  // namespace rs::data
