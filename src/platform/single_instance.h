// One running copy per user, as the original's named mutex "RUNE" gave: a lock file held for the
// run and a local socket beside it. The kernel lets go of the lock when the process ends, however
// it ends, so a copy that was killed never blocks the next start. A second start does not run: it
// connects to the socket, which asks the running copy to bring its window to the front.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

namespace rs::platform {

// The folder of the lock and the socket: "$XDG_RUNTIME_DIR/runestage", else "/tmp/runestage-<uid>"
// (made private to the user; refused when it exists but is not the user's own private folder).
// None, with the reason, when neither can be had.
std::optional<std::string> instanceFolder(const char* xdgRuntimeDir, uid_t uid, std::string* error);

class SingleInstance {
  public:
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Start { First, AlreadyRunning, Failed };
    // Tries to become the running copy: takes the lock in `folder` (made when missing) and
    // listens on the socket. AlreadyRunning when another process holds the lock; Failed (with
    // the reason) when the lock cannot be taken at all.
    static std::unique_ptr<SingleInstance> acquire(const std::string& folder, Start* start,
                                                   std::string* error);
    // A second start: asks the running copy to raise its window, trying for at most `waitMs`
    // (the first copy may still be starting). False when it could not be reached.
    static bool askToRaise(const std::string& folder, int waitMs);

    // True when raise requests arrived since the last call (never waits).
    bool takeRaiseRequest();
    // The requests received so far.
    int64_t raiseRequests() const { return requests_; }

    static constexpr const char* kLockName = "RUNE.lock";
    static constexpr const char* kSocketName = "RUNE.sock";

  private:
    SingleInstance() = default;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::string socketPath_;
    int64_t requests_ = 0;
};

}  // namespace rs::platform
