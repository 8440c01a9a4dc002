#include <gtest/gtest.h>

#include "runtime/literal.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

// Sets variable 12 and shows a literal.
std::string showLiteral(const std::string& literal,
                        const std::string& setup = "var 12\npush 34\n=\n;\n") {
    return evalText("pushs \"" + literal + "\"", setup);
}

TEST(Literals, VariableInsertion) {
    EXPECT_EQ(showLiteral("a\\{12}b"), "a34b");
    // A number no thread knows inserts nothing; a known but empty one prints its placeholder.
    EXPECT_EQ(showLiteral("a\\{13}b"), "ab");
    EXPECT_EQ(showLiteral("a\\{13}b", "var 13\n++\n;\n"), "a[no initialize reg - 13]b");
    // Arrays insert their first element.
    EXPECT_EQ(
        showLiteral("\\{5}", "var 5\npush 2\ncmd dim\n;\npush 0\nvar 5\npushs \"first\"\n=\n;\n"),
        "first");
}

TEST(Literals, WidthAndFullWidthInsertion) {
    EXPECT_EQ(showLiteral("[\\{12:5}]"), "[   34]");
    EXPECT_EQ(showLiteral("[\\{12:-5}]"), "[00034]");
    EXPECT_EQ(showLiteral("\\{12:4:F}"), "\x81\x40\x81\x40\x82\x52\x82\x53");  // "　　３４"
    // An empty element inserts nothing with a width.
    EXPECT_EQ(showLiteral("<\\{13:3}>", "var 13\n++\n;\n"), "<>");
}

TEST(Literals, PoppedValuesAreInsertedInStackOrder) {
    EXPECT_EQ(evalText("push 1\npush 2\npushs \"\\{}-\\{}\""), "2-1");
    EXPECT_EQ(evalText("pushf 2.5\npushs \"[\\{:-10}]\""), "[002.500000]");
    EXPECT_EQ(evalText("pushs \"ab\"\npushs \"[\\{:4:F}]\""), "[\x81\x40\x81\x40\x82\x81\x82\x82]");
}

// The text a literal expands to, read from a global after the run.
std::string expanded(const std::string& literal) {
    TestGame game;
    game.load("var 0\nglobal\nvar 0\npushs \"" + literal + "\"\n=\n;\ncmd end\n");
    game.run(100);
    runtime::Variable* v = game.engine().globals.find(0);
    if (!v || !v->elements[0]) return "(unset)";
    return std::string(runtime::stringText(*v->elements[0]));
}

TEST(Literals, ExpansionStopsAtTheWorkBuffer) {
    std::string shown = expanded(std::string(3000, 'x'));
    EXPECT_EQ(shown.size(), 2047u);
    EXPECT_EQ(shown.find_first_not_of('x'), std::string::npos);
    // A double-byte character is not split at the limit.
    std::string kana;
    for (int i = 0; i < 1100; ++i) kana += "\\x82\\xa0";
    shown = expanded("x" + kana);
    EXPECT_EQ(shown.size(), 2047u);
    EXPECT_EQ(static_cast<uint8_t>(shown.back()), 0xA0);
}

TEST(Literals, ACodeCutShortByTheEndInsertsNothing) {
    EXPECT_EQ(evalText("pushs \"ab\\x07\\x30\\x30\""), "ab");
    EXPECT_EQ(evalText("pushs \"ab\\x08\\x01\""), "ab");
}

TEST(FullWidth, ConvertsAsciiAndHalfWidthKana) {
    EXPECT_EQ(runtime::toFullWidth("A1 -"), "\x82\x60\x82\x50\x81\x40\x81\x7C");
    EXPECT_EQ(runtime::toFullWidth("~\\"), "\x81\x60\x81\x5F");
    EXPECT_EQ(runtime::toFullWidth("\xB1\xDE"), "\x83\x41\x81\x4A");  // ｱﾞ
    // Double-byte characters stay as they are; bytes without a full-width form too.
    EXPECT_EQ(runtime::toFullWidth("\x88\x9F\x7F"), "\x88\x9F\x7F");
}

}  // namespace
}  // namespace rs::test
