#include "data/host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace rs::data
