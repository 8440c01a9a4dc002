#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtins/script_check.h"

namespace rs::builtins {
namespace {

using test::expectValues;
using test::fatalAt;
using test::valueOf;

constexpr const char* kNotString = "引数が文字列になっていません";
constexpr const char* kNotWritable = "書き込みデータが文字列でないです";
constexpr const char* kBadPosition = "位置指定パラメータが異常です";

TEST(StringCommands, AscAndStrlen) {
    expectValues({
        {"pushs \"abc\"\n push 1\n cmd asc", "98"},
        {"pushs \"\\x82\\xa0\"\n push 0\n cmd asc", "130"},
        {"pushs \"\\x82\\xa0\"\n push 1\n cmd asc", "160"},
        {"pushs \"abc\"\n push 3\n cmd asc", "0"},  // the terminating NUL
        {"pushs \"abc\"\n push 4\n cmd asc", fatalAt("asc", kBadPosition)},
        {"pushs \"abc\"\n push -1\n cmd asc", fatalAt("asc", kBadPosition)},
        {"pushs \"\"\n push 1\n cmd asc", fatalAt("asc", kBadPosition)},
        {"push 5\n push 0\n cmd asc", fatalAt("asc", kNotString)},
        {"pushs \"abc\"\n cmd strlen", "3"},
        {"pushs \"\"\n cmd strlen", "0"},
        {"pushs \"\\x82\\xa0a\"\n cmd strlen", "3"},
        {"pushs \"ab\\x00cd\"\n cmd strlen", "2"},
        {"pushf 1.0\n cmd strlen", fatalAt("strlen", kNotString)},
    });
}

TEST(StringCommands, LeftsAndRightsByCount) {
    expectValues({
        {"pushs \"abcdef\"\n push 2\n cmd lefts", "ab"},
        {"pushs \"abcdef\"\n push -2\n cmd lefts", "abcd"},
        {"pushs \"abcdef\"\n push 10\n cmd lefts", "abcdef"},
        {"pushs \"abcdef\"\n push -10\n cmd lefts", ""},
        {"pushs \"abcdef\"\n push 0\n cmd lefts", ""},
        {"pushs \"abcdef\"\n push -2147483648\n cmd lefts", ""},
        {"pushs \"abcdef\"\n push 2\n cmd rights", "ef"},
        {"pushs \"abcdef\"\n push -2\n cmd rights", "cdef"},
        {"pushs \"abcdef\"\n push 10\n cmd rights", "abcdef"},
        {"pushs \"abcdef\"\n push -6\n cmd rights", ""},
        {"pushs \"abcdef\"\n push -2147483648\n cmd rights", ""},
        {"pushs \"\"\n push 3\n cmd rights", ""},
        {"push 1\n push 2\n cmd lefts", fatalAt("lefts", kNotWritable)},
        {"pushs \"abc\"\n pushf 1.0\n cmd lefts", fatalAt("lefts", kBadPosition)},
        {"pushs \"abc\"\n void\n cmd rights", fatalAt("rights", kBadPosition)},
        {"pushf 1.0\n push 2\n cmd rights", fatalAt("rights", kNotWritable)},
    });
}

TEST(StringCommands, LeftsAndRightsBySeparator) {
    expectValues({
        {"pushs \"key=value\"\n pushs \"=\"\n cmd lefts", "key"},
        {"pushs \"key=value\"\n pushs \"=\"\n cmd rights", "value"},
        {"pushs \"a=b=c\"\n pushs \"=\"\n cmd rights", "b=c"},
        {"pushs \"a::b\"\n pushs \"::\"\n cmd lefts", "a"},
        {"pushs \"abc\"\n pushs \"\"\n cmd rights", "abc"},
        // A separator that does not occur gives the integer 0, not a text.
        {"pushs \"abc\"\n pushs \"x\"\n cmd lefts\n cmd typeof", "1"},
        {"pushs \"abc\"\n pushs \"x\"\n cmd rights", "0"},
        {"pushs \"abc\"\n pushs \"c\"\n cmd rights\n cmd typeof", "3"},
    });
}

TEST(StringCommands, Mids) {
    expectValues({
        {"pushs \"abcdef\"\n push 4\n push 10\n cmd mids", "ef"},
        {"pushs \"abcdef\"\n push 1\n push 3\n cmd mids", "bcd"},
        {"pushs \"abcdef\"\n push 2\n push -1\n cmd mids", ""},
        {"pushs \"abcdef\"\n push 6\n push 2\n cmd mids", ""},
        {"pushs \"abcdef\"\n push 2\n push 2147483647\n cmd mids", "cdef"},
        {"pushs \"abcdef\"\n push 7\n push 1\n cmd mids", fatalAt("mids", kBadPosition)},
        {"pushs \"abcdef\"\n push -1\n push 2\n cmd mids", fatalAt("mids", kBadPosition)},
        {"push 3\n push 0\n push 1\n cmd mids", fatalAt("mids", kNotWritable)},
    });
}

TEST(StringCommands, StrstrMatchesOnCharacterBoundariesOnly) {
    expectValues({
        {"pushs \"abc\"\n pushs \"c\"\n cmd strstr", "2"},
        {"pushs \"abc\"\n pushs \"x\"\n cmd strstr", "-1"},
        {"pushs \"abc\"\n pushs \"\"\n cmd strstr", "0"},
        {"pushs \"abc\"\n pushs \"abcd\"\n cmd strstr", "-1"},
        {"pushs \"\"\n pushs \"a\"\n cmd strstr", "-1"},
        // 0x82 0x61 is one double-byte character: its second byte is not the letter a.
        {"pushs \"\\x82\\x61a\"\n pushs \"a\"\n cmd strstr", "2"},
        {"pushs \"\\x82\\x61\"\n pushs \"a\"\n cmd strstr", "-1"},
        {"pushs \"x\\x82\\x61\\x82\\x61\"\n pushs \"\\x61\\x82\"\n cmd strstr", "-1"},
        {"pushs \"x\\x82\\x61\\x82\\x61\"\n pushs \"\\x82\\x61\"\n cmd strstr", "1"},
        {"push 1\n pushs \"a\"\n cmd strstr", fatalAt("strstr", "比較データが文字列でないです")},
        {"pushs \"a\"\n push 1\n cmd strstr", fatalAt("strstr", "比較データが文字列でないです")},
    });
    EXPECT_EQ(valueOf(test::u8(u8"pushs \"あいう\"\n pushs \"う\"\n cmd strstr")), "4");
}

TEST(StringCommands, CharacterCodeToText) {
    expectValues({
        {"push 0x8140\n cmd chr", "\x81\x40"},
        {"push 0x8140\n cmd chr\n cmd strlen", "2"},
        {"push 65\n cmd chr", "A"},
        {"push 0\n cmd chr\n cmd strlen", "0"},
        {"push 0xE040\n cmd chr\n push 0\n cmd asc", "224"},
        // A zero low byte is stored too, so the text ends after the first byte.
        {"push 0x8100\n cmd chr\n cmd strlen", "1"},
        {"push 0x8100\n cmd chr\n push 2\n cmd asc", "0"},
    });
}

// A string in variable s, changed by mid, then shown.
constexpr const char* kStringVariable = ".var s 5\n var s\n pushs \"abc\"\n =\n ;\n";

TEST(StringCommands, MidWritesOneByteInPlace) {
    expectValues(
        {
            {"var s\n push 1\n push 0x142\n cmd mid\n var s", "aBc"},
            {"var s\n push 3\n push 88\n cmd mid\n var s", "abcX"},  // over the NUL
            {"var s\n push 1\n push 0\n cmd mid\n var s", "a"},
            {"var s\n push 4\n push 88\n cmd mid",
             fatalAt("mid", "書き込み文字列の長さが足りません")},
            {"var s\n push -1\n push 88\n cmd mid", fatalAt("mid", kBadPosition)},
            {"var t\n push 0\n push 88\n cmd mid", fatalAt("mid", kNotWritable)},
            {"push 1\n push 0\n push 88\n cmd mid", fatalAt("ngetbody", "変数名ではありません")},
        },
        std::string(kStringVariable) + ".var t 6\n var t\n push 1\n =\n ;\n");
    // An element of an array.
    EXPECT_EQ(
        valueOf("push 2\n var a\n push 0\n push 0x7a\n cmd mid\n push 2\n var a",
                ".var a 7\n var a\n push 4\n cmd dim\n ;\n push 2\n var a\n pushs \"xyz\"\n =\n ;"),
        "zyz");
}

// An array a of 6 elements: 10, "x", (empty), 7, 7.5, 7.
constexpr const char* kArray =
    ".var a 7\n .var s 8\n .var m 9\n"
    " var a\n push 6\n cmd dim\n ;\n"
    " push 0\n var a\n push 10\n =\n ;\n"
    " push 1\n var a\n pushs \"x\"\n =\n ;\n"
    " push 3\n var a\n push 7\n =\n ;\n"
    " push 4\n var a\n pushf 7.5\n =\n ;\n"
    " push 5\n var a\n push 7\n =\n ;\n"
    " var s\n push 7\n =\n ;\n"
    " var m\n push 3\n push -2\n cmd dim\n ;\n";

TEST(StringCommands, ArraySearch) {
    expectValues(
        {
            {"var a\n push 7\n push 0\n cmd arrfind", "3"},
            {"var a\n push 7\n push 4\n cmd arrfind", "5"},
            {"var a\n pushf 7.0\n push 0\n cmd arrfind", "3"},
            {"var a\n pushf 7.5\n push 0\n cmd arrfind", "4"},
            {"var a\n pushs \"x\"\n push 0\n cmd arrfind", "1"},
            {"var a\n pushs \"10\"\n push 0\n cmd arrfind", "-1"},
            {"var a\n push 8\n push 0\n cmd arrfind", "-1"},
            {"var a\n push 7\n push 6\n cmd arrfind", "-1"},
            {"var a\n push 7\n push 1000\n cmd arrfind", "-1"},
            {"var a\n push 7\n push -1\n cmd arrfind", fatalAt("arrfind", kBadPosition)},
            {"var s\n push 7\n push 0\n cmd arrfind", "-2"},
            {"var m\n push 7\n push 0\n cmd arrfind", "-2"},
            {"push 1\n push 7\n push 0\n cmd arrfind", fatalAt("ngetbody", "変数名ではありません")},
        },
        kArray);
}

}  // namespace
}  // namespace rs::builtins
