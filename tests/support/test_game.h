// A game folder and a headless engine for tests: assemble a script, run it on a virtual clock,
// and look at the boxes it showed and the log it wrote.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/headless_host.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::test {

// UTF-8 text for the assembler (narrow literals in the tests are code page 932).
inline std::string u8(const char8_t* s) { return std::string(reinterpret_cast<const char*>(s)); }

// A temporary folder, removed with its contents at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // Writes a file (folders are created); `name` is a host path relative to the folder.
    void write(const std::string& name, std::string_view bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

  private:
    std::string path_;
};

// Makes the host of a test game over its virtual clock (the headless host by default).
using HostMaker =
    std::function<std::unique_ptr<platform::Host>(std::unique_ptr<platform::VirtualClock>)>;

class TestGame {
  public:
    // `poolSize` sets the value pool; `withSaveFolder` creates "save" (where the log goes). The
    // per-user data folder is "userdata" inside the game folder.
    explicit TestGame(int32_t poolSize = 32768, bool withSaveFolder = true);
    // A game over another host (the window tests' SDL host); boxes() then stays empty.
    explicit TestGame(const HostMaker& makeHost);

    Engine& engine() { return *engine_; }
    platform::VirtualClock& clock() { return *clock_; }
    const TempDir& dir() const { return dir_; }

    // Assembles `source` (UTF-8) and loads it into thread 0 (created when missing) as "test".
    runtime::ScriptThread& load(const std::string& source);
    // Assembles `source` and returns the bytes; fails the test on assembly errors.
    static std::vector<uint8_t> assembleOrFail(const std::string& source);
    // Loads raw bytes into thread 0.
    runtime::ScriptThread& loadBytes(const std::vector<uint8_t>& bytes);
    // Runs the main loop until it ends (or `maxTurns`); true when it ended.
    bool run(int64_t maxTurns = 1000000);

    const std::vector<platform::HeadlessMessageBoxes::Shown>& boxes() const;
    platform::Host& host() { return *host_; }
    // The texts of boxes with this caption, in order.
    std::vector<std::string> boxTexts(std::string_view caption) const;
    // The contents of save/rune_error.log (empty when missing).
    std::string log() const;

    // The fixed local time of every log entry: 2026/12/06 12:34:56.
    static constexpr const char* kStamp = "2026/12/06 12:34:56\r\n";

  private:
    TestGame(const HostMaker& makeHost, int32_t poolSize, bool withSaveFolder);

    TempDir dir_;
    platform::VirtualClock* clock_;
    std::unique_ptr<platform::Host> host_;
    platform::HeadlessHost* headless_ = nullptr;  // the host when it is the headless one
    std::unique_ptr<Engine> engine_;
};

// Runs `body` (assembly) that leaves one value on the stack and returns the text print(-1) shows
// for it, or the fatal error text when the program stopped. `prelude` runs first.
std::string evalText(const std::string& body, const std::string& prelude = "");

}  // namespace rs::test
