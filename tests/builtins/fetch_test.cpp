#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "support/test_game.h"

namespace rs::runtime {
namespace {

using test::TestGame;

// A thread stopped at offset 7 of script "test", with the given cells on its stack (the last one
// on top).
struct FetchBench {
    TestGame game;
    ScriptThread* t;

    explicit FetchBench(const std::vector<std::function<Value*(ValuePool&)>>& cells = {}) {
        t = &game.load("cmd end\n");
        t->code.pc = 7;
        for (const auto& make : cells) pushCell(*t, make(game.engine().pool));
    }
    Engine& e() { return game.engine(); }
    std::vector<std::string> fatal() const {
        return game.boxTexts("ゲームシステムの致命的なエラー");
    }
};

std::string report(const char* place, const char* message) {
    return std::string("場所：") + place + " in -1\n(7:test)\n症状：" + message +
           "\nゲームを停止します";
}

auto integer(int32_t i) {
    return [i](ValuePool& p) { return p.newInteger(i); };
}
auto real(float r) {
    return [r](ValuePool& p) { return p.newReal(r); };
}
auto text(const char* s) {
    return [s](ValuePool& p) { return p.newString(s); };
}
auto typed(int32_t type, int32_t payload) {
    return [type, payload](ValuePool& p) { return p.newOfType(type, payload); };
}

TEST(Fetchers, ErrorsAreReportedWordForWord) {
    struct Case {
        const char* what;
        std::vector<std::function<Value*(ValuePool&)>> cells;
        std::function<void(Engine&, ScriptThread&)> fetch;
        std::string expected;
    };
    auto getvar = [](Engine& e, ScriptThread& t) { release(e, ngetvar(e, t)); };
    auto getint = [](Engine& e, ScriptThread& t) { EXPECT_EQ(ngetint(e, t), 0); };
    auto getreal = [](Engine& e, ScriptThread& t) { EXPECT_EQ(ngetreal(e, t), 0.0f); };
    auto getbody = [](Engine& e, ScriptThread& t) { EXPECT_EQ(ngetbody(e, t), nullptr); };
    auto getslot = [](Engine& e, ScriptThread& t) { EXPECT_EQ(getSlot(e, t), nullptr); };
    const std::vector<Case> cases = {
        {"ngetvar, empty stack", {}, getvar, report("ngetvar", "パラメータがたりません")},
        {"ngetvar, unknown variable",
         {typed(kVarName, 0x2a)},
         getvar,
         report("ngetvar", "未使用変数(#2a[hex])を使用しました")},
        {"ngetint, empty stack", {}, getint, report("ngetvar", "パラメータがたりません")},
        {"ngetint, void", {typed(kVoid, 0)}, getint, report("ngetint", "パラメータがありません")},
        {"ngetint, label",
         {typed(kLabel, 12)},
         getint,
         report("ngetint", "数値化できないパラメータです(ラベルオフセット)")},
        {"ngetint, label difference",
         {typed(kLabelDiff, 12)},
         getint,
         report("ngetint", "数値化できないパラメータです(ラベル差分)")},
        {"ngetreal, void",
         {typed(kVoid, 0)},
         getreal,
         report("ngetreal", "パラメータがありません")},
        {"ngetreal, label",
         {typed(kLabel, 3)},
         getreal,
         report("ngetreal", "数値化できないパラメータです(ラベルオフセット)")},
        {"ngetbody, empty stack", {}, getbody, report("ngetbody", "変数がありません")},
        {"ngetbody, an integer", {integer(5)}, getbody, report("ngetbody", "変数名ではありません")},
        {"getSlot, a string", {text("x")}, getslot, report("ngetbody", "変数名ではありません")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FetchBench bench(c.cells);
        c.fetch(bench.e(), *bench.t);
        EXPECT_TRUE(bench.t->failed);
        EXPECT_EQ(bench.fatal(), std::vector<std::string>{c.expected});
        EXPECT_EQ(bench.t->psp, 0);  // the offending cell was taken
    }
}

TEST(Fetchers, UninitialisedVariableAndArrayBounds) {
    {
        FetchBench bench({typed(kVarName, 0x1f)});
        makeGlobal(bench.e().globals, 0x1f);
        release(bench.e(), ngetvar(bench.e(), *bench.t));
        EXPECT_EQ(bench.fatal(), std::vector<std::string>{
                                     report("ngetvar", "未初期化変数(#1f[hex])を使用しました")});
    }
    {
        // Element 5 of a 1-D array of 3: the index is below the name.
        FetchBench bench({integer(5), typed(kVarName, 3)});
        Variable* v = findvar(bench.t->locals, bench.e().globals, 3);
        ASSERT_TRUE(dimension(bench.e().pool, *v, 3, 0));
        release(bench.e(), ngetvar(bench.e(), *bench.t));
        EXPECT_EQ(bench.fatal(),
                  std::vector<std::string>{
                      report("findreg", "配列参照が範囲外です(変数:#3[hex],id:5[d],max:3[d])")});
    }
    {
        // getSlot gives no slot for an index out of range, without a message.
        FetchBench bench({integer(9), typed(kVarName, 3)});
        Variable* v = findvar(bench.t->locals, bench.e().globals, 3);
        ASSERT_TRUE(dimension(bench.e().pool, *v, 3, 0));
        EXPECT_EQ(getSlot(bench.e(), *bench.t), nullptr);
        EXPECT_FALSE(bench.t->failed);
        EXPECT_TRUE(bench.game.boxes().empty());
    }
}

TEST(Fetchers, ConversionsOfEveryNumericType) {
    struct Case {
        std::function<Value*(ValuePool&)> cell;
        int32_t asInteger;
        float asReal;
    };
    const std::vector<Case> cases = {
        {integer(-7), -7, -7.0f},
        {real(-2.7f), -2, -2.7f},
        {real(2.7f), 2, 2.7f},
        {text("12abc"), 12, 12.0f},
        {text("abc"), 0, 0.0f},
        {text("  -34.5e1x"), -34, -345.0f},
        {text("+.5"), 0, 0.5f},
        {text("0x1A"), 0, 0.0f},  // decimal text only
        {text("inf"), 0, 0.0f},
        {text("1e"), 1, 1.0f},
        {text("99999999999"), INT32_MAX, 99999999999.0f},
        {text("-99999999999"), INT32_MIN, -99999999999.0f},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        FetchBench a({cases[i].cell});
        EXPECT_EQ(ngetint(a.e(), *a.t), cases[i].asInteger);
        FetchBench b({cases[i].cell});
        EXPECT_EQ(ngetreal(b.e(), *b.t), cases[i].asReal);
        EXPECT_TRUE(a.game.boxes().empty());
        EXPECT_TRUE(b.game.boxes().empty());
    }
}

TEST(Fetchers, SoundTextFetcherWarnsWithoutStopping) {
    FetchBench bench({text("bgm01"), integer(4)});
    EXPECT_EQ(ngetstr(bench.e(), *bench.t), std::nullopt);
    ASSERT_EQ(bench.game.boxes().size(), 1u);
    EXPECT_EQ(bench.game.boxes()[0].caption, "システムの警告");
    EXPECT_EQ(bench.game.boxes()[0].text, "文字列変数でないのに文字列評価されました");
    EXPECT_EQ(bench.game.boxes()[0].icon, platform::BoxIcon::None);
    EXPECT_FALSE(bench.t->failed);
    EXPECT_EQ(bench.game.log(), "");  // a plain box: not logged
    EXPECT_EQ(ngetstr(bench.e(), *bench.t), std::optional<std::string>("bgm01"));
    EXPECT_EQ(bench.t->psp, 0);
}

}  // namespace
}  // namespace rs::runtime
