#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "builtins/script_check.h"
#include "data/archive_test_util.h"
#include "graphics/async_loads.h"
#include "graphics/frame.h"
#include "graphics/image_test_util.h"
#include "img/fd_encoder.h"
#include "img/sample_pictures.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

using graphics::Frame;
using graphics::getColour;

// bmpload / bmpload2 with the arguments in script order; the name is a string literal (UTF-8).
std::string load(const char* command, int32_t frame, int32_t x, int32_t y, const std::string& name,
                 int32_t alphaA, int32_t alphaB, int32_t mode) {
    return " push " + std::to_string(frame) + "\n push " + std::to_string(x) + "\n push " +
           std::to_string(y) + "\n pushs \"" + name + "\"\n push " + std::to_string(alphaA) +
           "\n push " + std::to_string(alphaB) + "\n push " + std::to_string(mode) + "\n cmd " +
           command + "\n";
}

class Recorder : public graphics::FrameChangeListener {
  public:
    void frameChanged(const Frame& f, int32_t x, int32_t y) override {
        reports.push_back(std::to_string(f.slot) + ":" + std::to_string(x) + "," +
                          std::to_string(y));
    }
    int32_t spriteStatistic(int32_t) const override { return 0; }
    std::vector<std::string> reports;
};

struct Game {
    Game() { game.engine().frames->listener = &recorder; }
    ~Game() { game.engine().frames->listener = nullptr; }
    void file(const std::string& name, const std::vector<uint8_t>& bytes) {
        game.dir().write(name, bytesToString(bytes));
    }
    std::vector<std::string> run(const std::string& source) {
        game.load(source + " cmd end\n");
        game.run(1000);
        return shownBy(game);
    }
    Frame* frame(int32_t n) { return game.engine().frames->at(n); }
    TestGame game;
    Recorder recorder;
};

const std::vector<uint8_t>& sampleBitmap() {
    static const std::vector<uint8_t> bmp = makeBitmap(3, 2, 24, [](int32_t x, int32_t y) {
        return x == 1 && y == 0 ? 0x0000FFu : static_cast<uint32_t>(0x101010 * (y * 3 + x + 1));
    });
    return bmp;
}

TEST(Bmpload, MissingFileMakesNoFrame) {
    Game g;
    auto shown = g.run(show(load("bmpload", -1, 0, 0, "missing", 0, 0, 0)) +
                       show(load("bmpload2", -1, 0, 0, "gone", 0, 0, 0)) +
                       show(" push -2\n push 1\n cmd framesize") +
                       show(" push -2\n push 4\n cmd framesize"));
    EXPECT_EQ(shown, (std::vector<std::string>{"-1", "-1", "0", ""}));
}

TEST(Bmpload, NewFrameTakesTheImageSizeAndTheScreenDepth) {
    Game g;
    g.file("pic/title.bmp", sampleBitmap());
    auto shown = g.run(show(load("bmpload", -1, 0, 0, "pic\\\\title", 1, 0, 0)) +
                       show(" push -2\n push 4\n cmd framesize") +
                       show(" push -2\n push 5\n cmd framesize") +
                       show(" push -2\n push 2\n cmd framesize"));
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], "0");
    EXPECT_EQ(shown[1], "pic\\title");
    EXPECT_EQ(shown[2].substr(shown[2].size() - 8), ")bmpload");
    EXPECT_EQ(shown[3], "3");
    Frame* f = g.frame(0);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->width, 3);
    EXPECT_EQ(f->height, 2);
    EXPECT_EQ(f->bpp, 32);
    EXPECT_EQ(f->alphaValid, 0);
    EXPECT_EQ(getColour(*f, 0, 0), 0xFF101010u);
    EXPECT_EQ(getColour(*f, 1, 0), 0u);  // the blue key left the zero-filled pixel
    EXPECT_EQ(getColour(*f, 2, 1), 0xFF606060u);
    EXPECT_EQ(g.recorder.reports, (std::vector<std::string>{"0:0,0", "0:2,1"}));
}

TEST(Bmpload, ModeTwoKeepsTheFilesDepthAndAlphaArgumentsSetAlphaValid) {
    Game g;
    std::vector<uint32_t> palette(256, 0x00FFFFFF);
    g.file("idx.bmp",
           makeBitmap(
               2, 2, 8, [](int32_t x, int32_t y) { return static_cast<uint32_t>(10 * y + x); },
               palette));
    g.file("argb.bmp", makeBitmap(1, 1, 32, [](int32_t, int32_t) { return 0x40ABCDEFu; }));
    g.run(load("bmpload", -1, 0, 0, "idx", 0, 0, 2) + " ;\n" +
          load("bmpload", -1, 0, 0, "argb", 0, 0, 2) + " ;\n" +
          load("bmpload", -1, 0, 0, "argb", 0, 0, 0) + " ;\n");
    ASSERT_TRUE(g.frame(0) && g.frame(1) && g.frame(2));
    EXPECT_EQ(g.frame(0)->bpp, 8);
    EXPECT_EQ(*graphics::pixelAddress(*g.frame(0), 1, 1), 11);
    EXPECT_EQ(g.frame(1)->bpp, 32);
    EXPECT_EQ(g.frame(1)->alphaValid, 1);
    EXPECT_EQ(getColour(*g.frame(1), 0, 0), 0x40ABCDEFu);
    EXPECT_EQ(g.frame(2)->alphaValid, 1);  // alphaA = alphaB = 0, whatever the mode
}

TEST(Bmpload, IntoAnExistingFrameAtAPlace) {
    Game g;
    SymbolWriter w(false);
    w.literal(0x123456);
    w.literal(0x654321);
    g.file("small.bmp", fdFile(false, 24, 2, 1, std::move(w.bits)));
    g.run(" push 4\n push 4\n push 0\n push 0\n cmd frame\n ;\n" +
          load("bmpload", 0, 3, 2, "small", 0, 0, 0) +
          load("bmpload", 0, 0, 0, "missing", 0, 0, 0));
    Frame* f = g.frame(0);
    EXPECT_EQ(getColour(*f, 3, 2), 0x00123456u);  // the second pixel is cut at the right edge
    EXPECT_EQ(getColour(*f, 2, 2), 0u);
    EXPECT_EQ(g.recorder.reports, (std::vector<std::string>{"0:3,2", "0:3,2"}));
    EXPECT_EQ(g.game.engine().frames->lastImage, "missing");
}

TEST(Bmpload, Errors) {
    EXPECT_EQ(
        valueOf(
            " push 1",
            " push -1\n push 0\n push 0\n push 7\n push 0\n push 0\n push 0\n cmd bmpload\n ;\n"),
        fatalAt("bmpload", "引数が文字列になっていません"));
    {
        // A bitmap whose header asks for a frame that cannot exist.
        Game g;
        auto bmp = sampleBitmap();
        bmp[22] = 0xFE;
        bmp[23] = bmp[24] = bmp[25] = 0xFF;  // height -2
        g.file("upside.bmp", bmp);
        auto shown = g.run(show(load("bmpload", -1, 0, 0, "upside", 0, 0, 0)));
        EXPECT_EQ(shown, std::vector<std::string>{
                             fatalAt("frame in bmpload", "フレーム作成サイズが異常(3,-2)です。")});
    }
    {
        Game g;
        g.file("a.bmp", sampleBitmap());
        for (int32_t i = 0; i < graphics::kFrameCount; ++i)
            g.game.engine().frames->place(i, graphics::createFrame(0, 0, 0, 0));
        auto shown = g.run(show(load("bmpload2", -1, 0, 0, "a", 0, 0, 0)));
        EXPECT_EQ(shown, std::vector<std::string>{
                             fatalAt("frame in bmpload", "フレーム枚数が最大数を越えました")});
    }
}

TEST(Bmpload, ADamagedArchiveIsLogged) {
    Game g;
    writeArchive(g.game.dir(), "cg", {{"bg.bmp", sampleBitmap()}});
    g.game.dir().write("cg.at2", "ab");  // shorter than its trailer
    EXPECT_EQ(g.run(show(load("bmpload", -1, 0, 0, "cg\\\\bg", 0, 0, 0))),
              std::vector<std::string>{"-1"});
    EXPECT_NE(g.game.log().find("ファイル「" + g.game.dir().path() + "/cg.at2」、エラーカウント0"),
              std::string::npos)
        << g.game.log();
}

TEST(Bmpload, ReadsArchiveMembersOnBothThreads) {
    Game g;
    graphics::Image img = tools::samplePhoto(40, 30, 4);
    writeArchive(g.game.dir(), "cg",
                 {{"bg.bmp", tools::encodeFD(img, false)}, {"key.bmp", sampleBitmap()}});
    auto shown = g.run(show(load("bmpload", -1, 0, 0, "cg\\\\bg", 0, 0, 0)) +
                       show(load("bmpload2", -1, 0, 0, "cg\\\\key", 0, 0, 0)) +
                       load("bmpload2", 0, 1, 1, "cg\\\\key", 0, 0, 0) +
                       show(" push 0\n push 39\n push 29\n cmd point") +
                       show(" push 1\n push 2\n push 1\n cmd point") +
                       show(" push 0\n push 1\n push 1\n cmd point"));
    EXPECT_EQ(shown, (std::vector<std::string>{"0", "1", std::to_string(img.at(39, 29) & 0xFFFFFF),
                                               std::to_string(static_cast<int32_t>(0xFF606060)),
                                               std::to_string(static_cast<int32_t>(0xFF101010))}));
}

TEST(Bmpload2, SeveralBackgroundLoadsIntoOneFrame) {
    Game g;
    // Photo-like FE images of different sizes: big enough that the loads overlap the script.
    for (int i = 0; i < 4; ++i) {
        graphics::Image img = tools::samplePhoto(120 + 10 * i, 90, static_cast<uint32_t>(i));
        g.file("layer" + std::to_string(i) + ".bmp", tools::encodeFE(img, false));
    }
    std::string script = " push 400\n push 300\n push 0\n push 0\n cmd frame\n ;\n";
    for (int i = 0; i < 4; ++i)
        script += load("bmpload2", 0, 60 * i, 40 * i, "layer" + std::to_string(i), 5, 5, 0);
    script += load("bmpload2", -1, 0, 0, "layer3", 0, 0, 0) + " ;\n";
    for (int i = 0; i < 4; ++i) {
        script += show(" push 0\n push " + std::to_string(60 * i + 5) + "\n push " +
                       std::to_string(40 * i + 7) + "\n cmd point");
    }
    script += show(" push 1\n push 149\n push 89\n cmd point") +
              show(" push -2\n push 5\n cmd framesize");
    auto shown = g.run(script);
    ASSERT_EQ(shown.size(), 6u);
    for (int i = 0; i < 4; ++i) {
        graphics::Image img = tools::samplePhoto(120 + 10 * i, 90, static_cast<uint32_t>(i));
        EXPECT_EQ(shown[static_cast<size_t>(i)],
                  std::to_string(static_cast<int32_t>(img.at(5, 7) & 0xFFFFFF)))
            << i;
    }
    graphics::Image last = tools::samplePhoto(150, 90, 3);
    EXPECT_EQ(shown[4], std::to_string(last.at(149, 89) & 0xFFFFFF));
    EXPECT_EQ(shown[5].substr(shown[5].size() - 9), ")bmpload2");
    EXPECT_EQ(g.frame(1)->width, 150);
    EXPECT_EQ(g.frame(0)->busy.load(), 0);
    // Every load reported its area once it was done.
    for (int i = 0; i < 4; ++i) {
        std::string corner = "0:" + std::to_string(60 * i) + "," + std::to_string(40 * i);
        EXPECT_NE(std::find(g.recorder.reports.begin(), g.recorder.reports.end(), corner),
                  g.recorder.reports.end())
            << corner;
    }
    EXPECT_EQ(g.frame(0)->dirty, 1);
}

TEST(Bmpload2, KillframeAndShutdownWaitForTheLoad) {
    graphics::Image big = tools::samplePhoto(500, 400, 9);
    std::vector<uint8_t> fe = tools::encodeFE(big, false);
    {
        Game g;
        g.file("big.bmp", fe);
        g.run(load("bmpload2", -1, 0, 0, "big", 0, 0, 0) + " ;\n push 0\n cmd killframe\n" +
              load("bmpload2", -1, 0, 0, "big", 0, 0, 0) + " ;\n");
        // killframe waited for the first load; the second, into the new frame 0, may still be
        // running when the game ends, and the engine waits for it as it goes away.
        ASSERT_TRUE(g.frame(0));
        EXPECT_EQ(g.frame(0)->width, 500);
        EXPECT_EQ(g.frame(1), nullptr);
    }
    {
        // Loads still running when the table is destroyed are joined first.
        Game g;
        g.file("big.bmp", fe);
        g.run(load("bmpload2", -1, 0, 0, "big", 0, 0, 0) + " ;\n" +
              load("bmpload2", 0, 5, 5, "big", 0, 0, 0));
        graphics::destroyAllFrames(g.game.engine());
        EXPECT_EQ(g.game.engine().frames->usedCount(), 0);
        EXPECT_EQ(g.game.engine().frames->loads->workerCount(), 0u);
    }
}

TEST(Bmpload2, CommandsWaitWhileAFrameIsBusy) {
    Game g;
    Frame* f = g.game.engine().frames->place(0, graphics::createFrame(2, 2, 32, 0));
    f->busy.store(1);
    std::thread release([f] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        graphics::putPixel(*f, 1, 1, 0x77);
        f->busy.store(0);
    });
    auto shown = g.run(show(" push 0\n push 1\n push 1\n cmd point"));
    release.join();
    EXPECT_EQ(shown, std::vector<std::string>{"119"});
}

}  // namespace
}  // namespace rs::test
