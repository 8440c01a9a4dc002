// One running copy per user: the lock, the raise request of a second start, a lock left by a
// killed process, and the folder the lock lives in.
#include "platform/single_instance.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "support/test_game.h"

namespace rs::platform {
namespace {

using test::TempDir;

using Start = SingleInstance::Start;

std::unique_ptr<SingleInstance> acquire(const std::string& folder, Start& start) {
    std::string error;
    auto instance = SingleInstance::acquire(folder, &start, &error);
    EXPECT_EQ(error, "");
    return instance;
}

TEST(SingleInstance, ASecondStartFindsTheFirstAndAsksItToRaiseItsWindow) {
    TempDir dir;
    Start start = Start::Failed;
    auto first = acquire(dir.path(), start);
    ASSERT_EQ(start, Start::First);
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->takeRaiseRequest());

    Start second = Start::Failed;
    EXPECT_EQ(acquire(dir.path(), second), nullptr);
    EXPECT_EQ(second, Start::AlreadyRunning);
    EXPECT_TRUE(SingleInstance::askToRaise(dir.path(), 1000));
    EXPECT_TRUE(SingleInstance::askToRaise(dir.path(), 1000));
    EXPECT_TRUE(first->takeRaiseRequest());
    EXPECT_FALSE(first->takeRaiseRequest());
    EXPECT_EQ(first->raiseRequests(), 2);

    // When the first ends the next start is the first again.
    first.reset();
    auto again = acquire(dir.path(), start);
    EXPECT_EQ(start, Start::First);
    EXPECT_TRUE(again);
}

TEST(SingleInstance, ALockLeftByAKilledCopyNeverBlocks) {
    TempDir dir;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Start start = Start::Failed;
        std::string error;
        auto held = SingleInstance::acquire(dir.path(), &start, &error);
        char c = start == Start::First ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    ASSERT_EQ(c, 'y');
    Start start = Start::Failed;
    EXPECT_EQ(acquire(dir.path(), start), nullptr);
    EXPECT_EQ(start, Start::AlreadyRunning);

    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    // The lock file and the socket stay behind; neither keeps the next start from running.
    EXPECT_TRUE(dir.exists(SingleInstance::kLockName));
    EXPECT_TRUE(dir.exists(SingleInstance::kSocketName));
    EXPECT_FALSE(SingleInstance::askToRaise(dir.path(), 0));
    auto next = acquire(dir.path(), start);
    EXPECT_EQ(start, Start::First);
    ASSERT_TRUE(next);
    EXPECT_TRUE(SingleInstance::askToRaise(dir.path(), 1000));
    EXPECT_TRUE(next->takeRaiseRequest());
}

TEST(SingleInstance, TheFolderIsTheUsersOwnPrivateOne) {
    TempDir dir;
    std::string error;
    uid_t uid = getuid();
    auto folder = instanceFolder(dir.path().c_str(), uid, &error);
    ASSERT_TRUE(folder);
    EXPECT_EQ(*folder, dir.path() + "/runestage");
    struct stat st;
    ASSERT_EQ(stat(folder->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // A folder others may write into is refused, as is one that is not a folder.
    chmod(folder->c_str(), 0777);
    EXPECT_FALSE(instanceFolder(dir.path().c_str(), uid, &error));
    EXPECT_NE(error.find("private"), std::string::npos);
    chmod(folder->c_str(), 0700);
    TempDir other;
    other.write("runestage", "a file");
    EXPECT_FALSE(instanceFolder(other.path().c_str(), uid, &error));
    // Without XDG_RUNTIME_DIR (or with a relative one) the folder is under /tmp, per user.
    auto fallback = instanceFolder("relative", uid, &error);
    ASSERT_TRUE(fallback);
    EXPECT_EQ(*fallback, "/tmp/runestage-" + std::to_string(uid));
}

}  // namespace
}  // namespace rs::platform
