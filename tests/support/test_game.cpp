#include "support/test_game.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "asm/asm.h"
#include "shell/main_loop.h"

namespace rs::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string templ = (fs::temp_directory_path() / "runestage-test-XXXXXX").string();
    char* made = mkdtemp(templ.data());
    path_ = made ? made : templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Folders made read-only by a test must become writable again to be removed.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); ++it) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

void TempDir::write(const std::string& name, std::string_view bytes) const {
    fs::path p = fs::path(path_) / name;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(fs::path(path_) / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool TempDir::exists(const std::string& name) const { return fs::exists(fs::path(path_) / name); }

namespace {

// Every test game's clock: starting at 1000 ms, with a fixed local time for the log.
std::unique_ptr<platform::VirtualClock> testClock() {
    auto clock = std::make_unique<platform::VirtualClock>(1000);
    platform::LocalTime t{.year = 2026,
                          .month = 12,
                          .day = 6,
                          .dayOfWeek = 0,
                          .hour = 12,
                          .minute = 34,
                          .second = 56};
    clock->setLocalTime(t);
    return clock;
}

}  // namespace

TestGame::TestGame(int32_t poolSize, bool withSaveFolder)
    : TestGame(
          [this](std::unique_ptr<platform::VirtualClock> clock) {
              auto host = std::make_unique<platform::HeadlessHost>(std::move(clock), nullptr);
              headless_ = host.get();
              return host;
          },
          poolSize, withSaveFolder) {}

TestGame::TestGame(const HostMaker& makeHost) : TestGame(makeHost, 32768, true) {}

TestGame::TestGame(const HostMaker& makeHost, int32_t poolSize, bool withSaveFolder) {
    if (withSaveFolder) fs::create_directories(fs::path(dir_.path()) / "save");
    auto clock = testClock();
    clock_ = clock.get();
    host_ = makeHost(std::move(clock));
    shell::AppState app;
    app.programFolder = dir_.path();
    app.variablePoolSize = poolSize;
    // Per-user data stays inside the test's folder, never in the real home.
    app.userDataFolder = dir_.path() + "/userdata";
    engine_ = std::make_unique<Engine>(*host_, app);
}

const std::vector<platform::HeadlessMessageBoxes::Shown>& TestGame::boxes() const {
    static const std::vector<platform::HeadlessMessageBoxes::Shown> none;
    return headless_ ? headless_->boxes().shown() : none;
}

std::vector<uint8_t> TestGame::assembleOrFail(const std::string& source) {
    tools::AsmResult r = tools::assemble(source);
    for (const auto& e : r.errors) ADD_FAILURE() << "line " << e.line << ": " << e.message;
    return r.bytes;
}

runtime::ScriptThread& TestGame::loadBytes(const std::vector<uint8_t>& bytes) {
    runtime::ScriptThread* t = engine_->threads.at(0);
    if (!t) t = engine_->threads.create(0);
    t->code.setOwned(bytes.data(), static_cast<int32_t>(bytes.size()));
    t->ended = 0;
    t->wake_time = engine_->engineTime();
    t->name = "test";
    t->line = -1;
    return *t;
}

runtime::ScriptThread& TestGame::load(const std::string& source) {
    return loadBytes(assembleOrFail(source));
}

bool TestGame::run(int64_t maxTurns) { return shell::runTurns(*engine_, maxTurns); }

std::vector<std::string> TestGame::boxTexts(std::string_view caption) const {
    std::vector<std::string> out;
    for (const auto& b : boxes()) {
        if (b.caption == caption) out.push_back(b.text);
    }
    return out;
}

std::string TestGame::log() const {
    return dir_.exists("save/rune_error.log") ? dir_.read("save/rune_error.log") : "";
}

std::string evalText(const std::string& body, const std::string& prelude) {
    TestGame game;
    game.load(prelude + "\n push -1\n push 0\n push 0\n push 0\n push 0\n push 0\n push 0\n" +
              body + "\n cmd print\n ;\n cmd end\n");
    game.run(1000);
    auto info = game.boxTexts("情報");
    if (!info.empty()) return info.back();
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    if (!fatal.empty()) return "FATAL: " + fatal.back();
    return "(nothing shown)";
}

}  // namespace rs::test
