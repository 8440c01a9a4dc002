// The four tools as a player or modder first meets them: the same answers to no arguments,
// --help, --version, and an input that is a folder or is missing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/test_game.h"

namespace rs::test {
namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun runTool(const std::string& program, const std::string& args) {
    TempDir dir;
    std::string cmd =
        program + " " + args + " >'" + dir.path() + "/out' 2>'" + dir.path() + "/err'";
    int st = std::system(cmd.c_str());
    ToolRun r;
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = dir.read("out");
    r.err = dir.read("err");
    return r;
}

struct Tool {
    const char* name;
    const char* path;
    const char* readsFolderAs;  // arguments that make the tool read the folder as its input
};

const Tool kTools[] = {
    {"rs-asm", RS_ASM_PATH, "FOLDER -o FOLDER/out.o"},
    {"rs-dis", RS_DIS_PATH, "FOLDER"},
    {"rs-img", RS_IMG_PATH, "info FOLDER"},
    {"rs-arc", RS_ARC_PATH, "list FOLDER"},  // reads FOLDER.at2
};

std::string withFolder(std::string args, const std::string& folder) {
    for (size_t at; (at = args.find("FOLDER")) != std::string::npos;)
        args.replace(at, 6, "'" + folder + "'");
    return args;
}

TEST(ToolPrograms, AnswerTheCommonOptionsAlike) {
    for (const Tool& t : kTools) {
        ToolRun none = runTool(t.path, "");
        EXPECT_EQ(none.status, 2) << t.name;
        EXPECT_EQ(none.err.rfind("Usage:", 0), 0u) << t.name << ": " << none.err;
        ToolRun help = runTool(t.path, "--help");
        EXPECT_EQ(help.status, 0) << t.name;
        EXPECT_EQ(help.out, none.err) << t.name;
        ToolRun version = runTool(t.path, "--version");
        EXPECT_EQ(version.status, 0) << t.name;
        EXPECT_EQ(version.out.rfind(std::string(t.name) + " ", 0), 0u) << version.out;
    }
}

TEST(ToolPrograms, AFolderOrAMissingInputIsOneLineAndStatusOne) {
    for (const Tool& t : kTools) {
        TempDir dir;
        dir.write("sub/x.txt", "x");
        dir.write("sub.at2/x.txt", "x");
        ToolRun r = runTool(t.path, withFolder(t.readsFolderAs, dir.path() + "/sub"));
        EXPECT_EQ(r.status, 1) << t.name << ": " << r.err;
        EXPECT_NE(r.err.find("is a folder, not a file"), std::string::npos) << t.name << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << t.name << ": " << r.err;
        ToolRun missing = runTool(t.path, withFolder(t.readsFolderAs, dir.path() + "/none"));
        EXPECT_EQ(missing.status, 1) << t.name;
        EXPECT_NE(missing.err.find("no such file"), std::string::npos) << t.name << missing.err;
    }
}

}  // namespace
}  // namespace rs::test
