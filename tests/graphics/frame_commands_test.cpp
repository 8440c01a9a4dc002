#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtins/script_check.h"
#include "graphics/frame.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

using graphics::Frame;

constexpr const char* kBadNumber = "無効なフレームです";
constexpr const char* kFreeSlot = "破棄されたフレームです";

// Assembly that pushes the integers in order and calls the command.
std::string call(const std::string& command, const std::vector<int64_t>& args) {
    std::string s;
    for (int64_t a : args) s += " push " + std::to_string(a) + "\n";
    return s + " cmd " + command;
}
std::string stmt(const std::string& command, const std::vector<int64_t>& args) {
    return call(command, args) + "\n ;\n";
}

class Recorder : public graphics::FrameChangeListener {
  public:
    void frameChanged(const Frame& f, int32_t x, int32_t y) override {
        reports.push_back(std::to_string(f.slot) + ":" + std::to_string(x) + "," +
                          std::to_string(y));
    }
    int32_t spriteStatistic(int32_t which) const override { return which == 1 ? 42 : -7; }
    std::vector<std::string> reports;
};

// Runs a script on a fresh game with a change recorder; returns the game for inspection.
struct ScriptRun {
    explicit ScriptRun(const std::string& source) {
        game.engine().frames->listener = &recorder;
        game.load(source + " cmd end\n");
        game.run(1000);
    }
    ~ScriptRun() { game.engine().frames->listener = nullptr; }
    std::vector<std::string> shown() { return shownBy(game); }
    Frame& frame(int32_t n) { return *game.engine().frames->at(n); }
    TestGame game;
    Recorder recorder;
};

TEST(FrameCommand, CreatesInTheLowestFreeSlot) {
    ScriptRun r(show(call("frame", {0, 0, 0, 0})) + show(call("frame", {3, 2, 8, 2})) +
                stmt("killframe", {0}) + show(call("frame", {5, 4, 0, 2})) +
                show(call("framesize", {0, 0})) + show(call("framesize", {0, 2})) +
                show(call("framesize", {1, 1})) + show(call("framesize", {1, 2})) +
                show(call("framesize", {1, 3})) + show(call("framesize", {1, 4})));
    EXPECT_EQ(r.shown(), (std::vector<std::string>{"0", "1", "0", "5", "32", "2", "8", "0", "-1"}));
    EXPECT_EQ(r.frame(0).alphaValid, 1);
    EXPECT_EQ(r.frame(1).alphaValid, 0);
}

TEST(FrameCommand, SizeAndTableErrors) {
    EXPECT_EQ(valueOf(call("frame", {-1, 5, 0, 0})),
              fatalAt("frame", "フレーム作成サイズが異常(-1,5)です。"));
    EXPECT_EQ(valueOf(call("frame", {5, -2, 0, 0})),
              fatalAt("frame", "フレーム作成サイズが異常(5,-2)です。"));
    // Too large for memory: the same report instead of a crash.
    EXPECT_EQ(valueOf(call("frame", {60000, 60000, 32, 0})),
              fatalAt("frame", "フレーム作成サイズが異常(60000,60000)です。"));
    EXPECT_EQ(valueOf(call("frame", {4, 4, -8, 0})),
              fatalAt("frame", "フレーム作成サイズが異常(4,4)です。"));

    TestGame game;
    for (int32_t i = 0; i < graphics::kFrameCount; ++i)
        game.engine().frames->place(i, graphics::createFrame(0, 0, 0, 0));
    game.load(stmt("killframe", {5}) + show(call("frame", {1, 1, 0, 0})) +
              show(call("frame", {1, 1, 0, 0})) + " cmd end\n");
    game.run(100);
    EXPECT_EQ(shownBy(game), (std::vector<std::string>{
                                 "5", fatalAt("frame", "フレーム枚数が最大数を越えました。")}));
}

TEST(FrameCommand, KillframeIgnoresNumbersOutsideTheTable) {
    ScriptRun r(stmt("killframe", {9000}) + stmt("killframe", {-1}) + show("push 1"));
    EXPECT_EQ(r.shown(), std::vector<std::string>{"1"});
    EXPECT_EQ(valueOf(" push 1", stmt("frame", {1, 1, 0, 0}) + stmt("killframe", {3})),
              fatalAt("killframe", "無効なフレーム番号です"));
}

TEST(FrameCommand, TableStatistics) {
    ScriptRun r(stmt("frame", {7, 9, 0, 0}) + stmt("frame", {2, 3, 0, 0}) +
                show(call("framesize", {-2, 0})) + show(call("framesize", {-2, 1})) +
                show(call("framesize", {-2, 2})) + show(call("framesize", {-2, 3})) +
                show(call("framesize", {-2, 4})) + show(call("framesize", {-2, 5})) +
                show(call("framesize", {-2, 6})) + show(call("framesize", {-3, 1})) +
                show(call("framesize", {-3, 0})));
    std::vector<std::string> s = r.shown();
    ASSERT_EQ(s.size(), 9u);
    EXPECT_EQ(s[0], "8192");
    EXPECT_EQ(s[1], "2");
    EXPECT_EQ(s[2], "2");
    EXPECT_EQ(s[3], "3");
    EXPECT_EQ(s[4], "");
    EXPECT_EQ(s[5].rfind("test(line-1,", 0), 0u) << s[5];
    EXPECT_EQ(s[5].substr(s[5].size() - 6), ")frame");
    EXPECT_EQ(s[6], "-1");
    EXPECT_EQ(s[7], "42");
    EXPECT_EQ(s[8], "-7");

    std::vector<std::string> noSprites = {"0", "0", "0", "-1"};
    for (int which = 0; which < 4; ++which) {
        EXPECT_EQ(valueOf(call("framesize", {-3, which})), noSprites[static_cast<size_t>(which)]);
    }
    EXPECT_EQ(valueOf(call("framesize", {-1, 0})), fatalAt("framesize", kBadNumber));
    EXPECT_EQ(valueOf(call("framesize", {4, 0})), fatalAt("framesize", kFreeSlot));
    EXPECT_EQ(valueOf(call("framenop", {12345})), "0");
}

TEST(FrameCommand, EveryCommandChecksItsFrameAtItsPlace) {
    struct Case {
        const char* place;
        std::string body;  // with the frame number as FRAME
    };
    const std::vector<Case> cases = {
        {"pset", "push FRAME\n push 0\n push 0\n push 0\n cmd pset\n push 1"},
        {"point", "push FRAME\n push 0\n push 0\n cmd point"},
        {"line", "push FRAME\n push 0\n push 0\n push 1\n push 1\n push 0\n cmd line\n push 1"},
        {"full", "push FRAME\n push 0\n push 0\n push 1\n push 1\n push 0\n cmd full\n push 1"},
        {"fulla", "push FRAME\n push 0\n push 0\n push 1\n push 1\n push 0\n cmd fulla\n push 1"},
        {"clip", "push FRAME\n push 0\n cmd clip"},
        {"pointblock",
         "push FRAME\n push 0\n push 0\n push 1\n push 1\n push 1\n push 1\n cmd pointblock"},
        {"psetblock",
         "pushs \"abcd\"\n push 1\n push 1\n push FRAME\n push 0\n push 0\n push 1\n push 1\n cmd "
         "psetblock\n push 1"},
        {"framesize", "push FRAME\n push 0\n cmd framesize"},
        {"bmpload",
         "push FRAME\n push 0\n push 0\n pushs \"none\"\n push 0\n push 0\n push 0\n cmd bmpload\n "
         "push 1"},
        {"bmpload",
         "push FRAME\n push 0\n push 0\n pushs \"none\"\n push 0\n push 0\n push 0\n cmd "
         "bmpload2\n push 1"},
    };
    for (const Case& c : cases) {
        for (auto [number, message] : {std::pair{"8192", kBadNumber}, std::pair{"-5", kBadNumber},
                                       std::pair{"3", kFreeSlot}}) {
            // A negative frame makes bmpload create one.
            if (std::string(c.place) == "bmpload" && number[0] == '-') continue;
            std::string body = c.body;
            body.replace(body.find("FRAME"), 5, number);
            EXPECT_EQ(valueOf(body), fatalAt(c.place, message)) << body;
        }
    }
}

TEST(DrawCommands, ArgumentsInScriptOrderAndChangeReports) {
    ScriptRun r(stmt("frame", {4, 3, 0, 0}) + stmt("pset", {0, 1, 2, 0x00ABCDEF}) +
                show(call("point", {0, 1, 2})) + stmt("pset", {0, 9, 9, 1}) +
                show(call("point", {0, 9, 9})) + stmt("line", {0, -5, 0, 2, 0, 0xFF000001}) +
                stmt("full", {0, 2, 1, 10, 10, 0x12345678}) + stmt("fulla", {0, -1, -1, 2, 2, 0}) +
                show(call("point", {0, 3, 2})));
    EXPECT_EQ(r.shown(), (std::vector<std::string>{std::to_string(0x00ABCDEF), "-1",
                                                   std::to_string(0x12345678)}));
    EXPECT_EQ(r.recorder.reports, (std::vector<std::string>{"0:1,2", "0:0,0", "0:2,0", "0:2,1",
                                                            "0:4,3", "0:0,0", "0:1,1"}));
    Frame& f = r.frame(0);
    EXPECT_EQ(graphics::getColour(f, 0, 0),
              0x00000000u);  // fulla with alpha 0 is full with the colour 0
    EXPECT_EQ(graphics::getColour(f, 2, 0), 0x00000001u);
    EXPECT_EQ(graphics::getColour(f, 3, 0), 0x00000000u);
    EXPECT_EQ(f.synced, 0);
}

// The integer elements of global variable 1 after a run.
std::vector<int32_t> globalArray(TestGame& game) {
    std::vector<int32_t> out;
    const runtime::Variable* v = game.engine().globals.find(1);
    if (!v) return out;
    for (runtime::Value* cell : v->elements)
        out.push_back(cell && cell->type == runtime::kInteger ? cell->u.i : -999);
    return out;
}

TEST(DrawCommands, ClipFindsTheSetPixels) {
    ScriptRun r(" var 1\n global\n" + stmt("frame", {6, 5, 0, 0}) + show(call("clip", {0, 0})) +
                show(call("clip", {0, 1})) + show(call("clip", {0, 2})) +
                show(call("clip", {0, 3})) + show(call("clip", {0, 5})) +
                " var 1\n push 0\n push 4\n cmd clip\n ;\n" +
                stmt("full", {0, 4, 1, 1, 1, 0x01000000}) + stmt("pset", {0, 1, 3, 0x00000001}) +
                show(call("clip", {0, 0})) + " var 1\n push 0\n push 4\n cmd clip\n ;\n");
    EXPECT_EQ(r.shown(), (std::vector<std::string>{"6", "5", "-1", "-1", "-1", "1"}));
    EXPECT_EQ(globalArray(r.game), (std::vector<int32_t>{1, 1, 4, 3}));

    ScriptRun empty(" var 1\n global\n" + stmt("frame", {6, 5, 8, 0}) +
                    " var 1\n push 0\n push 4\n cmd clip\n ;\n");
    EXPECT_EQ(globalArray(empty.game), (std::vector<int32_t>{6, 5, -1, -1}));
}

std::string blockBytes(TestGame& game) {
    const runtime::Variable* v = game.engine().globals.find(1);
    if (!v || !v->elements[0] || v->elements[0]->type != runtime::kString) return "(none)";
    const runtime::StringBody* body = v->elements[0]->u.s;
    return std::string(body->data.get(), static_cast<size_t>(body->length));
}

std::string le32(std::initializer_list<uint32_t> values) {
    std::string s;
    for (uint32_t v : values) {
        for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
    }
    return s;
}

TEST(DrawCommands, PointblockAndPsetblockScaleBlocks) {
    std::string setup = " var 1\n global\n" + stmt("frame", {2, 2, 0, 0}) +
                        stmt("frame", {3, 3, 0, 0}) + stmt("pset", {0, 0, 0, 0x00010203}) +
                        stmt("pset", {0, 1, 0, 0x00040506}) + stmt("pset", {0, 1, 1, 0x00070809});
    // Columns doubled: entry (c, r) is the point at (c * 2 / 4, r), alpha forced to 0xFF.
    ScriptRun r(setup + " var 1\n" + call("pointblock", {0, 0, 0, 2, 2, 4, 2}) + "\n =\n ;\n" +
                " var 1\n push 4\n push 2\n push 1\n push 0\n push 0\n push 2\n push 2\n cmd "
                "psetblock\n ;\n");
    EXPECT_EQ(blockBytes(r.game), le32({0xFF010203, 0xFF010203, 0xFF040506, 0xFF040506, 0xFF000000,
                                        0xFF000000, 0xFF070809, 0xFF070809}) +
                                      std::string(1, '\0'));
    // Written back halved: (c, r) takes entry ((r * 2) / 2) * 4 + (c * 4) / 2, through pset.
    Frame& f = r.frame(1);
    EXPECT_EQ(graphics::getColour(f, 0, 0), 0x00010203u);
    EXPECT_EQ(graphics::getColour(f, 1, 0), 0x00040506u);
    EXPECT_EQ(graphics::getColour(f, 0, 1), 0x00000000u);
    EXPECT_EQ(graphics::getColour(f, 1, 1), 0x00070809u);
    EXPECT_EQ(graphics::getColour(f, 2, 2), 0u);
    ASSERT_GE(r.recorder.reports.size(), 4u);
    std::vector<std::string> tail(r.recorder.reports.end() - 4, r.recorder.reports.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"1:0,0", "1:1,0", "1:0,1", "1:1,1"}));

    // Points outside read as 0xFFFFFFFF; no pixels give the empty string.
    ScriptRun outside(setup + " var 1\n" + call("pointblock", {0, -1, 1, 2, 1, 2, 1}) +
                      "\n =\n ;\n");
    EXPECT_EQ(blockBytes(outside.game), le32({0xFFFFFFFF, 0xFF000000}) + std::string(1, '\0'));
    ScriptRun none(setup + " var 1\n" + call("pointblock", {0, 0, 0, 2, 2, 0, 5}) + "\n =\n ;\n");
    EXPECT_EQ(blockBytes(none.game), std::string(1, '\0'));

    // Data shorter than srcW * srcH * 4 bytes, or not a string, draws nothing.
    ScriptRun shortData(setup +
                        " pushs \"abcdef\"\n push 2\n push 1\n push 1\n push 0\n push 0\n push 2\n "
                        "push 1\n cmd psetblock\n ;\n" +
                        " push 5\n push 2\n push 1\n push 1\n push 0\n push 0\n push 2\n push 1\n "
                        "cmd psetblock\n ;\n");
    EXPECT_EQ(graphics::getColour(shortData.frame(1), 0, 0), 0u);
    EXPECT_TRUE(shortData.shown().empty());
}

}  // namespace
}  // namespace rs::test
