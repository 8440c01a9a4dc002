// Runs arbitrary byte code as the first script of a headless engine on a virtual clock, for a
// bounded number of steps: every instruction, operator and command must fail cleanly (a script
// error, a warning, a refused request), never crash or corrupt memory.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/headless_host.h"
#include "platform/process.h"
#include "runtime/interpreter.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

// Scripts may ask to open files or addresses for the player; a fuzzer never starts programs.
// Defining both functions here keeps the engine's own versions out of the link.
namespace rs::platform {
int startProgram(const std::vector<std::string>&, const std::string&) { return -1; }
void reapFinished(std::vector<int>& pids) { pids.clear(); }
}  // namespace rs::platform

namespace {

// One folder for every run: the game folder and the per-user folder live in it, so the file
// commands of a script never reach anything else.
const std::string& gameFolder() {
    static const std::string folder = [] {
        char templ[] = "/tmp/rs-fuzz-interpreter-XXXXXX";
        const char* made = mkdtemp(templ);
        std::string f = made ? made : "/tmp";
        if (chdir(f.c_str()) != 0) abort();
        return f;
    }();
    return folder;
}

// Steps of the run: each step runs every live thread once (up to its next command call), so a
// script that loops forever still ends here.
constexpr int kSteps = 2000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 65536) return 0;
    rs::platform::HeadlessHost host(std::make_unique<rs::platform::VirtualClock>(1000), nullptr);
    rs::shell::AppState app;
    app.programFolder = gameFolder();
    app.userDataFolder = gameFolder() + "/userdata";
    app.variablePoolSize = 4096;
    rs::Engine e(host, app);
    rs::runtime::ScriptThread* main = e.threads.create(0);
    main->code.setOwned(data, static_cast<int32_t>(size));
    main->ended = 0;
    main->wake_time = e.engineTime();
    main->name = "fuzz";
    main->line = -1;
    main->self_index = 0;
    main->next_index = -1;

    for (int step = 0; step < kSteps && e.app.quitLevel == 0; ++step) {
        int32_t prev = -1;
        for (int32_t index = 0; index >= 0 && e.app.quitLevel == 0;) {
            rs::runtime::ScriptThread* t = e.threads.at(index);
            if (!t) break;
            bool ended = rs::runtime::run(e, *t) != 0;
            // Read after the run: a spawn links its new thread behind this one.
            int32_t next = t->next_index;
            if (ended) {
                if (prev >= 0) {
                    if (rs::runtime::ScriptThread* p = e.threads.at(prev)) p->next_index = next;
                }
                e.threads.destroy(index, e.pool, e.globals);
                if (index == 0) return 0;
            } else {
                prev = index;
            }
            index = next;
        }
        e.pumpMessages();
    }
    return 0;
}
