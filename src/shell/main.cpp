// runestage: plays a game folder.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "display/screen_mode.h"
#include "platform/clock.h"
#include "platform/headless_host.h"
#include "platform/sdl/sdl_host.h"
#include "platform/stop_signals.h"
#include "shell/command_line.h"
#include "shell/engine.h"
#include "shell/screenshot.h"
#include "shell/startup.h"
#include "sound/sound_state.h"

#ifndef RUNESTAGE_VERSION
#define RUNESTAGE_VERSION "0.0.0"
#endif

namespace {

// A real-time watchdog for tests: ends the process when the run takes too long.
void startWatchdog(double seconds) {
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        std::fprintf(stderr, "runestage: stopped by --timeout after %g seconds\n", seconds);
        std::fflush(stderr);
        std::_Exit(3);
    }).detach();
}

// The run over a host: the game, the planned end, the screenshot and the sound capture.
int play(rs::platform::Host& host, const rs::shell::LaunchOptions& options) {
    rs::Engine engine(host, options.app);
    std::string error;
    if (!options.audioCapturePath.empty() &&
        !rs::sound::startAudioCapture(engine, options.audioCapturePath, error)) {
        std::fprintf(stderr, "runestage: %s\n", error.c_str());
        return 1;
    }
    uint32_t start = engine.engineTime();
    std::optional<rs::shell::Screenshot> shot;
    if (!options.screenshotPath.empty())
        shot.emplace(engine, options.screenshotPath, options.screenshotAtMs);
    int status = rs::shell::runGame(engine, [&] {
        if (shot) shot->afterTurn();
        // --exit-at: an orderly end once that much engine time has passed (31-bit clock).
        uint32_t elapsed = (engine.engineTime() - start) & 0x7FFFFFFFu;
        if (options.exitAtMs >= 0 && elapsed >= options.exitAtMs && engine.app.quitLevel == 0)
            engine.app.quitLevel = 1;
    });
    if (shot && !shot->write(&error)) {
        std::fprintf(stderr, "runestage: %s\n", error.c_str());
        if (status == 0) status = 1;
    }
    if (!rs::sound::shutdownSound(engine, &error)) {
        std::fprintf(stderr, "runestage: %s\n", error.c_str());
        if (status == 0) status = 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    rs::shell::LaunchOptions options = rs::shell::parseCommandLine(args);
    if (options.showHelp) {
        std::fputs(rs::shell::usageText(), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("runestage %s\n", RUNESTAGE_VERSION);
        return 0;
    }
    for (const std::string& w : options.warnings)
        std::fprintf(stderr, "runestage: warning: %s\n", w.c_str());
    if (!options.errors.empty()) {
        for (const std::string& e : options.errors)
            std::fprintf(stderr, "runestage: %s\n", e.c_str());
        std::fputs("Try 'runestage --help'.\n", stderr);
        return 1;
    }

    // A relative -path folder or screenshot file is taken from where the program was started, as
    // a shell user means it; the game folder then becomes the current folder.
    for (std::string* path :
         {&options.app.dataFolderPrefix, &options.screenshotPath, &options.audioCapturePath}) {
        if (path->empty() || (*path)[0] == '/') continue;
        char here[PATH_MAX];
        if (getcwd(here, sizeof here)) *path = std::string(here) + "/" + *path;
    }
    // The game folder becomes the program folder and the current folder.
    char resolved[PATH_MAX];
    if (!realpath(options.app.programFolder.c_str(), resolved)) {
        std::fprintf(stderr, "runestage: cannot open the game folder '%s'\n",
                     options.app.programFolder.c_str());
        return 1;
    }
    options.app.programFolder = resolved;
    if (chdir(resolved) != 0) {
        std::fprintf(stderr, "runestage: cannot enter the game folder '%s'\n", resolved);
        return 1;
    }
    if (options.timeoutSeconds > 0) startWatchdog(options.timeoutSeconds);
    rs::platform::installStopSignalHandlers();

    std::unique_ptr<rs::platform::Clock> clock;
    if (options.virtualClock) {
        clock = std::make_unique<rs::platform::VirtualClock>();
    } else {
        clock = std::make_unique<rs::platform::RealClock>();
    }
    if (options.headless) {
        options.app.windowScale = options.scale > 0 ? options.scale : 1;
        rs::platform::HeadlessHost host(std::move(clock), &std::cerr);
        return play(host, options);
    }
    options.app.windowScale = options.scale;  // 0: the largest that fits
    namespace sdl = rs::platform::sdl;
    sdl::SdlHostOptions window;
    window.filter = options.app.scaleFilter;
    window.vsync = options.vsync;
    window.kind = rs::display::configuredBackEnd(options.app);
    window.boxEcho = &std::cerr;
    window.boxAnswer = sdl::boxAnswerHookFrom(std::getenv("RUNESTAGE_TEST_BOX_ANSWER"));
    const char* fail = std::getenv("RUNESTAGE_TEST_FAIL");
    window.failWindow = fail && std::string(fail) == "window";
    window.failRenderer = fail && std::string(fail) == "renderer";
    std::string error;
    auto host = sdl::SdlHost::create(std::move(clock), window, &error);
    if (!host) {
        std::fprintf(stderr,
                     "runestage: cannot open a window (%s); use --headless to run without one\n",
                     error.c_str());
        return 1;
    }
    return play(*host, options);
}
