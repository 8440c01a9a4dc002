// Byte code that is not well formed: every case stops with a fatal error and never reads outside
// the image.
#include <gtest/gtest.h>

#include "support/test_game.h"

namespace rs::test {
namespace {

std::string fatalText(const std::vector<uint8_t>& bytes) {
    TestGame game;
    game.loadBytes(bytes);
    game.run(1000);
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    return fatal.empty() ? "" : fatal[0];
}

TEST(BadInput, InvalidOpcodeReportsItsAddressAndByte) {
    std::vector<uint8_t> bytes(100, 0x08);  // 100 pushes of void...
    bytes.push_back(0x4A);                  // ...then an invalid opcode at offset 100
    std::string text = fatalText(bytes);
    EXPECT_EQ(text.rfind("場所：実行時のエラー in -1\n(101:test)\n症状：アドレス  100 : "
                         "おかしな命令「4a」を実行しました\n",
                         0),
              0u)
        << text;
}

TEST(BadInput, EveryUndefinedOpcodeIsInvalid) {
    for (int op : {0x04, 0x09, 0x0F, 0x11, 0x18, 0x21, 0x28, 0x30, 0x7F, 0xC4, 0xCF, 0xD5, 0xFF}) {
        std::string text = fatalText({static_cast<uint8_t>(op), 0, 0, 0, 0});
        char expected[64];
        std::snprintf(expected, sizeof expected, "おかしな命令「%02x」", op);
        EXPECT_NE(text.find(expected), std::string::npos) << std::hex << op << ": " << text;
    }
}

TEST(BadInput, TruncatedOperandsAtTheEndAreInvalidInstructions) {
    EXPECT_NE(fatalText({0x00, 0x01, 0x02}).find("アドレス    0 : おかしな命令「00」"),
              std::string::npos);
    EXPECT_NE(fatalText({0xD1, 0x15, 0x01}).find("アドレス    1 : おかしな命令「15」"),
              std::string::npos);
    EXPECT_NE(fatalText({0xD1, 0x27}).find("アドレス    1 : おかしな命令「27」"),
              std::string::npos);
    EXPECT_NE(fatalText({0x01, 0, 0}).find("おかしな命令「01」"), std::string::npos);
}

TEST(BadInput, StringLiteralsOutsideTheImageAreRejected) {
    // Offset past the end.
    EXPECT_NE(fatalText({0x22, 0xF0}).find("おかしな命令「22」"), std::string::npos);
    // Offset inside, but the length runs past the end: at 2, length 0x00FF, only 3 bytes.
    EXPECT_NE(fatalText({0x22, 0x02, 0xFF, 0x00, 'a', 'b', 'c'}).find("おかしな命令「22」"),
              std::string::npos);
    // A negative 32-bit offset.
    EXPECT_NE(fatalText({0x02, 0xFF, 0xFF, 0xFF, 0xFF}).find("おかしな命令「02」"),
              std::string::npos);
    // A literal whose length byte is the last byte of the image.
    EXPECT_NE(fatalText({0x22, 0x02, 0x00}).find("おかしな命令「22」"), std::string::npos);
}

TEST(BadInput, RunningOffTheEndStops) {
    // push 1, push 2, +, statement end, and nothing after it.
    std::string text = fatalText({0xD1, 0xD2, 0x89, 0x95});
    EXPECT_NE(text.find("アドレス    4 : コードの範囲外を実行しようとしました"), std::string::npos)
        << text;
}

TEST(BadInput, UnassignedCommandIdsAreReported) {
    for (const char* src : {"cmd 100\n", "cmd 0\n", "cmd.32 -5\n", "cmd 520\n", "cmd 2000\n"}) {
        std::string text = fatalText(TestGame::assembleOrFail(src));
        EXPECT_NE(text.find("場所：実行時のエラー"), std::string::npos) << src << text;
        EXPECT_NE(text.find("未定義の命令番号"), std::string::npos) << src << text;
    }
}

TEST(BadInput, VariableNumbersPast2047AreFatal) {
    std::string text = fatalText(TestGame::assembleOrFail("var 5000\npush 1\n=\n"));
    EXPECT_NE(text.find("症状：変数番号が範囲外です(#1388[hex])\n"), std::string::npos) << text;
    // Reading one is the unknown-variable error.
    text = fatalText(TestGame::assembleOrFail("var 5000\npush 1\n+\n"));
    EXPECT_NE(text.find("未使用変数(#1388[hex])を使用しました"), std::string::npos) << text;
}

TEST(BadInput, ParameterStackOverflowIsFatal) {
    std::string src;
    for (int i = 0; i < 2100; ++i) src += "push 1\n";
    std::string text = fatalText(TestGame::assembleOrFail(src));
    EXPECT_NE(text.find("症状：パラメータスタックが溢れました\n"), std::string::npos) << text;
}

TEST(BadInput, EmptyStackFetchesAreFatal) {
    EXPECT_NE(fatalText(TestGame::assembleOrFail("+\n"))
                  .find("場所：ngetvar in -1\n(1:test)\n症状：パラメータがたりません\n"),
              std::string::npos);
    EXPECT_NE(fatalText(TestGame::assembleOrFail("cmd dim\n")).find("場所：ngetvar"),
              std::string::npos);
    EXPECT_NE(fatalText(TestGame::assembleOrFail("global\n"))
                  .find("場所：global in -1\n(1:test)\n症状：変数名がありません\n"),
              std::string::npos);
    EXPECT_NE(fatalText(TestGame::assembleOrFail("push 1\nglobal\n"))
                  .find("症状：変数名ではありません\n"),
              std::string::npos);
}

}  // namespace
}  // namespace rs::test
