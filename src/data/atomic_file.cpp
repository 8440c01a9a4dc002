#include "data/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace rs::data {

namespace {

// The folder part of a host path ("." for a bare name).
std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, std::span<const uint8_t> bytes) {
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Creates a new temporary file beside `path`, named after it, with the permissions a newly
// created file gets (0666 less the umask). Returns the descriptor and its name. A name left
// behind by a crash is skipped.
int createTemporary(const std::string& path, std::string& tempPath) {
    std::string folder = folderOf(path);
    std::string base = baseNameOf(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%ld.%d.tmp", static_cast<long>(::getpid()), attempt);
        tempPath = (folder == "/" ? std::string("/") : folder + "/") + "." + base + suffix;
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -1;
    }
    return -1;
}

void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

WriteOutcome replaceFile(const std::string& path, std::span<const uint8_t> bytes) {
    struct stat old;
    bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || ::access(path.c_str(), W_OK) != 0))
        return WriteOutcome::CreateFailed;

    std::string temp;
    int fd = createTemporary(path, temp);
    if (fd < 0) return WriteOutcome::CreateFailed;
    if (exists) ::fchmod(fd, old.st_mode & 07777);

    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0) written = false;
    if (!written) {
        ::unlink(temp.c_str());
        return WriteOutcome::WriteFailed;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return WriteOutcome::CreateFailed;
    }
    syncFolder(folderOf(path));
    return WriteOutcome::Ok;
}

}  // namespace rs::data
