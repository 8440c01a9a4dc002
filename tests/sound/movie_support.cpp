#include "sound/movie_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/main_loop.h"

namespace rs::test {

tools::MovieSpec threeColours(tools::MovieKind kind, bool sound) {
    tools::MovieSpec spec;
    spec.kind = kind;
    for (uint32_t c : {kRed, kGreen, kBlue}) {
        for (int i = 0; i < 10; ++i) spec.colours.push_back(c);
    }
    spec.soundMs = sound ? 1200 : 0;
    return spec;
}

std::string moviePlay(const std::string& name, int x, int y, int width, int height, int volume) {
    return " pushs \"" + name + "\"\n" + call("movie", {x, y, width, height, volume});
}

std::string movieStatusInto(int var) { return callInto(var, "moviestatus", {}); }

std::string waitForMovieEnd() {
    // Each wait has labels of its own.
    static int count = 0;
    std::string poll = "poll" + std::to_string(++count), ended = "ended" + std::to_string(count);
    return poll + ":\n" + waitMs(10) + " pushl " + ended +
           "\n cmd moviestatus\n push 1\n ==\n ifgoto\n jump " + poll + "\n" + ended + ":\n";
}

std::string waitForever() { return "forever:\n" + waitMs(10) + " jump forever\n"; }

std::string waitSteps(int ms) {
    std::string s;
    for (int i = 0; i < ms / 10; ++i) s += waitMs(10);
    return s;
}

MovieGame::MovieGame() = default;

void MovieGame::movie(const std::string& name, const tools::MovieSpec& spec) {
    std::string error;
    ASSERT_TRUE(tools::writeMovie(game.dir().path() + "/" + name, spec, &error)) << error;
}

void MovieGame::start(const std::string& source) {
    std::string globals;
    for (int v = 1; v <= 9; ++v) globals += " var " + std::to_string(v) + "\n global\n";
    game.load(globals + call("screen", {320, 240, 0, 4}) + source + "\n cmd end\n");
    origin_ = e.engineTime();
}

int64_t MovieGame::elapsed() { return (e.engineTime() - origin_) & 0x7FFFFFFF; }

void MovieGame::runTo(int64_t ms) {
    while (elapsed() < ms) {
        if (shell::runTurns(e, 1)) return;
    }
}

uint32_t MovieGame::pixel(int32_t x, int32_t y) const {
    platform::Picture p = e.host.presenter().picture();
    if (x < 0 || y < 0 || x >= p.width || y >= p.height) return 0xDEADBEEF;
    return p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) +
                    static_cast<size_t>(x)] &
           0xFFFFFFu;
}

bool near(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift : {0, 8, 16}) {
        int a = static_cast<int>((actual >> shift) & 0xFF);
        int b = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

}  // namespace rs::test
