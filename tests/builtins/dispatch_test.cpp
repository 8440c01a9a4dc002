#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtins/dispatcher.h"
#include "builtins/random.h"
#include "builtins/script_check.h"
#include "runtime/format.h"

namespace rs::builtins {
namespace {

using test::fatalAt;

TEST(Dispatch, UnassignedIdsStopTheScriptLikeABadInstruction) {
    const std::vector<int32_t> unassigned = {
        38,  100,   127,                                // core ids without a command
        154, 155,   157,       158,  168,    171, 255,  // typed text and the IME come with input
        257, 260,   261,       262,  264,    267, 511,  // input and window queries
        520, 1023,  1279,      1536, 100000,            // holes and the far end
        -1,  -1280, INT32_MIN,                          // negative ids
    };
    for (int32_t id : unassigned) {
        SCOPED_TRACE(id);
        EXPECT_EQ(commandTable().find(id), nullptr);
        test::TestGame game;
        game.load("cmd " + std::to_string(id) + "\n cmd end\n");
        game.run(1000);
        std::string message =
            runtime::formatMessage("アドレス    0 : 未定義の命令番号「%d」を実行しました", id);
        EXPECT_EQ(test::shownBy(game),
                  std::vector<std::string>{fatalAt("実行時のエラー", message)});
    }
    // The address is the call's own offset, right-aligned in five places.
    test::TestGame game;
    std::string source;
    for (int i = 0; i < 100; ++i) source += " void\n";
    game.load(source + " cmd 154\n");
    game.run(1000);
    ASSERT_EQ(game.boxes().size(), 1u);
    EXPECT_NE(game.boxes()[0].text.find(
                  "\n(102:test)\n症状：アドレス  100 : 未定義の命令番号「154」を実行しました\n"),
              std::string::npos)
        << game.boxes()[0].text;
}

// A small program in the way games use these commands: it splits a "name=value" setting, walks
// a Shift-JIS text character by character (reversing it), draws a seeded random pick and waits.
TEST(Dispatch, ScriptUsingTheCommandsTogether) {
    using test::show;
    // Assembly source, a statement or two per entry (non-ASCII text as UTF-8 escapes).
    auto lines = [](std::initializer_list<const char*> statements) {
        std::string out;
        for (const char* st : statements) out += std::string(st) + "\n";
        return out;
    };
    std::string source =
        lines({".var line 1\n.var key 2\n.var value 3\n.var n 4\n.var i 5\n.var out 6\n.var start "
               "7\n.var w 8\n.var c 9",
               " var start\n cmd time\n =\n ;", " var line\n pushs \"speed=12.5\"\n =\n ;",
               " var key\n var line\n pushs \"=\"\n cmd lefts\n =\n ;",
               " var value\n var line\n pushs \"=\"\n cmd rights\n =\n ;"}) +
        show("var key") + show("var value\n cmd ceil") +
        lines({" var line\n pushs \"a\xe3\x81\x8b"
               "b\xe3\x81\x8d\"\n =\n ;",  // "aかbき"
               " var out\n pushs \"\"\n =\n ;\n var i\n push 0\n =\n ;\n var n\n push 0\n =\n ;",
               "next:\n pushl done\n var i\n var line\n cmd strlen\n <\n ifgoto",
               " var c\n var line\n var i\n cmd asc\n =\n ;\n var w\n push 1\n =\n ;",
               // A lead byte (0x81..0x9F, 0xE0 and up) starts a two-byte character.
               " pushl single\n var c\n push 0x81\n >=\n var c\n push 0x9f\n <=\n &&\n var c\n "
               "push 0xe0\n >=\n ||\n ifgoto",
               " var w\n push 2\n =\n ;",
               "single:\n var out\n var line\n var i\n var w\n cmd mids\n var out\n +\n =\n ;",
               " var i\n var w\n +=\n ;\n var n\n ++\n ;\n jump next", "done:"}) +
        show("var n") + show("var out") + show("var line\n pushs \"b\"\n cmd strstr") +
        " push 7\n cmd srnd\n ;\n" + show("push 6\n cmd rnd\n push 1\n +") +
        " push 50\n cmd wait\n ;\n" + show("cmd time\n var start\n -") + " cmd end\n";
    test::TestGame game;
    game.load(source);
    EXPECT_TRUE(game.run(100000));

    uint32_t state = 7;
    int32_t high = nextRandom(state);
    int32_t low = nextRandom(state);
    std::vector<std::string> expected = {
        "speed", "13", "4", "きbかa", "3", std::to_string(((high << 15) + low) % 6 + 1), "50",
    };
    EXPECT_EQ(test::shownBy(game), expected);
}

}  // namespace
}  // namespace rs::builtins
