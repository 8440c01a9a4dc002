#include "support/program_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "asm/asm.h"

namespace rs::test {

ProgramRun runestage(const std::string& args) {
    std::string cmd = std::string(RS_RUNESTAGE) + " " + args + " 2>&1 >/dev/null";
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

pid_t spawnRunestage(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = RS_RUNESTAGE;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
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
                      "/' && rm -rf '" + dir.path() + "/save' && mkdir -p '" + dir.path() + "/save'";
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
