// The text form of recorded input: every kind of line, key names, comments and the ways people
// write files (a byte-order mark, CR LF, tabs, any case), lines written back as they are read,
// and malformed lines named with their number and what is wrong.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "shell/input_file.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

namespace vk = platform::vk;
using platform::InputEvent;
using platform::InputKind;
using platform::MouseButton;
using shell::TimedInput;

std::vector<TimedInput> parsed(const std::string& text) {
    std::vector<TimedInput> out;
    shell::InputFileError error;
    EXPECT_TRUE(shell::parseInputText(text, out, error)) << error.line << ": " << error.message;
    return out;
}

shell::InputFileError errorOf(const std::string& text) {
    std::vector<TimedInput> out;
    shell::InputFileError error;
    EXPECT_FALSE(shell::parseInputText(text, out, error)) << text;
    return error;
}

TEST(InputFile, EveryKindOfLine) {
    std::string text =
        u8(u8"\xEF\xBB\xBF# a recording\r\n"
           u8"\r\n"
           u8"0 key down RETURN\r\n"
           u8"5\tkey  up   0x0d   # Enter again\n"
           u8"10 KEY DOWN lshift\n"
           u8"10 key down vk_f24\n"
           u8"11 key up 65\n"
           u8"20 mouse move -3 700\n"
           u8"20 mouse down left 1 2\n"
           u8"21 mouse up right 3 4\n"
           u8"22 mouse down middle 5 6\n"
           u8"30 wheel -120\n"
           u8"30 hwheel +240\n"
           u8"40 text aあ ｱ#😀\n"
           u8"50 pad 1 axis 6 27000\n"
           u8"50 pad 0 button 31 down\n"
           u8"51 pad 0 button 0 up\n"
           u8"60 focus out\n"
           u8"61 focus in\n"
           u8"70 close\n"
           u8"   # indented comment\n"
           u8"80 key down NUMPAD0");
    std::vector<TimedInput> expected = {
        {0, InputEvent::key(true, vk::kReturn)},
        {5, InputEvent::key(false, vk::kReturn)},
        {10, InputEvent::key(true, vk::kLShift)},
        {10, InputEvent::key(true, vk::kF1 + 23)},
        {11, InputEvent::key(false, 'A')},
        {20, InputEvent::pointer(-3, 700)},
        {20, InputEvent::button(true, MouseButton::Left, 1, 2)},
        {21, InputEvent::button(false, MouseButton::Right, 3, 4)},
        {22, InputEvent::button(true, MouseButton::Middle, 5, 6)},
        {30, InputEvent::wheel(false, -120)},
        {30, InputEvent::wheel(true, 240)},
        // The rest of the line, spaces and '#' included; what code page 932 cannot hold is left
        // out.
        {40, InputEvent::character('a')},
        {40, InputEvent::character(0x82A0)},
        {40, InputEvent::character(' ')},
        {40, InputEvent::character(0xB1)},
        {40, InputEvent::character('#')},
        {50, InputEvent::padAxis(1, 6, 27000)},
        {50, InputEvent::padButton(0, 31, true)},
        {51, InputEvent::padButton(0, 0, false)},
        {60, InputEvent::of(InputKind::FocusOut)},
        {61, InputEvent::of(InputKind::FocusIn)},
        {70, InputEvent::of(InputKind::Close)},
        {80, InputEvent::key(true, vk::kNumpad0)},
    };
    EXPECT_EQ(parsed(text), expected);
    EXPECT_TRUE(parsed("").empty());
    EXPECT_TRUE(parsed("# nothing\n\n   \n").empty());
    // An empty text types nothing.
    EXPECT_TRUE(parsed("3 text\n3 text \n").empty());
    EXPECT_EQ(parsed("3 text  \n"), (std::vector<TimedInput>{{3, InputEvent::character(' ')}}));
    // Control characters are typed by keys, not by text.
    EXPECT_EQ(parsed("3 text \ta\x7F\x1B\rb\n"),
              (std::vector<TimedInput>{{3, InputEvent::character('a')},
                                       {3, InputEvent::character('b')}}));
    EXPECT_EQ(shell::formatInputLine(3, InputEvent::character('\r')), "");
}

TEST(InputFile, KeyNamesAndNumbersName256Keys) {
    for (int32_t k = 0; k < 256; ++k) {
        EXPECT_EQ(shell::virtualKeyFromName(std::to_string(k)), k);
        if (const char* name = shell::virtualKeyName(k)) {
            EXPECT_EQ(shell::virtualKeyFromName(name), k) << name;
        }
    }
    struct Name {
        const char* name;
        int32_t key;
    };
    for (Name n : {Name{"ENTER", vk::kReturn}, Name{"esc", vk::kEscape}, Name{"Space", 0x20},
                   Name{"F1", 0x70}, Name{"f12", 0x7B}, Name{"Z", 'Z'}, Name{"PAGEDOWN", 0x22},
                   Name{"ctrl", vk::kControl}, Name{"ALT", vk::kMenu}, Name{"scroll", 0x91},
                   Name{"convert", 0x1C}, Name{"OEM_102", 0xE2}, Name{"0xff", 255}}) {
        EXPECT_EQ(shell::virtualKeyFromName(n.name), n.key) << n.name;
    }
    for (const char* bad : {"", "256", "-1", "0x100", "RETRUN", "F25", "NUMPAD10", "AA", "VK_"}) {
        EXPECT_FALSE(shell::virtualKeyFromName(bad)) << bad;
    }
    EXPECT_STREQ(shell::virtualKeyName(vk::kReturn), "RETURN");
    EXPECT_STREQ(shell::virtualKeyName('0'), nullptr);  // digits are written as numbers
}

TEST(InputFile, EveryEventIsWrittenAsItIsRead) {
    std::vector<InputEvent> events = {
        InputEvent::key(true, vk::kLShift),
        InputEvent::key(false, 0x30),
        InputEvent::key(true, 0xFF),
        InputEvent::character(0x82A0),
        InputEvent::character('#'),
        InputEvent::character(' '),
        InputEvent::character(0xDF),
        InputEvent::pointer(INT32_MIN, INT32_MAX),
        InputEvent::button(true, MouseButton::Middle, -1, 0),
        InputEvent::button(false, MouseButton::Right, 7, 8),
        InputEvent::wheel(false, -360),
        InputEvent::wheel(true, INT32_MIN),
        InputEvent::padAxis(1, 0, 65535),
        InputEvent::padAxis(0, 6, 65535),
        InputEvent::padButton(1, 31, true),
        InputEvent::padButton(0, 0, false),
        InputEvent::of(InputKind::FocusIn),
        InputEvent::of(InputKind::FocusOut),
        InputEvent::of(InputKind::Close),
    };
    std::string text;
    std::vector<TimedInput> expected;
    uint32_t t = 0;
    for (const InputEvent& e : events) {
        std::string line = shell::formatInputLine(t, e);
        ASSERT_FALSE(line.empty());
        text += line + "\n";
        expected.push_back({t, e});
        t += 7;
    }
    EXPECT_EQ(parsed(text), expected);
    EXPECT_EQ(shell::formatInputLine(12, InputEvent::key(true, vk::kReturn)), "12 key down RETURN");
    EXPECT_EQ(shell::formatInputLine(0, InputEvent::character(0x82A0)), u8(u8"0 text あ"));
    // What the format does not hold gives no line.
    EXPECT_EQ(shell::formatInputLine(1, InputEvent::composition(true)), "");
    EXPECT_EQ(shell::formatInputLine(1, InputEvent::padRemoved(0)), "");
    EXPECT_EQ(shell::formatInputLine(1, InputEvent::character(0x81)), "");  // a lone lead byte
    EXPECT_EQ(shell::formatInputLine(1, InputEvent::character(0x4142)), "");
}

TEST(InputFile, MalformedLinesAreNamedWithWhatIsWrong) {
    struct Bad {
        std::string text;
        int64_t line;
        const char* message;
    };
    const std::vector<Bad> bad = {
        {"key down A", 1, "the time 'key' is not a number from 0 to 2147483647"},
        {"# ok\n-5 key down A", 2, "the time '-5'"},
        {"2147483648 close", 1, "is not a number from 0 to 2147483647"},
        {"10", 1, "the line has a time but no event"},
        {"10 # comment only", 1, "the line has a time but no event"},
        {"10 close\n5 close", 2, "the time 5 comes before 10 of an earlier line"},
        {"1 jump", 1, "unknown event 'jump'"},
        {"1 key press A", 1, "the direction 'press' is not down or up"},
        {"1 key down", 1, "the event ends before its key"},
        {"1 key down 256", 1, "unknown key '256'"},
        {"1 key down -1", 1, "unknown key '-1'"},
        {"1 key down RETRUN", 1, "unknown key 'RETRUN'"},
        {"1 key down A B", 1, "unexpected 'B' after the event"},
        {"1 mouse move 1", 1, "the event ends before its y"},
        {"1 mouse move 1 2 3", 1, "unexpected '3'"},
        {"1 mouse move 99999999999 2", 1, "the x '99999999999' is not a number from -2147483648"},
        {"1 mouse move 1.5 2", 1, "the x '1.5'"},
        {"1 mouse click left 1 2", 1, "the mouse event 'click' is not move, down or up"},
        {"1 mouse down wheel 1 2", 1, "the button 'wheel' is not left, right or middle"},
        {"1 wheel", 1, "the event ends before its delta"},
        {"1 wheel 2147483648", 1, "the delta '2147483648'"},
        {"1 pad 2 axis 0 0", 1, "the pad '2' is not a number from 0 to 1"},
        {"1 pad 0 axis 7 0", 1, "the axis '7' is not a number from 0 to 6"},
        {"1 pad 0 axis 0 65536", 1, "the position '65536' is not a number from 0 to 65535"},
        {"1 pad 0 button 32 down", 1, "the button '32' is not a number from 0 to 31"},
        {"1 pad 0 button 3 pressed", 1, "the direction 'pressed' is not down or up"},
        {"1 pad 0 stick 0 0", 1, "the pad event 'stick' is not axis or button"},
        {"1 focus maybe", 1, "the focus 'maybe' is not in or out"},
        {"1 close now", 1, "unexpected 'now'"},
        {"1 text \xFF\xFE", 1, "the text is not valid UTF-8"},
        {"1 text \xED\xA0\x80", 1, "the text is not valid UTF-8"},  // a surrogate
        {"1 \x01\x02\x7F", 1, "unknown event '\\x01\\x02\\x7F'"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.text);
        shell::InputFileError e = errorOf(b.text);
        EXPECT_EQ(e.line, b.line);
        EXPECT_NE(e.message.find(b.message), std::string::npos) << e.message;
    }
    // Long lines and too many events.
    EXPECT_NE(errorOf("1 text " + std::string(shell::kMaxInputLineBytes, 'a'))
                  .message.find("longer than"),
              std::string::npos);
    std::string many;
    for (int i = 0; i < 9; ++i) many += "0 text " + std::string(500000, 'a') + "\n";
    EXPECT_EQ(errorOf(many).line, 9);
}

TEST(InputFile, GarbageNeverCrashesTheReader) {
    std::mt19937 rng(21);
    std::vector<TimedInput> out;
    shell::InputFileError error;
    const std::string words[] = {"0 ",    "1 ",       "key ",   "down ", "up ",    "mouse ", "pad ",
                                 "axis ", "button ",  "text ",  "A ",    "-1 ",    "\n",     "#",
                                 "\r",    "\xE3\x81", "65535 ", "close", "focus ", "\t"};
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        int n = static_cast<int>(rng() % 30);
        for (int k = 0; k < n; ++k) {
            if (rng() % 4 == 0) {
                text += static_cast<char>(rng());
            } else {
                text += words[rng() % std::size(words)];
            }
        }
        shell::parseInputText(text, out, error);
    }
}

TEST(InputFile, FilesAreReadWithTheirNameInEveryMessage) {
    TempDir dir;
    dir.write("ok.txt", "0 key down A\n10 key up A\n");
    std::vector<TimedInput> out;
    std::string error;
    EXPECT_TRUE(shell::readInputFile(dir.path() + "/ok.txt", out, &error)) << error;
    EXPECT_EQ(out.size(), 2u);
    dir.write("bad.txt", "0 key down A\n\n10 key sideways A\n");
    EXPECT_FALSE(shell::readInputFile(dir.path() + "/bad.txt", out, &error));
    EXPECT_EQ(error, dir.path() + "/bad.txt:3: the direction 'sideways' is not down or up");
    EXPECT_FALSE(shell::readInputFile(dir.path() + "/missing.txt", out, &error));
    EXPECT_EQ(error, "cannot read the input file '" + dir.path() + "/missing.txt': no such file");
    EXPECT_FALSE(shell::readInputFile(dir.path(), out, &error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
}

TEST(Encoding, TypedTextBecomesCodePage932Characters) {
    auto codes = platform::cp932CharacterCodes(u8(u8"Aあ、ｱ😀漢\u00e9~"));
    ASSERT_TRUE(codes);
    // The emoji and é have no code page 932 form.
    EXPECT_EQ(*codes, (std::vector<uint16_t>{'A', 0x82A0, 0x8141, 0xB1, 0x8ABF, '~'}));
    EXPECT_FALSE(platform::cp932CharacterCodes("\xC0\x80"));   // an overlong NUL
    EXPECT_FALSE(platform::cp932CharacterCodes("a\xE3\x81"));  // cut short
    EXPECT_TRUE(platform::cp932CharacterCodes(std::string("\0", 1))->empty());
    EXPECT_EQ(platform::characterCodeToUtf8(0x8ABF), u8(u8"漢"));
    EXPECT_EQ(platform::characterCodeToUtf8('z'), "z");
    EXPECT_FALSE(platform::characterCodeToUtf8(0));
    EXPECT_FALSE(platform::characterCodeToUtf8(0x9F));
}

}  // namespace
}  // namespace rs::test
