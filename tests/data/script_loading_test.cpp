#include <gtest/gtest.h>

#include <filesystem>

#include "data/archive_test_util.h"
#include "data/engine_resources.h"
#include "data/load_cache.h"
#include "runtime/interpreter.h"
#include "runtime/script_loader.h"
#include "shell/startup.h"

namespace rs::test {
namespace {

// A statement that shows `text` (assembler syntax, UTF-8) in an information box.
std::string show(const std::string& text) {
    return " push -1\n push 0\n push 0\n push 0\n push 0\n push 0\n push 0\n pushs \"" + text +
           "\"\n cmd print\n ;\n";
}

std::string script(const std::string& body) { return body + " cmd end\n"; }

std::string objectOf(const std::string& source) { return textOf(TestGame::assembleOrFail(source)); }

// Writes obj/<name>.o (name: host path text) into a folder.
void writeObject(const TempDir& dir, const std::string& name, const std::string& source) {
    dir.write("obj/" + name + ".o", objectOf(source));
}

// Runs a thread's byte code directly until it ends (at most `steps` commands).
void runToEnd(Engine& e, runtime::ScriptThread& t, int steps = 100) {
    while (steps-- > 0 && runtime::run(e, t) == 0) {
    }
}

TEST(StartUp, LoadsTheFirstScriptFromEveryPlace) {
    const std::string started = objectOf(script(show("started")));
    std::string error;
    auto archive = data::buildArchive({{"雪花ノ記憶.o", bytesOf(started)}}, error);
    ASSERT_TRUE(archive) << error;
    struct Case {
        const char* what;
        std::function<void(const TempDir& game, const TempDir& data)> place;
    };
    auto writeArchiveTo = [&](const TempDir& dir) {
        dir.write("obj.at2", textOf(archive->directory));
        dir.write("obj.nme", textOf(archive->names));
        dir.write("obj.det", textOf(archive->data));
    };
    const Case cases[] = {
        {"loose, UTF-8 name",
         [&](const TempDir& g, const TempDir&) { g.write(u8(u8"obj/雪花ノ記憶.o"), started); }},
        {"loose, Shift-JIS name",
         [&](const TempDir& g, const TempDir&) { g.write("obj/雪花ノ記憶.o", started); }},
        {"loose, under -path",
         [&](const TempDir&, const TempDir& d) { d.write(u8(u8"OBJ/雪花ノ記憶.o"), started); }},
        {"archive in the game folder",
         [&](const TempDir& g, const TempDir&) { writeArchiveTo(g); }},
        {"archive under -path", [&](const TempDir&, const TempDir& d) { writeArchiveTo(d); }},
    };
    for (const Case& c : cases) {
        TestGame game;
        TempDir data;
        c.place(game.dir(), data);
        game.engine().app.dataFolderPrefix = data.path();
        EXPECT_EQ(shell::runGame(game.engine()), 0) << c.what;
        EXPECT_EQ(game.boxTexts("情報"), std::vector<std::string>{"started"}) << c.what;
    }
}

TEST(StartUp, MissingFirstScriptStopsTheGame) {
    TestGame game;
    game.dir().write("obj/雪花ノ記憶.o", "");  // empty files do not load
    EXPECT_EQ(shell::runGame(game.engine()), 1);
    ASSERT_EQ(game.boxes().size(), 1u);
    EXPECT_EQ(game.boxes()[0].caption, "起動時のエラー");
    EXPECT_EQ(game.boxes()[0].text,
              "起動時に必要なファイルが読めません\nインストールしたフォルダに異常がないか\n"
              "またはＣＤがちゃんと挿入されているか\n確認し直してみてください");
    EXPECT_FALSE(game.engine().app.mainWindow);
}

TEST(LoadCache, ThreadsShareOneCopy) {
    TestGame game;
    Engine& e = game.engine();
    writeObject(game.dir(), "s", script(show("s")));
    runtime::ScriptThread* a = e.threads.create(1);
    runtime::ScriptThread* b = e.threads.create(2);
    ASSERT_TRUE(runtime::loadScript(e, *a, "s"));
    std::filesystem::remove(game.dir().path() +
                            "/obj/s.o");  // read once: the cache serves the rest
    ASSERT_TRUE(runtime::loadScript(e, *b, "s"));
    EXPECT_TRUE(a->code.shared);
    EXPECT_EQ(a->code.bytes, b->code.bytes);
    EXPECT_EQ(b->name, "s");
    EXPECT_EQ(b->line, -1);
    EXPECT_EQ(b->ended, 0);
    e.threads.destroy(1, e.pool, e.globals);
    runToEnd(e, *b);  // still runs on the shared bytes
    EXPECT_EQ(game.boxTexts("情報"), std::vector<std::string>{"s"});
    EXPECT_EQ(e.loadCache->usedCount(), 1);
}

TEST(LoadCache, HoldsTheFirst128Scripts) {
    TestGame game;
    Engine& e = game.engine();
    const std::string tiny = objectOf(script(""));
    for (int i = 0; i <= 128; ++i) game.dir().write("obj/s" + std::to_string(i) + ".o", tiny);
    game.dir().write("obj/empty.o", "");
    runtime::ScriptThread* t = e.threads.create(1);

    EXPECT_FALSE(runtime::loadScript(e, *t, "empty")) << "an empty file fails while there is room";
    EXPECT_EQ(t->code.bytes, nullptr);
    for (int i = 0; i < 128; ++i) ASSERT_TRUE(runtime::loadScript(e, *t, "s" + std::to_string(i)));
    EXPECT_EQ(e.loadCache->usedCount(), 128);
    EXPECT_FALSE(runtime::loadScript(e, *t, "empty")) << "and when the cache is full";

    ASSERT_TRUE(runtime::loadScript(e, *t, "s128"));
    EXPECT_FALSE(t->code.shared) << "the 129th script is the thread's own";
    EXPECT_EQ(static_cast<size_t>(t->code.size), tiny.size());
    for (int i = 0; i <= 128; ++i)
        std::filesystem::remove(game.dir().path() + "/obj/s" + std::to_string(i) + ".o");
    EXPECT_FALSE(runtime::loadScript(e, *t, "s128")) << "it is read on every load";
    EXPECT_TRUE(runtime::loadScript(e, *t, "s0"));
    EXPECT_TRUE(t->code.shared);
    EXPECT_EQ(e.loadCache->usedCount(), 128);
}

TEST(LoadCache, NamesCompareExactly) {
    TestGame game;
    Engine& e = game.engine();
    writeObject(game.dir(), "abc", script(""));
    runtime::ScriptThread* t = e.threads.create(1);
    ASSERT_TRUE(runtime::loadScript(e, *t, "abc"));
    ASSERT_TRUE(runtime::loadScript(e, *t, "ABC")) << "found on disk without case: a second entry";
    EXPECT_EQ(e.loadCache->usedCount(), 2);
    // A buffer released by its holder keeps the cached bytes alive.
    data::ResourceBuffer buffer;
    data::ResourceContext ctx = data::resourceContext(e);
    ASSERT_TRUE(data::OpenCachedResource(*e.loadCache, ctx, buffer, "obj\\abc.o"));
    EXPECT_TRUE(buffer.cached);
    EXPECT_EQ(buffer.data, e.loadCache->slot(0).data.get());
    data::ReleaseResourceBuffer(buffer);
    EXPECT_EQ(buffer.data, nullptr);
    EXPECT_NE(e.loadCache->slot(0).data, nullptr);
    EXPECT_FALSE(data::OpenCachedResource(*e.loadCache, ctx, buffer, "obj\\missing.o"));
    EXPECT_EQ(e.loadCache->usedCount(), 2) << "a failed load takes no slot";
    EXPECT_FALSE(runtime::loadScript(e, *t, std::string(2100, 'x')));
}

TEST(Chain, ReplacesTheScriptAndStartsOver) {
    TestGame game;
    writeObject(game.dir(), "two", script(show(u8(u8"two [\\{5}]"))));
    game.load(u8(u8".var v 5\n var v\n push 1\n =\n ;\n") + show("one") +
              " pushs \"two\"\n cmd chain\n" + show("not reached"));
    EXPECT_TRUE(game.run());
    // The local of the first script is gone: the interpolation inserts nothing.
    EXPECT_EQ(game.boxTexts("情報"), (std::vector<std::string>{"one", "two []"}));
}

TEST(Chain, Failures) {
    struct Case {
        const char* argument;
        std::string expected;
    };
    const Case cases[] = {
        {"pushs \"nothing\"",
         "場所：ファイル実行(1) in -1\n(0:test)\n症状：実行用ファイル(nothing)が読めませんでした\n"
         "インストールしたフォルダに異常がないか\nまたはＣＤに異常がないか\n確認し直してみてくださ"
         "い\n"
         "ゲームを停止します"},
        {"push 3", "場所：ファイル実行(1) in -1\n("},
    };
    for (const Case& c : cases) {
        TestGame game;
        game.load(std::string(" ") + c.argument + "\n cmd chain\n" + show("not reached"));
        EXPECT_TRUE(game.run());
        auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
        ASSERT_EQ(fatal.size(), 1u) << c.argument;
        EXPECT_EQ(fatal[0].substr(0, c.expected.size()), c.expected) << c.argument;
        EXPECT_TRUE(game.boxTexts("情報").empty());
    }
}

// The child binds its two arguments and shows them with their count.
const char8_t* kChild =
    u8R"(.var n 1
.var a 2
.var b 3
 var n
 cmd argcount
 =
 ;
 var a
 cmd argval
 var b
 cmd argval
)";

TEST(Spawn, StartsAThreadWithTheArguments) {
    TestGame game;
    Engine& e = game.engine();
    writeObject(game.dir(), "child", script(u8(kChild) + show(u8(u8"\\{n}:\\{a},\\{b}"))));
    runtime::ScriptThread& main = game.load(
        u8(u8".var x 10\n var x\n pushs \"child\"\n push 7\n push 8\n cmd spawn\n =\n ;\n") +
        show(u8(u8"slot \\{x}")));
    runToEnd(e, main);
    runtime::ScriptThread* child = e.threads.at(1);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(main.next_index, 1);
    EXPECT_EQ(child->self_index, 1);
    EXPECT_EQ(child->next_index, -1);
    EXPECT_EQ(child->name, "child");
    EXPECT_EQ(child->ended, 0);
    // The arguments, moved top first: the new stack holds 8 then 7, under the first call frame.
    ASSERT_EQ(child->psp, 2);
    EXPECT_EQ(child->param_stack[0]->u.i, 8);
    EXPECT_EQ(child->param_stack[1]->u.i, 7);
    EXPECT_EQ(child->frame_count, 2);
    EXPECT_EQ(child->frame_bases[1], 2);
    runToEnd(e, *child);
    EXPECT_EQ(game.boxTexts("情報"), (std::vector<std::string>{"slot 1", "2:7,8"}));
    EXPECT_TRUE(game.boxTexts("ゲームシステムのエラー").empty()) << "no cells left over";
}

TEST(Spawn, NameFromAVariableAndNoArguments) {
    TestGame game;
    Engine& e = game.engine();
    writeObject(game.dir(), "child", script(show("child")));
    runtime::ScriptThread& main = game.load(u8(u8".var s 3\n.var x 4\n var s\n pushs \"child\"\n "
                                               u8"=\n ;\n var x\n var s\n cmd spawn\n =\n ;\n") +
                                            show(u8(u8"\\{x}")));
    runToEnd(e, main);
    runtime::ScriptThread* child = e.threads.at(1);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->psp, 0);
    EXPECT_EQ(child->frame_count, 1);
    runToEnd(e, *child);
    EXPECT_EQ(game.boxTexts("情報"), (std::vector<std::string>{"1", "child"}));
}

TEST(Spawn, FullTableGivesMinusOne) {
    TestGame game;
    Engine& e = game.engine();
    for (int i = 1; i < runtime::kThreadCount; ++i) e.threads.create(i);
    runtime::ScriptThread& main =
        game.load(u8(u8".var x 10\n var x\n pushs \"child\"\n push 7\n cmd spawn\n =\n ;\n") +
                  show(u8(u8"\\{x}")));
    runToEnd(e, main);
    EXPECT_EQ(game.boxTexts("情報"), std::vector<std::string>{"-1"});
    EXPECT_TRUE(game.boxTexts("ゲームシステムのエラー").empty());
}

TEST(Spawn, Failures) {
    struct Case {
        const char* what;
        const char* source;
        const char* message;
    };
    const Case cases[] = {
        {"missing script", " push 0\n pushs \"missing\"\n cmd spawn\n",
         "場所：ファイル実行(2) in "
         "-1\n(8:test)\n症状：実行用ファイル(missing)が読めませんでした\n"},
        {"only one cell: no name", " pushs \"child\"\n cmd spawn\n",
         "場所：ファイル実行(2) in -1\n(7:test)\n症状：パラメータがありません\n"},
        {"name not a string", " push 0\n push 5\n cmd spawn\n",
         "場所：ファイル実行(2) in -1\n(5:test)\n症状：引数が文字列になっていません\n"},
    };
    for (const Case& c : cases) {
        TestGame game;
        writeObject(game.dir(), "child", script(""));
        game.load(std::string(c.source) + show("not reached"));
        EXPECT_TRUE(game.run()) << c.what;
        auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
        ASSERT_EQ(fatal.size(), 1u) << c.what;
        EXPECT_EQ(fatal[0].substr(0, std::string(c.message).size()), c.message) << c.what;
        EXPECT_EQ(game.engine().threads.at(1), nullptr) << c.what << ": the slot is given back";
    }
}

}  // namespace
}  // namespace rs::test
