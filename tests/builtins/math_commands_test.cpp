#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "builtins/random.h"
#include "builtins/script_check.h"
#include "graphics/tables.h"

namespace rs::builtins {
namespace {

using test::expectValues;
using test::fatalAt;
using test::valueOf;

TEST(MathCommands, AbsAndSgnKeepTheType) {
    expectValues({
        {"push -5\n cmd abs", "5"},
        {"push 0\n cmd abs", "0"},
        {"push -2147483648\n cmd abs", "-2147483648"},
        {"pushf -2.5\n cmd abs", "2.500000"},
        {"pushf 1.25\n cmd abs", "1.250000"},
        {"pushs \"1\"\n cmd abs", fatalAt("abs", "引数が数値ではありません")},
        {"void\n cmd abs", fatalAt("abs", "引数が数値ではありません")},
        {"pushf -0.5\n cmd sgn", "-1.000000"},
        {"pushf 0.0\n cmd sgn", "0.000000"},
        {"pushf 1e-30\n cmd sgn", "1.000000"},
        {"push 0\n cmd sgn", "0"},
        {"push -9\n cmd sgn", "-1"},
        {"push 2147483647\n cmd sgn", "1"},
        {"pushs \"x\"\n cmd sgn", fatalAt("sgn", "引数が数値ではありません")},
    });
}

TEST(MathCommands, RoundingToIntegers) {
    expectValues({
        {"pushf -2.5\n cmd round", "-2"},
        {"pushf 2.5\n cmd round", "3"},
        {"pushf -2.6\n cmd round", "-3"},
        {"pushf -2.5\n cmd ceil", "-2"},
        {"pushf 2.1\n cmd ceil", "3"},
        {"pushf -2.5\n cmd floor", "-3"},
        {"pushf 2.9\n cmd floor", "2"},
        {"push 7\n cmd floor", "7"},
        {"pushs \"2.5\"\n cmd ceil", "3"},
        // Results beyond 32 bits keep their low 32 bits.
        {"pushf 3000000000.0\n cmd ceil", "-1294967296"},
        {"pushf -3000000000.0\n cmd floor", "1294967296"},
        {"pushf 1e30\n cmd floor", "0"},
        {"pushl here\nhere:\n cmd round",
         fatalAt("ngetreal", "数値化できないパラメータです(ラベルオフセット)")},
    });
}

TEST(MathCommands, RealFunctionsRoundTheirDoubleResultToA32BitReal) {
    expectValues({
        {"push 2\n cmd sqrt", "1.414214"},
        {"pushf 0.0\n cmd sin", "0.000000"},
        {"pushf 0.0\n cmd cos", "1.000000"},
        {"pushf 0.7853982\n cmd tan", "1.000000"},
        {"push 1\n cmd asin", "1.570796"},
        {"push 1\n cmd acos", "0.000000"},
        {"push 1\n cmd atan", "0.785398"},
        {"push 1\n push -1\n cmd atan2", "2.356194"},
        {"push -1\n push 0\n cmd atan2", "-1.570796"},
        {"push 1\n cmd exp", "2.718282"},
        // e^20 in double is 485165195.4...; the nearest 32-bit real is 485165184.
        {"push 20\n cmd exp", "485165184.000000"},
        {"push 1\n cmd log", "0.000000"},
        {"push 2\n cmd pi", "6.283185"},
        {"pushf -0.5\n cmd pi", "-1.570796"},
        {"push 2\n push 10\n cmd pow", "1024.000000"},
        {"pushf 2.0\n pushf -1.0\n cmd pow", "0.500000"},
        {"push 0\n cmd log", "-inf"},
    });
}

TEST(MathCommands, IntegerUtilities) {
    expectValues({
        {"push 300\n push -4\n push 16\n cmd rgb", "16711696"},  // 0xFF0010
        {"push 1\n push 2\n push 3\n cmd rgb", "66051"},
        {"push 0\n push 0\n push 3\n push 4\n push 4\n push 5\n cmd near", "1"},
        {"push 0\n push 0\n push 4\n push 0\n push 4\n push 5\n cmd near", "0"},
        {"push 10\n push 10\n push 8\n push 6\n push 3\n push 5\n cmd near", "1"},
        {"push 10\n push 10\n push 8\n push 5\n push 3\n push 5\n cmd near", "0"},
        {"push -2147483648\n push 0\n push 2147483647\n push 0\n push 2147483647\n push 1\n cmd "
         "near",
         "0"},
        {"push 1\n push 2\n push 3\n cmd nop160", "0"},
    });
    // The six- and three-argument no-ops leave nothing: the value below them is what shows.
    EXPECT_EQ(valueOf("push 42\n push 1\n push 2\n push 3\n push 4\n push 5\n push 6\n cmd nop161"),
              "42");
    EXPECT_EQ(valueOf("push 42\n push 1\n push 2\n push 3\n cmd nop162"), "42");
}

// The draws a fresh engine hands out first: the 257th and later outputs after seeding with 3.
std::vector<int32_t> drawsAfterStartup(int n) {
    uint32_t state = startupRandomState();
    std::vector<int32_t> out;
    for (int i = 0; i < n; ++i) out.push_back(nextRandom(state));
    return out;
}

TEST(RandomCommands, StartupStateIsTheOneTheShuffleTableWasDrawnFrom) {
    // The shuffle swaps entry i with entry (draw & 0xFF) for the first 256 draws of seed 3.
    std::array<uint32_t, 256> shuffle{};
    for (uint32_t i = 0; i < 256; ++i) shuffle[i] = i;
    uint32_t state = 3;
    for (size_t i = 0; i < 256; ++i)
        std::swap(shuffle[i], shuffle[static_cast<size_t>(nextRandom(state) & 0xFF)]);
    EXPECT_EQ(shuffle, graphics::shuffleTable());
    EXPECT_EQ(state, startupRandomState());
    test::TestGame game;
    EXPECT_EQ(game.engine().randomState, startupRandomState());
}

TEST(RandomCommands, ScriptsContinueTheStartupSequenceUntilTheySeed) {
    std::vector<int32_t> d = drawsAfterStartup(6);
    test::TestGame game;
    game.load(test::show("push 1000000\n cmd rnd") + test::show("pushf 2.0\n cmd frnd") +
              test::show("push 1\n cmd rnd") + " push 3\n cmd srnd\n ;\n" +
              test::show("push 32768\n cmd rnd") + test::show("push -5\n cmd rnd") +
              test::show("push 0\n cmd rnd") + test::show("push 32768\n cmd rnd") + " cmd end\n");
    game.run(1000);
    uint32_t seeded = 3;
    int32_t s0 = nextRandom(seeded);
    int32_t s1 = nextRandom(seeded);
    int32_t s2 = nextRandom(seeded);
    int32_t s3 = nextRandom(seeded);
    char real[32];
    std::snprintf(real, sizeof real, "%f",
                  static_cast<double>(static_cast<float>(d[2] * 2.0 / 32768.0)));
    std::vector<std::string> expected = {
        std::to_string(((d[0] << 15) + d[1]) % 1000000),
        real,
        "0",  // rnd(1) still draws twice
        std::to_string(((s0 << 15) + s1) % 32768),
        "0",  // rnd of 0 or less draws nothing
        "0",
        std::to_string(((s2 << 15) + s3) % 32768),
    };
    EXPECT_EQ(test::shownBy(game), expected);
}

TEST(RandomCommands, RandomRealStaysBelowItsBoundAndRndWantsAnInteger) {
    EXPECT_EQ(valueOf("pushf 0.0\n cmd frnd", "push 1\n cmd srnd\n ;"), "0.000000");
    EXPECT_EQ(valueOf("pushf 5.0\n cmd rnd"), fatalAt("rnd", "引数が整数になっていません"));
    EXPECT_EQ(valueOf("pushs \"5\"\n cmd rnd"), fatalAt("rnd", "引数が整数になっていません"));
    // A seed whose first draw is 32767 gives the largest result: 32767 / 32768 of the bound.
    int32_t seed = 0;
    for (;; ++seed) {
        uint32_t state = static_cast<uint32_t>(seed);
        if (nextRandom(state) == 32767) break;
    }
    EXPECT_EQ(valueOf("pushf 1.0\n cmd frnd", "push " + std::to_string(seed) + "\n cmd srnd\n ;"),
              "0.999969");
    EXPECT_EQ(valueOf("pushf -3.0\n cmd frnd", "push " + std::to_string(seed) + "\n cmd srnd\n ;"),
              "-2.999908");
}

}  // namespace
}  // namespace rs::builtins
