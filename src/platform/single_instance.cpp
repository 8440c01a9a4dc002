#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace rs::platform {

namespace {

// A folder the user alone owns and can write: made when missing, refused otherwise (a folder of
// another user, a symbolic link, one others may write into).
bool privateFolder(const std::string& path, uid_t uid, std::string* error) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error) *error = "cannot create '" + path + "': " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (error) *error = "'" + path + "' is not a folder";
        return false;
    }
    if (st.st_uid != uid || (st.st_mode & 077) != 0) {
        if (error) *error = "'" + path + "' is not a private folder of this user";
        return false;
    }
    return true;
}

bool socketAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string inFolder(const std::string& folder, const char* name) { return folder + "/" + name; }

}  // namespace

std::optional<std::string> instanceFolder(const char* xdgRuntimeDir, uid_t uid,
                                          std::string* error) {
    if (xdgRuntimeDir && xdgRuntimeDir[0] == '/') {
        std::string folder = std::string(xdgRuntimeDir) + "/runestage";
        if (privateFolder(folder, uid, error)) return folder;
        return std::nullopt;
    }
    std::string folder = "/tmp/runestage-" + std::to_string(uid);
    if (privateFolder(folder, uid, error)) return folder;
    return std::nullopt;
}

std::unique_ptr<SingleInstance> SingleInstance::acquire(const std::string& folder, Start* start,
                                                        std::string* error) {
    *start = Start::Failed;
    std::unique_ptr<SingleInstance> self(new SingleInstance());
    std::string lockPath = inFolder(folder, kLockName);
    self->lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (self->lockFd_ < 0) {
        if (error) *error = "cannot open '" + lockPath + "': " + std::strerror(errno);
        return nullptr;
    }
    if (::flock(self->lockFd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            *start = Start::AlreadyRunning;
        } else if (error) {
            *error = "cannot lock '" + lockPath + "': " + std::strerror(errno);
        }
        return nullptr;
    }
    *start = Start::First;
    // The lock is ours: a socket left by a copy that was killed is stale.
    std::string socketPath = inFolder(folder, kSocketName);
    sockaddr_un address;
    if (!socketAddress(socketPath, address)) {
        if (error) *error = "the path '" + socketPath + "' is too long for a local socket";
        return self;
    }
    ::unlink(socketPath.c_str());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return self;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        if (error) *error = "cannot listen on '" + socketPath + "': " + std::strerror(errno);
        ::close(fd);
        return self;
    }
    self->listenFd_ = fd;
    self->socketPath_ = socketPath;
    return self;
}

SingleInstance::~SingleInstance() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) ::close(lockFd_);
}

bool SingleInstance::askToRaise(const std::string& folder, int waitMs) {
    sockaddr_un address;
    if (!socketAddress(inFolder(folder, kSocketName), address)) return false;
    constexpr int kStepMs = 20;
    for (int waited = 0;; waited += kStepMs) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            static const char kRequest[] = "raise\n";
            ssize_t n = ::send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL);
            ::close(fd);
            return n > 0;
        }
        ::close(fd);
        if (waited >= waitMs) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    }
}

bool SingleInstance::takeRaiseRequest() {
    if (listenFd_ < 0) return false;
    bool any = false;
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) break;
        // Whoever connects asks for the window; what it sends does not matter.
        ::close(fd);
        ++requests_;
        any = true;
    }
    return any;
}

}  // namespace rs::platform
