#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "graphics/image_loader.h"
#include "graphics/image_test_util.h"
#include "img/image_tool.h"
#include "img/sample_pictures.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun runTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = tools::runImageTool(args, out, err);
    return {status, out.str(), err.str()};
}

std::vector<uint8_t> readBytes(const TempDir& dir, const std::string& name) {
    std::string s = dir.read(name);
    return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(RsImg, PngToFdAndFeAndBackWithoutAChangedPixel) {
    TempDir dir;
    struct Case {
        const char* name;
        graphics::Image image;
        bool alpha;
    };
    std::vector<Case> cases = {
        {"photo", tools::samplePhoto(200, 150, 3), false},
        {"art", tools::sampleArtwork(120, 100, 4), true},
    };
    for (const Case& c : cases) {
        std::string png = dir.path() + "/" + c.name + ".png";
        ASSERT_TRUE(graphics::writePng(png, c.image, c.alpha));
        for (const char* format : {"fd", "fe"}) {
            std::string encoded = dir.path() + "/" + c.name + "." + format;
            std::string back = encoded + ".png";
            ToolRun r = runTool({format, png, encoded});
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_NE(r.out.find(c.alpha ? "depth 32" : "depth 24"), std::string::npos) << r.out;
            auto header =
                graphics::readFdHeader(readBytes(dir, std::string(c.name) + "." + format));
            ASSERT_TRUE(header);
            EXPECT_EQ(header->fe, std::string(format) == "fe");
            ASSERT_EQ(runTool({"png", encoded, back}).status, 0);
            auto again = graphics::readPng(back);
            ASSERT_TRUE(again);
            EXPECT_TRUE(*again == c.image) << c.name << " " << format;
        }
    }
}

TEST(RsImg, InfoGivesThePngFilesOwnDepth) {
    TempDir dir;
    graphics::Image img = tools::samplePhoto(4, 3, 1);
    ASSERT_TRUE(graphics::writePng(dir.path() + "/rgb.png", img, false));
    ASSERT_TRUE(graphics::writePng(dir.path() + "/rgba.png", img, true));
    EXPECT_EQ(runTool({"info", dir.path() + "/rgb.png"}).out, "PNG 4x3 depth 24\n");
    EXPECT_EQ(runTool({"info", dir.path() + "/rgba.png"}).out, "PNG 4x3 depth 32\n");
}

TEST(RsImg, BitmapsShowTheirColourKeyAsTransparent) {
    TempDir dir;
    dir.write("key.bmp", bytesToString(makeBitmap(2, 1, 24, [](int32_t x, int32_t) {
                  return x ? 0x0000FFu : 0x123456u;
              })));
    ToolRun info = runTool({"info", dir.path() + "/key.bmp"});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out, "BMP 2x1 depth 24 with transparency\n");
    ASSERT_EQ(runTool({"png", dir.path() + "/key.bmp", dir.path() + "/key.png"}).status, 0);
    auto png = graphics::readPng(dir.path() + "/key.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->pixels, (std::vector<uint32_t>{0xFF123456, 0x00000000}));
}

TEST(RsImg, UsageAndBadInput) {
    TempDir dir;
    EXPECT_EQ(runTool({}).status, 2);
    EXPECT_EQ(runTool({"--help"}).status, 0);
    EXPECT_EQ(runTool({"gif", "a", "b"}).status, 2);
    EXPECT_EQ(runTool({"png", "only-one"}).status, 2);
    ToolRun missing = runTool({"info", dir.path() + "/none"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
    EXPECT_NE(missing.err.find("no such file"), std::string::npos);
    ToolRun folder = runTool({"info", dir.path()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "rs-img: cannot read '" + dir.path() + "': is a folder, not a file\n");
    dir.write("junk.bmp", "8P\x02\x00\x02\x00");
    ToolRun junk = runTool({"png", dir.path() + "/junk.bmp", dir.path() + "/junk.png"});
    EXPECT_EQ(junk.status, 1);
    EXPECT_NE(junk.err.find("not a PNG, FD, FE or BMP image"), std::string::npos);
    // A truncated FD image still converts, with a warning.
    SymbolWriter w(false);
    w.literal(0x010203);
    dir.write("cut.fd", bytesToString(fdFile(false, 24, 3, 1, std::move(w.bits))));
    ToolRun cut = runTool({"png", dir.path() + "/cut.fd", dir.path() + "/cut.png"});
    EXPECT_EQ(cut.status, 0);
    EXPECT_NE(cut.err.find("warning"), std::string::npos);
}

}  // namespace
}  // namespace rs::test
