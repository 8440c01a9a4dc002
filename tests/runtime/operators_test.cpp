#include <gtest/gtest.h>

#include "support/test_game.h"

namespace rs::test {
namespace {

struct Case {
    const char* name;
    std::string body;      // assembly leaving one value
    std::string expected;  // what print(-1, ...) shows, or "FATAL: place / message"
    std::string prelude = "";
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Reduces a fatal report to "FATAL: place / message" so the cases stay short; the full report
// format is checked byte for byte in the error tests.
std::string summarize(const std::string& shown) {
    if (shown.rfind("FATAL: ", 0) != 0) return shown;
    size_t placeAt = shown.find("場所：");
    size_t placeEnd = shown.find(" in ", placeAt);
    size_t msgAt = shown.find("症状：");
    size_t msgEnd = shown.find('\n', msgAt);
    std::string place = shown.substr(placeAt + std::string("場所：").size(),
                                     placeEnd - placeAt - std::string("場所：").size());
    std::string msg = shown.substr(msgAt + std::string("症状：").size(),
                                   msgEnd - msgAt - std::string("症状：").size());
    return "FATAL: " + place + " / " + msg;
}

class Operators : public ::testing::TestWithParam<Case> {};

TEST_P(Operators, GiveTheirResultOrError) {
    const Case& c = GetParam();
    EXPECT_EQ(summarize(evalText(c.body, c.prelude)), c.expected);
}

const Case kArithmetic[] = {
    {"IntPlusInt", "push 1\npush 2\n+", "3"},
    {"IntPlusRealIsReal", "push 1\npushf 2.5\n+", "3.500000"},
    {"StringPlusString", "pushs \"1\"\npushs \"2\"\n+", "12"},
    {"StringPlusIntIsFatal", "pushs \"1\"\npush 2\n+",
     "FATAL: 演算(+)エラー / 演算できない型です(文字列と整数)"},
    {"IntAddWraps", "push 2147483647\npush 1\n+", "-2147483648"},
    {"IntMinus", "push 3\npush 5\n-", "-2"},
    {"RealMinusInt", "pushf 0.5\npush 2\n-", "-1.500000"},
    {"StringMinusIsFatal", "pushs \"a\"\npushs \"b\"\n-",
     "FATAL: 演算(-)エラー / 演算できない型です(文字列と文字列)"},
    {"IntTimesWrapsToLow32Bits", "push 65536\npush 65536\n*", "0"},
    {"IntTimesReal", "push 3\npushf 2.0\n*", "6.000000"},
    {"TimesStringIsFatal", "push 3\npushs \"x\"\n*",
     "FATAL: 演算(*)エラー / 演算できない型です(整数と文字列)"},
    {"IntDivTruncatesTowardZero", "push 7\npush -2\n\\", "-3"},
    {"IntDivOfMinByMinusOneWraps", "push -2147483648\npush -1\n\\", "-2147483648"},
    {"IntDivByZero", "push 7\npush 0\n\\", "FATAL: ０除算エラー(\\) / 除数が０です"},
    {"DivideIsReal", "push 7\npush 2\n/", "3.500000"},
    {"DivideParsesStrings", "pushs \"7\"\npush 2\n/", "3.500000"},
    {"DivideByZero", "push 1\npushf 0.0\n/", "FATAL: ０除算エラー(\\) / 除数が０です"},
    {"DivideByMinusZero", "push 1\npushf -0.0\n/", "FATAL: ０除算エラー(\\) / 除数が０です"},
    {"ModTakesTheLeftSign", "push 7\npush -2\n%", "1"},
    {"ModNegativeLeft", "push -7\npush 2\n%", "-1"},
    {"ModByZeroIsFatal", "push 5\npush 0\n%", "FATAL: 演算(%)エラー / 除数が０です"},
    {"ModOfMinByMinusOne", "push -2147483648\npush -1\n%", "0"},
    {"ModWithReal", "pushf 5.5\npush 2\n%", "1.500000"},
    {"ModOfStringIsFatal", "pushs \"7\"\npush 2\n%",
     "FATAL: 演算(%)エラー / 演算できない型です(文字列と整数)"},
    {"ShiftCountUsesFiveBits", "push 1\npush 33\n<<", "2"},
    {"ShiftRightIsArithmetic", "push -8\npush 1\n>>", "-4"},
    {"ShiftNeedsIntegers", "pushf 1.0\npush 1\n<<",
     "FATAL: 演算(<<)エラー / 演算できない型です(小数と整数)"},
    {"LogicalAnd", "push 3\npush 0\n&&", "0"},
    {"LogicalOr", "push 3\npush 0\n||", "1"},
    {"LogicalNeedsIntegers", "push 3\npushs \"\"\n||",
     "FATAL: 演算(||)エラー / 演算できない型です(整数と文字列)"},
    {"BitAnd", "push 6\npush 3\n&", "2"},
    {"BitOr", "push 6\npush 3\n|", "7"},
    {"BitXor", "push 6\npush 3\n^", "5"},
    {"NegateInt", "push 5\nneg", "-5"},
    {"NegateReal", "pushf 2.5\nneg", "-2.500000"},
    {"NegateString", "pushs \"a\"\nneg", "FATAL: 演算(minus)エラー / 演算できない型です"},
    {"LabelMinusLabel",
     "pushl there\npushl here\n-\ncmd print\n;\ncmd end\nhere:\nthere:", "(off:0)"},
    {"LabelPlusDifference",
     "pushl here\npushl there\npushl here\n-\n+\ncmd typeof\ncmd print\n;\ncmd end\nhere:\nthere:",
     "6"},
    {"UnknownOperatorTwo", "push 1\npush 2\nop 2", "FATAL: 演算エラー / 不明な演算子です"},
    {"UnknownOperatorHigh", "push 1\nop 40", "FATAL: 演算エラー / 不明な演算子です"},
};
INSTANTIATE_TEST_SUITE_P(Arithmetic, Operators, ::testing::ValuesIn(kArithmetic),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kComparisons[] = {
    {"RealEqualsInt", "pushf 1.0\npush 1\n==", "1"},
    {"ZeroAndMinusZeroDiffer", "pushf 0.0\npushf -0.0\n==", "0"},
    {"RealZeroEqualsIntZero", "pushf 0.0\npush 0\n==", "1"},
    {"VoidEqualsVoid", "void\nvoid\n==", "1"},
    {"StringsCompareByText", "pushs \"ab\"\npushs \"ab\"\n==", "1"},
    {"StringAndIntAreUnequal", "push 1\npushs \"1\"\n!=", "1"},
    {"LongerStringIsGreater", "pushs \"abc\"\npushs \"ab\"\n>", "1"},
    {"ShorterStringIsLess", "pushs \"ab\"\npushs \"abc\"\n<", "1"},
    {"BytesCompareUnsigned", "pushs \"\\x82\\xa0\"\npushs \"a\"\n>", "1"},
    {"GreaterOrEqual", "push 2\npush 2\n>=", "1"},
    {"LessOrEqual", "push 3\npush 2\n<=", "0"},
    {"IntAndRealOrder", "push 2\npushf 2.5\n<", "1"},
    {"IncomparableGivesMinusOne", "push 1\npushs \"a\"\n>", "-1"},
    {"IncomparableGreaterOrEqualGivesZero", "push 1\npushs \"a\"\n>=", "0"},
};
INSTANTIATE_TEST_SUITE_P(Comparisons, Operators, ::testing::ValuesIn(kComparisons),
                         [](const auto& info) { return std::string(info.param.name); });

const Case kAssignments[] = {
    {"AssignStoresACopy", "var 0", "5", "var 0\npush 5\n=\n;"},
    {"PlusAssignMixesTypes", "var 0", "1.500000", "var 0\npush 1\n=\n;\nvar 0\npushf 0.5\n+=\n;"},
    {"PlusAssignConcatenates", "var 0", "ab",
     "var 0\npushs \"a\"\n=\n;\nvar 0\npushs \"b\"\n+=\n;"},
    {"MinusAssign", "var 0", "-3", "var 0\npush 1\n=\n;\nvar 0\npush 4\n-=\n;"},
    {"IncrementKeepsReals", "var 0", "2.500000", "var 0\npushf 1.5\n=\n;\nvar 0\n++\n;"},
    {"Decrement", "var 0", "9", "var 0\npush 10\n=\n;\nvar 0\n--\n;"},
    {"IncrementOfUnassignedDoesNothing", "push 7", "7", "var 3\n++\n;"},
    {"IncrementOfStringIsFatal", "var 0", "FATAL: 演算(++)エラー / 演算できない型です",
     "var 0\npushs \"a\"\n=\n;\nvar 0\n++\n;"},
    {"UnassignedReadIsFatal", "var 3", "FATAL: ngetvar / 未初期化変数(#3[hex])を使用しました",
     "var 3\n++\n;"},
    {"UnknownVariableIsFatal", "var 300", "FATAL: ngetvar / 未使用変数(#12c[hex])を使用しました"},
    {"AssignToNonVariableIsFatal", "push 1", "FATAL: 代入エラー / 代入先が変数になっていません",
     "push 1\npush 2\n=\n;"},
    {"ArrayElementAssignment", "push 2\nvar 0", "20",
     "var 0\npush 3\ncmd dim\n;\npush 2\nvar 0\npush 20\n=\n;"},
    {"ArrayIndexOutOfRange", "push 3\nvar 0",
     "FATAL: findreg / 配列参照が範囲外です(変数:#0[hex],id:3[d],max:3[d])",
     "var 0\npush 3\ncmd dim\n;"},
    {"TwoDimensionalIndexIsCheckedPerAxis", "push 0\npush 2\nvar 0",
     "FATAL: findreg / ２次配列参照が範囲外です(変数:#0[hex],id:(2,0)[d],max:(2,2)[d])",
     "var 0\npush 2\npush -2\ncmd dim\n;"},
};
INSTANTIATE_TEST_SUITE_P(Assignments, Operators, ::testing::ValuesIn(kAssignments),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Comparisons, IncomparableValuesWarnAndGoOn) {
    TestGame game;
    game.load("push 1\npushs \"a\"\n>\n;\ncmd end\n");
    game.run(100);
    auto warnings = game.boxTexts("ゲームシステムのエラー");
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("場所：比較演算エラー in -1\n"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("症状：比較できない「モノ」を比較しました(整数と文字列)\n"),
              std::string::npos);
    // The statement then ends with the unused result.
    EXPECT_NE(warnings[1].find("症状：帰り値を代入していません\n"), std::string::npos);
    EXPECT_FALSE(game.engine().app.fatalErrorReported);
}

TEST(StatementEnd, WarnsAboutLeftoversAndEmptiesTheFrame) {
    TestGame game;
    runtime::ScriptThread& t = game.load("push 1\npush 2\n;\npush 1\n;\ncmd end\n");
    game.run(100);
    auto warnings = game.boxTexts("ゲームシステムのエラー");
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("場所：警告 in -1\n"), std::string::npos);
    EXPECT_NE(warnings[0].find("症状：文中でパラメータがスタック中に２個以上残りました\n"),
              std::string::npos);
    EXPECT_NE(warnings[1].find("症状：帰り値を代入していません\n"), std::string::npos);
    (void)t;
}

}  // namespace
}  // namespace rs::test
