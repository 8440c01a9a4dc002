#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "builtins/script_check.h"
#include "data/script_files.h"

namespace rs::builtins {
namespace {

namespace fs = std::filesystem;
using test::fatalAt;
using test::show;
using test::shownBy;
using test::TestGame;

constexpr const char* kWarningCaption = "ゲームシステムのエラー";

// Assembly for h = fopen(name, mode); `name` is an assembler literal (write "\\\\" for '\').
std::string open(int var, const std::string& name, int mode) {
    return "var " + std::to_string(var) + "\npushs \"" + name + "\"\npush " + std::to_string(mode) +
           "\ncmd fopen\n=\n;\n";
}
std::string setString(int var, const std::string& literal) {
    return "var " + std::to_string(var) + "\npushs \"" + literal + "\"\n=\n;\n";
}
// A command over a handle variable, a second variable and optionally a count.
std::string call(const char* cmd, int handleVar, int var, int count) {
    return "var " + std::to_string(handleVar) + "\nvar " + std::to_string(var) + "\npush " +
           std::to_string(count) + "\ncmd " + cmd + "\n;\n";
}
std::string call(const char* cmd, int handleVar, int var) {
    return "var " + std::to_string(handleVar) + "\nvar " + std::to_string(var) + "\ncmd " + cmd +
           "\n;\n";
}
std::string close(int handleVar) {
    return "var " + std::to_string(handleVar) + "\ncmd fclose\n;\n";
}

std::vector<std::string> runScript(TestGame& game, const std::string& source) {
    game.load(source + "cmd end\n");
    game.run(10000);
    return shownBy(game);
}

std::string saveDir(const TestGame& game) {
    return game.dir().path() + "/userdata/SEIRAN-DO/yukibana";
}

// The warnings the script showed, reduced to "place: message".
std::vector<std::string> warnings(const TestGame& game) {
    std::vector<std::string> out;
    for (const std::string& text : game.boxTexts(kWarningCaption)) {
        size_t place = text.find("場所：");
        size_t in = text.find(" in ");
        size_t what = text.find("症状：");
        if (place == std::string::npos || in == std::string::npos || what == std::string::npos)
            continue;
        std::string message = text.substr(what + std::string("症状：").size());
        if (!message.empty() && message.back() == '\n') message.pop_back();
        out.push_back(text.substr(place + std::string("場所：").size(),
                                  in - place - std::string("場所：").size()) +
                      ": " + message);
    }
    return out;
}

const runtime::Value* globalValue(TestGame& game, int number, size_t element = 0) {
    runtime::Variable* v = game.engine().globals.find(number);
    return v && element < v->elements.size() ? v->elements[element] : nullptr;
}

std::string storedBytes(const runtime::Value* v) {
    if (!v || v->type != runtime::kString) return "(not a string)";
    return std::string(v->u.s->data.get(), static_cast<size_t>(v->u.s->length));
}

TEST(FileCommands, OpenModesThatOnlyAsk) {
    TestGame game;
    game.dir().write("data/a.txt", "x");
    game.dir().write("userdata/SEIRAN-DO/yukibana/there.dat", "x");
    auto shown =
        runScript(game, show("pushs \"\"\npush -3\ncmd fopen") +
                            show("pushs \"there.dat\"\npush -2\ncmd fopen") +
                            show("pushs \"THERE.DAT\"\npush -2\ncmd fopen") +
                            show("pushs \"missing.dat\"\npush -2\ncmd fopen") +
                            show("pushs \"data\\\\a.txt\"\npush -1\ncmd fopen") +
                            show("pushs \"data\\\\b.txt\"\npush -1\ncmd fopen") +
                            show("pushs \"..\\\\yukibana\\\\there.dat\"\npush -2\ncmd fopen") +
                            show("pushs \"missing.dat\"\npush 0\ncmd fopen") +
                            show("pushs \"missing.dat\"\npush 6\ncmd fopen"));
    EXPECT_EQ(shown,
              (std::vector<std::string>{saveDir(game), "1", "1", "0", "1", "0", "0", "-1", "-1"}));
}

TEST(FileCommands, SavedFilesAreFoundInAnyLetterCaseAtOnce) {
    // Each name is looked for before it is saved, and in other letters right after.
    auto exists = [](const char* name) {
        return show("pushs \"" + std::string(name) + "\"\npush -2\ncmd fopen");
    };
    TestGame game;
    auto shown = runScript(
        game, exists("DATA.SAV") + open(0, "data.sav", 7) + close(0) + exists("DATA.SAV") +
                  exists("NOTE.TXT") + setString(1, "note") + open(0, "note.txt", 5) +
                  call("fwrite", 0, 1, 4) + close(0) + exists("Note.Txt") + open(0, "NOTE.TXT", 4) +
                  call("fread", 0, 2, 9) + show("var 2"));
    EXPECT_EQ(shown, (std::vector<std::string>{"0", "1", "0", "1", "note"}));
}

TEST(FileCommands, BadModesAndNamesAreFatal) {
    EXPECT_EQ(test::valueOf("pushs \"a\"\npush 8\ncmd fopen"),
              fatalAt("fopen", "モード指定が変です"));
    EXPECT_EQ(test::valueOf("pushs \"a\"\npush -4\ncmd fopen"),
              fatalAt("fopen", "モード指定が変です"));
    EXPECT_EQ(test::valueOf("push 5\npush 0\ncmd fopen"),
              fatalAt("fopen", "引数が文字列になっていません"));
    EXPECT_EQ(test::valueOf("push 5\ncmd readdata"),
              fatalAt("readdata", "引数が文字列になっていません"));
}

TEST(FileCommands, SaveFolderWritesMakeTheFoldersAtOnceAndTheFileAtClose) {
    TestGame game;
    // The first turn ends at the wait, before the close.
    game.load(setString(1, "data") + open(0, "sub\\\\x.dat", 5) + call("fwrite", 0, 1, 4) +
              show("var 0") + "push 100\ncmd wait\n" + close(0) + open(0, "nosuch\\\\x.dat", 1) +
              close(0) + "cmd end\n");
    EXPECT_FALSE(game.run(2));  // the first turn only lets the clock reach the start
    EXPECT_EQ(shownBy(game), std::vector<std::string>{"1"});  // the first handle
    EXPECT_TRUE(fs::is_directory(saveDir(game) + "/sub"));
    EXPECT_FALSE(game.dir().exists("userdata/SEIRAN-DO/yukibana/sub/x.dat"));
    EXPECT_TRUE(game.run(100));
    EXPECT_EQ(game.dir().read("userdata/SEIRAN-DO/yukibana/sub/x.dat"), "data");

    // In the game folder no folder is made: that save fails at close.
    ASSERT_EQ(game.boxTexts("error on writefile").size(), 1u);
    EXPECT_NE(game.boxTexts("error on writefile")[0].find("nosuch/x.dat』のセーブに失敗しました"),
              std::string::npos);
}

TEST(FileCommands, FreadTakesWhatIsLeft) {
    TestGame game;
    game.dir().write("in.dat", std::string("0123456789ab\0d", 14));
    runScript(game, "var 1\nglobal\nvar 2\nglobal\nvar 3\nglobal\n" + open(0, "in.dat", 0) +
                        call("fread", 0, 1, 10) + call("fread", 0, 2, 10) +
                        call("fread", 0, 3, 10));
    EXPECT_EQ(storedBytes(globalValue(game, 1)), "0123456789");
    // Four bytes before the end a count of 10 gives a string of stored length 4.
    EXPECT_EQ(storedBytes(globalValue(game, 2)), std::string("ab\0d", 4));
    EXPECT_EQ(storedBytes(globalValue(game, 3)), "");
}

TEST(FileCommands, FwriteIsBoundedByTheString) {
    TestGame game;
    runScript(game, setString(1, "ab") + open(0, "out.dat", 1) + call("fwrite", 0, 1, 100) +
                        call("fwrite", 0, 1, 1) + call("fwrite", 0, 1, -5) + close(0));
    EXPECT_EQ(game.dir().read("out.dat"), std::string("ab\0a", 4));
}

TEST(FileCommands, HandlesMisusedInEveryCommand) {
    TestGame game;
    game.dir().write("in.dat", "abc");
    std::string script = setString(1, "x") + open(5, "in.dat", 0) + "var 6\npush 99\n=\n;\n" +
                         close(6) + "push 0\ncmd fclose\n;\n" +  // never a handle
                         "push -1\ncmd fclose\n;\n" +            // no file: nothing at all
                         call("fread", 6, 1, 1) + call("fwrite", 6, 1, 1) + call("fload", 6, 1) +
                         "push -1\nvar 1\ncmd fload\n;\n" + call("fsave", 6, 1) +
                         show("var 6\npush 0\ncmd ftime") + close(5) + close(5) +
                         show("pushs \"still running\"");
    EXPECT_EQ(runScript(game, script), (std::vector<std::string>{"-1", "still running"}));
    EXPECT_EQ(warnings(game), (std::vector<std::string>{
                                  "fclose: 無効なハンドルです", "fclose: 無効なハンドルです",
                                  "fread: 無効なハンドルです", "fwrite: 無効なハンドルです",
                                  "fload: 無効なハンドルです", "fload: 無効なハンドルです",
                                  "fsave: 無効なハンドルです", "ftime: 無効なハンドルです",
                                  "fclose: 無効なハンドルです",  // closed twice
                              }));
    // The variable given to the failed commands is untouched.
    EXPECT_EQ(shownBy(game).size(), 2u);
}

TEST(FileCommands, ReadingAWriteHandleAndWritingAReadHandleAreFatal) {
    std::string readHandle = "var 1\npushs \"s\"\n=\n;\n" + open(0, "in.dat", 0);
    TestGame a;
    a.dir().write("in.dat", "abc");
    runScript(a, readHandle + call("fwrite", 0, 1, 1));
    EXPECT_EQ(shownBy(a).back(), fatalAt("fwrite", "読みこみファイルに書きこもうとしました"));

    TestGame b;
    runScript(b, open(0, "out.dat", 1) + call("fread", 0, 1, 1));
    EXPECT_EQ(shownBy(b).back(), fatalAt("fread", "書き込みファイルから読みこもうとしました"));
    EXPECT_FALSE(b.dir().exists("out.dat"));  // a handle never closed writes nothing

    TestGame c;
    runScript(c, open(0, "out.dat", 1) + "var 1\npush 5\n=\n;\n" + call("fwrite", 0, 1, 1));
    EXPECT_EQ(shownBy(c).back(), fatalAt("fwrite", "書き込みデータが文字列でないです"));

    // An array index out of range gives fread no variable to store into.
    TestGame d;
    d.dir().write("in.dat", "abc");
    runScript(d, "var 1\npush 2\ncmd dim\n;\n" + open(0, "in.dat", 0) +
                     "var 0\npush 7\nvar 1\npush 1\ncmd fread\n;\n");
    EXPECT_EQ(shownBy(d).back(), fatalAt("fread", "代入先が変数になっていません"));
}

TEST(FileCommands, VariablesAreSavedAndRestored) {
    TestGame game;
    // v1 = [1, 2.5, "ab"], saved to a plain file and restored into the global v2.
    std::string fill =
        "var 1\npush 3\ncmd dim\n;\n"
        "push 0\nvar 1\npush 1\n=\n;\n"
        "push 1\nvar 1\npushf 2.5\n=\n;\n"
        "push 2\nvar 1\npushs \"ab\"\n=\n;\n";
    runScript(game, fill + open(0, "vars.dat", 1) + call("fsave", 0, 1) + close(0) +
                        "var 2\nglobal\n" + open(0, "vars.dat", 0) + call("fload", 0, 2) +
                        close(0));
    std::string expected;
    for (int32_t w : {3, 1, 1, 2, 0x40200000, 3, 3})
        expected.append(reinterpret_cast<const char*>(&w), 4);
    expected.append("ab\0", 3);
    EXPECT_EQ(game.dir().read("vars.dat"), expected);
    runtime::Variable* v = game.engine().globals.find(2);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->dim, 3);
    EXPECT_EQ(v->elements[0]->u.i, 1);
    EXPECT_EQ(v->elements[1]->u.r, 2.5f);
    EXPECT_EQ(storedBytes(v->elements[2]), std::string("ab\0", 3));
    EXPECT_TRUE(game.boxTexts(kWarningCaption).empty());
}

TEST(FileCommands, DamagedVariableDataIsAWarning) {
    TestGame game;
    std::string big("\xff\xff\xff\x7f", 4);  // a dim beyond any pool
    game.dir().write("bad.dat", big);
    runScript(game, "var 2\nglobal\nvar 2\npush 4\ncmd dim\n;\n" + open(0, "bad.dat", 0) +
                        call("fload", 0, 2) + show("pushs \"goes on\""));
    EXPECT_EQ(shownBy(game), std::vector<std::string>{"goes on"});
    EXPECT_EQ(warnings(game),
              std::vector<std::string>{
                  "fload: 壊れたデータを読み込もうとしました\n読み込みを中断します"});
    runtime::Variable* v = game.engine().globals.find(2);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->dim, 0);
    ASSERT_EQ(v->elements.size(), 1u);
    EXPECT_EQ(v->elements[0], nullptr);
}

// Sets TZ for the life of the object.
class TimeZone {
  public:
    explicit TimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (saved_.empty()) {
            ::unsetenv("TZ");
        } else {
            ::setenv("TZ", saved_.c_str(), 1);
        }
        ::tzset();
    }

  private:
    std::string saved_;
};

TEST(FileCommands, FileTimes) {
    TimeZone utc("UTC0");
    TestGame game;
    game.dir().write("old.dat", "x");
    // 2001-02-03 04:05:06.789 UTC, a Saturday.
    timespec times[2] = {{981173106, 789000000}, {981173106, 789000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (game.dir().path() + "/old.dat").c_str(), times, 0), 0);
    std::string script;
    for (int field = 0; field <= 8; ++field)
        script += show("push 0\npush " + std::to_string(field) + "\ncmd ftime");
    script += open(0, "old.dat", 0);
    for (int field = -1; field <= 8; ++field)
        script += show("var 0\npush " + std::to_string(field) + "\ncmd ftime");
    // A file still being written does not exist yet.
    script += open(1, "new.dat", 1) + show("var 1\npush 0\ncmd ftime");
    EXPECT_EQ(runScript(game, script),
              (std::vector<std::string>{
                  "2026", "12",   "6", "0", "12", "34", "56", "0", "-1",  // the clock: a Sunday
                  "-1",   "2001", "2", "3", "6",  "4",  "5",  "6", "789", "-1", "-1"}));
}

TEST(FileCommands, ReadDataFile) {
    TestGame game;
    game.dir().write("data/blob.bin", std::string("a\0b", 3));
    game.dir().write("data/empty.bin", "");
    runScript(game, "var 1\nglobal\nvar 1\npushs \"data\\\\blob.bin\"\ncmd readdata\n=\n;\n" +
                        show("pushs \"data\\\\empty.bin\"\ncmd readdata") +
                        show("pushs \"data\\\\none.bin\"\ncmd readdata") +
                        show("pushs \"..\\\\data\\\\blob.bin\"\ncmd readdata") +
                        show("pushs \"data\\\\empty.bin\"\ncmd readdata\ncmd typeof"));
    EXPECT_EQ(storedBytes(globalValue(game, 1)), std::string("a\0b", 3));
    EXPECT_EQ(shownBy(game), (std::vector<std::string>{"0", "0", "0", "1"}));
}

TEST(FileCommands, NamesOutsideTheFoldersAreRefused) {
    TestGame game;
    game.dir().write("userdata/SEIRAN-DO/in.dat", "secret");
    std::string script;
    for (int mode = 0; mode <= 7; ++mode)
        script += show("pushs \"..\\\\in.dat\"\npush " + std::to_string(mode) + "\ncmd fopen");
    script += show("pushs \"/etc/hostname\"\npush 0\ncmd fopen");
    script += show("pushs \"C:\\\\x.dat\"\npush 1\ncmd fopen");
    script += show("pushs \"sub\\\\..\\\\..\\\\up.dat\"\npush 5\ncmd fopen");
    std::vector<std::string> expected(11, "-1");
    EXPECT_EQ(runScript(game, script), expected);
    EXPECT_EQ(game.dir().read("userdata/SEIRAN-DO/in.dat"), "secret");
    EXPECT_FALSE(fs::exists(saveDir(game) + "/sub"));
    EXPECT_FALSE(fs::exists(fs::path(game.dir().path()).parent_path() / "in.dat"));
    // Each refused write is logged with the name.
    std::string log = game.log();
    EXPECT_NE(log.find("fopen\r\nフォルダの外を指すファイル名なので書き込みません：..\\in.dat\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("書き込みません：C:\\x.dat"), std::string::npos);
    EXPECT_NE(log.find("書き込みません：sub\\..\\..\\up.dat"), std::string::npos);
    size_t entries = 0;
    for (size_t at = log.find("書き込みません"); at != std::string::npos;
         at = log.find("書き込みません", at + 1))
        ++entries;
    EXPECT_EQ(entries, 6u);  // modes 1, 3, 5, 7 and the two names above
}

TEST(FileCommands, DamagedGameDataAndFailedSavesFromScripts) {
    TestGame game;
    game.dir().write("bad.dat", std::string("\x01\x00\x00\x00\x05", 5) + std::string(256, '\0'));
    // The save folder cannot be made: a regular file stands where it should be.
    game.dir().write("userdata/SEIRAN-DO", "in the way");
    runScript(game, show("pushs \"bad.dat\"\npush 2\ncmd fopen") + setString(1, "x") +
                        open(0, "a.dat", 7) + call("fwrite", 0, 1, 1) + close(0) +
                        open(0, "b.dat", 7) + close(0) + open(0, "c.dat", 5) + close(0));
    EXPECT_EQ(shownBy(game), std::vector<std::string>{"-1"});
    EXPECT_EQ(game.boxTexts("ゲームデータの読み込み"),
              std::vector<std::string>{"データが化けています"});
    // Two game-data failures, one box; the plain one has its own box.
    EXPECT_EQ(game.boxTexts("セーブデータの保存").size(), 1u);
    EXPECT_EQ(game.boxTexts("error on writefile").size(), 1u);
}

// Waits up to five seconds for a file that another program writes; its contents, or "".
std::string awaitFile(const std::string& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(FileCommands, ShellExecRunsTheOpenerWithoutAShell) {
    TestGame game;
    // A stand-in for the desktop's opener records its working folder and arguments.
    std::string bin = game.dir().path() + "/bin";
    std::string record = game.dir().path() + "/opened.txt";
    game.dir().write("bin/xdg-open",
                     "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > \"" + record +
                         ".part\"\nmv \"" + record + ".part\" \"" + record + "\"\n");
    ::chmod((bin + "/xdg-open").c_str(), 0755);
    game.dir().write("Docs/Read Me.txt", "hello");
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (bin + ":" + oldPath).c_str(), 1);

    // A text that names no file goes to the opener as it is (no shell sees it), run in Docs,
    // named by its absolute path in other letters.
    game.load("pushs \"read me.txt; echo no\"\npushs \"" + game.dir().path() +
              "/DOCS\"\ncmd shellexec\n" + show("pushs \"after\"") + "push 100\ncmd wait\n" +
              "pushs \"docs\\\\read me.txt\"\npushs \"\"\ncmd shellexec\ncmd end\n");
    game.run(2);
    EXPECT_EQ(shownBy(game), std::vector<std::string>{"after"});
    EXPECT_EQ(awaitFile(record), game.dir().path() + "/Docs\n[read me.txt; echo no]\n");
    fs::remove(record);

    // An existing file goes by its host path; no folder means the game folder.
    game.run(100);
    EXPECT_EQ(awaitFile(record),
              game.dir().path() + "\n[" + game.dir().path() + "/Docs/Read Me.txt]\n");
    ::setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(game.boxes().size(), 1u);  // "after" alone: failures or not, nothing is reported
}

TEST(FileCommands, ShellExecNeedsTwoStrings) {
    const std::string message = "引数が文字列になっていません。あるいは足りません（２個必要です）";
    EXPECT_EQ(test::valueOf("pushs \"a\"\npush 1\ncmd shellexec\npush 0"),
              fatalAt("shellexec", message));
    EXPECT_EQ(test::valueOf("push 1\npushs \"a\"\ncmd shellexec\npush 0"),
              fatalAt("shellexec", message));
    EXPECT_EQ(test::valueOf("pushs \"a\"\ncmd shellexec\npush 0"), fatalAt("shellexec", message));
}

}  // namespace
}  // namespace rs::builtins
