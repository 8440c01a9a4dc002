#include "support/program_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

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

void writeGame(const TempDir& dir, const std::string& source) {
    tools::AsmResult r = tools::assemble(source);
    ASSERT_TRUE(r.ok());
    dir.write(u8(u8"obj/雪花ノ記憶.o"), std::string(r.bytes.begin(), r.bytes.end()));
    dir.write("save/.keep", "");
}

}  // namespace rs::test
