#include <gtest/gtest.h>

#include <random>

#include "asm/asm.h"
#include "support/test_game.h"

namespace rs::tools {
namespace {

std::vector<uint8_t> bytesOf(const std::string& src) {
    AsmResult r = assemble(src);
    for (const auto& e : r.errors) ADD_FAILURE() << "line " << e.line << ": " << e.message;
    return r.bytes;
}

using Bytes = std::vector<uint8_t>;

TEST(Assembler, PicksTheShortestIntegerForms) {
    EXPECT_EQ(bytesOf("push 0\npush 4\npush 5\npush 255\npush 256\npush 65536\npush -1"),
              (Bytes{0xD0, 0xD4, 0x20, 5, 0x20, 255, 0x10, 0, 1, 0x00, 0, 0, 1, 0, 0x00, 0xFF, 0xFF,
                     0xFF, 0xFF}));
    EXPECT_EQ(bytesOf("push.32 3\npush.16 3\npush.8 3\npush.k 3"),
              (Bytes{0x00, 3, 0, 0, 0, 0x10, 3, 0, 0x20, 3, 0xD3}));
}

TEST(Assembler, EncodesEveryKindOfInstruction) {
    EXPECT_EQ(bytesOf("pushf 1.5"), (Bytes{0x01, 0x00, 0x00, 0xC0, 0x3F}));
    EXPECT_EQ(bytesOf("pushf.bits 0x7fc00000"), (Bytes{0x01, 0x00, 0x00, 0xC0, 0x7F}));
    EXPECT_EQ(bytesOf("cmd end\ncmd 256\ncmd.32 18"),
              (Bytes{0x25, 18, 0x15, 0x00, 0x01, 0x05, 18, 0, 0, 0}));
    EXPECT_EQ(bytesOf(".var score 300\nvar score\nvar 2"), (Bytes{0x17, 0x2C, 0x01, 0x27, 2}));
    EXPECT_EQ(bytesOf("top:\npushl top\ncall top\npushl.8 top"),
              (Bytes{0x03, 0, 0, 0, 0, 0x06, 0, 0, 0, 0, 0x23, 0}));
    EXPECT_EQ(bytesOf("void\nglobal\nifgoto\ngoto\nreturn"), (Bytes{0x08, 0xC0, 0xC1, 0xC2, 0xC3}));
    EXPECT_EQ(bytesOf("==\n!=\n>=\n<=\n<<\n>>\n&&\n||\n+\n-\n*\n/"
                      "\n%\n>\n<\n&\n|\n^\n;\n=\nneg\n+=\n-=\n++\n--\n\\\nop 2\nop 63"),
              (Bytes{0x80, 0x81, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A,
                     0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92, 0x95, 0x97,
                     0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x82, 0xBF}));
    EXPECT_EQ(bytesOf("jump here\nhere:"), (Bytes{0x03, 6, 0, 0, 0, 0xC2}));
}

TEST(Assembler, PlacesInlineLiteralsAfterTheCodeOnce) {
    EXPECT_EQ(bytesOf("pushs \"ab\"\npushs \"ab\"\n.str \"c\""),
              (Bytes{0x02, 13, 0, 0, 0, 0x02, 13, 0, 0, 0, 1, 0, 'c', 2, 0, 'a', 'b'}));
}

TEST(Assembler, LiteralEscapesAndInterpolations) {
    auto lit = [](const std::string& text) {
        Bytes b = bytesOf(".var n 12\n.str \"" + text + "\"");
        return std::string(b.begin() + 2, b.end());
    };
    EXPECT_EQ(lit("a\\\\b\\\"c\\x00\\xff"), std::string("a\\b\"c\0\xff", 7));
    EXPECT_EQ(lit("\\{12}"),
              "\x07"
              "0012");
    EXPECT_EQ(lit("\\{n}"),
              "\x07"
              "0012");
    EXPECT_EQ(lit("\\{}"), "\x09");
    EXPECT_EQ(lit("\\{12:-5:F}"), std::string("\x08\xFB\xFF\xFF\xFF\0\0\0\0\x01\0\0\0"
                                              "0012",
                                              17));
    EXPECT_EQ(lit("\\{:3}"), std::string("\x0A\x03\0\0\0\0\0\0\0\0\0\0\0", 13));
    EXPECT_EQ(lit(rs::test::u8(u8"日本")), "\x93\xfa\x96\x7b");
}

TEST(Assembler, ReportsErrorsWithTheirLines) {
    struct Case {
        const char* src;
        int line;
        const char* part;
    };
    const Case cases[] = {
        {"push 1\nfrobnicate\n", 2, "unknown instruction"},
        {"jump nowhere\n", 1, "unknown label"},
        {"cmd nosuchcommand\n", 1, "unknown command"},
        {"var nosuchvar\n", 1, "unknown variable"},
        {"\n\npush.8 300\n", 3, "does not fit"},
        {"push.k 7\n", 1, "0 to 4"},
        {"a:\na:\n", 2, "defined twice"},
        {".str \"\\q\"\n", 1, "unknown escape"},
        {"pushs \"open\n", 1, "unterminated"},
        {"void 3\n", 1, "takes no operand"},
        {"bogus 3\n", 1, "unknown instruction 'bogus'"},
        {".byte 1, 300\n", 1, ".byte"},
        {"pushs \"\\{1:2:3:4}\"\n", 1, "interpolation"},
    };
    for (const Case& c : cases) {
        AsmResult r = assemble(c.src);
        ASSERT_FALSE(r.ok()) << c.src;
        EXPECT_EQ(r.errors[0].line, c.line) << c.src;
        EXPECT_NE(r.errors[0].message.find(c.part), std::string::npos)
            << c.src << " -> " << r.errors[0].message;
        EXPECT_TRUE(r.bytes.empty());
    }
}

void expectRoundTrip(const Bytes& image) {
    std::string text = disassemble(image);
    AsmResult r = assemble(text);
    ASSERT_TRUE(r.ok()) << r.errors[0].line << ": " << r.errors[0].message << "\n" << text;
    ASSERT_EQ(r.bytes, image) << text;
}

TEST(Disassembler, RoundTripsWrittenPrograms) {
    expectRoundTrip(
        bytesOf(rs::test::u8(u8".var total 1\nstart:\nvar total\npush 0\n=\n;\nloop:\nvar "
                             u8"total\n++\n;\npushl loop\nvar total\npush 10\n<\ncmd nifgoto\n"
                             u8"push -1\npushf 0.1\npushf -0.0\npushf.bits 0x7f800001\npushs "
                             u8"\"合計\\{total}と\\{1:-3:F}\\{}\\{:4}\"\n"
                             u8"call f\ncmd end\nf:\nreturn\n")));
}

TEST(Disassembler, RoundTripsOddLayouts) {
    // Literal blocks in the middle of code, labels inside byte runs, operands naming offsets that
    // are not instruction starts, and widths that are not the default.
    expectRoundTrip(
        bytesOf("pushs mid\njump over\nmid:\n.str \"x\"\nover:\npushl.16 over\ncall.8 "
                "over\npush.32 0\ncmd.32 18"));
    expectRoundTrip({0x03, 2, 0, 0, 0});  // a label into the middle of itself
    expectRoundTrip({0x22, 0x00});        // a literal overlapping its own instruction
    expectRoundTrip({0x22, 0x04, 0x22, 0x04, 0x01, 0x00, 'z'});
    expectRoundTrip({0x01, 0x00, 0x00, 0xC0, 0xFF});  // a NaN
    expectRoundTrip({0x07, 0xFF, 0xFF, 0xFF, 0xFF, 0x15, 0x34, 0x12});
    expectRoundTrip({});
}

TEST(Disassembler, RoundTripsRandomImages) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 400; ++round) {
        Bytes image(rng() % 200);
        // Mostly valid opcodes, so instructions, literals and labels all appear.
        const uint8_t common[] = {0x00, 0x01, 0x02, 0x22, 0x03, 0x23, 0x05, 0x25, 0x06, 0x07, 0x27,
                                  0x08, 0x89, 0x95, 0xC2, 0xD1, 0x07, 0x09, 0x0A, 0x82, 0xA0};
        for (auto& b : image)
            b = rng() % 3 ? common[rng() % sizeof common] : static_cast<uint8_t>(rng());
        expectRoundTrip(image);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace rs::tools
