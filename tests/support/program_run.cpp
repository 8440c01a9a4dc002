#include "support/program_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "asm/asm.h"

namespace rs::test {

UserFolders::UserFolders() {
    for (const std::string& d : {data(), config(), runtime()}) mkdir(d.c_str(), 0700);
}

std::string UserFolders::saveFolder() const { return data() + "/SEIRAN-DO/yukibana"; }

std::string UserFolders::environmentFile() const {
    return saveFolder() + "/" + u8(u8"雪花ノ記憶.cfg");
}

void UserFolders::apply() const {
    setenv("XDG_DATA_HOME", data().c_str(), 1);
    setenv("XDG_CONFIG_HOME", config().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime().c_str(), 1);
}

ProgramRun runestage(const std::string& args, const UserFolders* folders) {
    std::optional<UserFolders> own;
    if (!folders) folders = &own.emplace();
    std::string cmd = "env XDG_DATA_HOME='" + folders->data() + "' XDG_CONFIG_HOME='" +
                      folders->config() + "' XDG_RUNTIME_DIR='" + folders->runtime() + "' " +
                      std::string(RS_RUNESTAGE) + " " + args + " 2>&1 >/dev/null";
    ProgramRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.err.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

pid_t spawnRunestage(const std::vector<std::string>& args, const UserFolders* folders,
                     const std::string& errFile) {
    // A run without folders of its own gets some that stay until the test program ends (the
    // run may outlive this call).
    static std::vector<std::unique_ptr<UserFolders>> kept;
    if (!folders) folders = kept.emplace_back(std::make_unique<UserFolders>()).get();
    std::vector<char*> argv;
    std::string program = RS_RUNESTAGE;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        folders->apply();
        int err = errFile.empty() ? open("/dev/null", O_WRONLY)
                                  : open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int waitForExit(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

void writeGame(const TempDir& dir, const std::string& source) {
    tools::AsmResult r = tools::assemble(source);
    ASSERT_TRUE(r.ok());
    dir.write(u8(u8"obj/雪花ノ記憶.o"), std::string(r.bytes.begin(), r.bytes.end()));
    dir.write("save/.keep", "");
}

void copyDemo(const TempDir& dir) {
    // The script, its music and sound effect, and a fresh save folder.
    std::string cmd = "cp -r '" + std::string(RS_DEMO_DIR) + "/.' '" + dir.path() +
                      "/' && rm -rf '" + dir.path() + "/save' && mkdir -p '" + dir.path() +
                      "/save'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

bool waitForLog(const TempDir& dir, const std::string& text, double seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (dir.read("save/rune_error.log").find(text) != std::string::npos) return true;
        usleep(10000);
    }
    return false;
}

}  // namespace rs::test
