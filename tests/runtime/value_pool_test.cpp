#include <gtest/gtest.h>

#include <cstring>

#include "runtime/value.h"

namespace rs::runtime {
namespace {

TEST(ValuePool, HandsOutCellsInOrderAndReusesTheLastFreed) {
    ValuePool pool(4);
    Value* a = pool.newInteger(1);
    Value* b = pool.newInteger(2);
    Value* c = pool.newInteger(3);
    EXPECT_EQ(pool.indexOf(a), 0);
    EXPECT_EQ(pool.indexOf(b), 1);
    EXPECT_EQ(pool.indexOf(c), 2);
    pool.free(b);
    pool.free(a);
    // The free list is a stack: the cell freed last comes back first.
    EXPECT_EQ(pool.indexOf(pool.newInteger(7)), 0);
    EXPECT_EQ(pool.indexOf(pool.newInteger(8)), 1);
    EXPECT_EQ(pool.indexOf(pool.newInteger(9)), 3);
}

TEST(ValuePool, UsedCellCountCountsCellsEverHandedOut) {
    ValuePool pool(8);
    EXPECT_EQ(pool.usedCellCount(), 0);
    Value* a = pool.newInteger(1);
    Value* b = pool.newString("abc");
    EXPECT_EQ(pool.usedCellCount(), 2);
    pool.free(a);
    pool.free(b);
    EXPECT_EQ(pool.usedCellCount(), 2);
    pool.newInteger(3);  // reuses a freed cell
    EXPECT_EQ(pool.usedCellCount(), 2);
}

TEST(ValuePool, ExhaustionCallsTheHandlerOncePerFailedAllocation) {
    ValuePool pool(2);
    int warnings = 0;
    pool.setExhaustedHandler([&] { ++warnings; });
    EXPECT_NE(pool.newInteger(1), nullptr);
    EXPECT_NE(pool.newInteger(2), nullptr);
    EXPECT_EQ(pool.newInteger(3), nullptr);
    EXPECT_EQ(pool.newString("x"), nullptr);
    EXPECT_EQ(warnings, 2);
}

TEST(ValuePool, RebuildKeepsOldCellsReadableAndFreeable) {
    ValuePool pool(4);
    Value* s = pool.newString("kept");
    ASSERT_TRUE(pool.rebuild(16));
    EXPECT_EQ(pool.capacity(), 16);
    EXPECT_EQ(pool.usedCellCount(), 0);
    EXPECT_EQ(stringText(*s), "kept");
    pool.free(s);  // a cell of the old pool: its string goes, nothing is linked
    EXPECT_EQ(pool.indexOf(pool.newInteger(1)), 0);
}

TEST(ValuePool, StringsCountTheirNulAndCopiesAreIndependent) {
    ValuePool pool(8);
    Value* s = pool.newString("abc");
    EXPECT_EQ(s->u.s->length, 4);
    Value* c = pool.copy(*s);
    c->u.s->data[0] = 'X';
    EXPECT_EQ(stringText(*s), "abc");
    EXPECT_EQ(stringText(*c), "Xbc");
    // Text stops at the first NUL inside the stored length.
    Value* z = pool.newStringWithLength(std::string_view("ab\0cd", 5), 6);
    EXPECT_EQ(stringText(*z), "ab");
}

TEST(PrintValue, EveryTypePrintsAsItsTableSays) {
    ValuePool pool(16);
    auto typed = [&](int32_t type, int32_t payload) { return pool.newOfType(type, payload); };
    EXPECT_EQ(printValue(nullptr, 12), "[no initialize reg - 12]");
    EXPECT_EQ(printValue(typed(kUnused, 0), 0), "(null)");
    EXPECT_EQ(printValue(typed(kVoid, 0), 0), "(void)");
    EXPECT_EQ(printValue(pool.newInteger(-42), 0), "-42");
    EXPECT_EQ(printValue(pool.newReal(2.5f), 0), "2.500000");
    EXPECT_EQ(printValue(pool.newString("text"), 0), "text");
    EXPECT_EQ(printValue(typed(kVarName, 9), 0), "(reg:9)");
    EXPECT_EQ(printValue(typed(kReference, 0), 0), "(bad reg.)");
    EXPECT_EQ(printValue(typed(kLabel, 100), 0), "(lab:100)");
    EXPECT_EQ(printValue(typed(kConstString, 0), 0), "(bad reg.)");
    EXPECT_EQ(printValue(typed(kLabelDiff, -4), 0), "(off:-4)");
    EXPECT_EQ(printValue(typed(kReference2, 0), 0), "(bad reg.)");
}

TEST(PrintValue, LongStringsAreCutWithAMark) {
    ValuePool pool(4);
    std::string fits(2039, 'a');
    EXPECT_EQ(printValue(pool.newString(fits), 0), fits);
    std::string longer(2040, 'b');
    std::string printed = printValue(pool.newString(longer), 0);
    ASSERT_EQ(printed.size(), 2040u);
    EXPECT_EQ(printed.substr(0, 2037), std::string(2037, 'b'));
    EXPECT_EQ(printed.substr(2037), "*ov");
}

TEST(PrintValue, WidthPadsNumbersAndAlignsStrings) {
    ValuePool pool(8);
    Value* i = pool.newInteger(42);
    Value* r = pool.newReal(1.5f);
    Value* s = pool.newString("ab");
    EXPECT_EQ(printValueWidth(i, 5), "   42");
    EXPECT_EQ(printValueWidth(i, -5), "00042");
    EXPECT_EQ(printValueWidth(r, 10), "  1.500000");
    EXPECT_EQ(printValueWidth(r, -10), "001.500000");
    EXPECT_EQ(printValueWidth(s, 4), "  ab");
    EXPECT_EQ(printValueWidth(s, -4), "ab  ");
    EXPECT_EQ(printValueWidth(pool.newOfType(kLabel, 1), 4), "");
    // A huge field is bounded by the text buffer.
    EXPECT_EQ(printValueWidth(i, INT32_MIN).size(), 2047u);
}

TEST(TypeNames, AreTheTableNames) {
    EXPECT_STREQ(typeName(-1), "未使用変数");
    EXPECT_STREQ(typeName(1), "整数");
    EXPECT_STREQ(typeName(6), "ラベルオフセット");
    EXPECT_STREQ(typeName(9), "参照");
}

}  // namespace
}  // namespace rs::runtime
