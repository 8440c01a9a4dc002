// runestage: plays a game folder.
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "data/save_folder.h"
#include "display/screen_mode.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/font_source.h"
#include "platform/headless_host.h"
#include "platform/process.h"
#include "platform/sdl/sdl_host.h"
#include "platform/single_instance.h"
#include "platform/stop_signals.h"
#include "shell/command_line.h"
#include "shell/engine.h"
#include "shell/game_check.h"
#include "shell/input_log.h"
#include "shell/launcher.h"
#include "shell/recent_games.h"
#include "shell/screenshot.h"
#include "shell/settings_file.h"
#include "shell/startup.h"
#include "sound/sound_state.h"
#include "sound/soundfont_search.h"

#ifndef RUNESTAGE_VERSION
#define RUNESTAGE_VERSION "0.0.0"
#endif

namespace {

// A real-time watchdog for tests: when the run takes too long it asks for an orderly end (the
// settings are saved as after SIGTERM), and ends the process itself only when the program has not
// ended two seconds later. Either way the exit status is 3.
class Watchdog {
  public:
    void start(double seconds) {
        std::thread([state = state_, seconds] {
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
            state->fired.store(true);
            std::fprintf(stderr, "runestage: stopped by --timeout after %g seconds\n", seconds);
            std::fflush(stderr);
            rs::platform::requestStop();
            std::this_thread::sleep_for(std::chrono::seconds(2));
            if (state->finished.load()) return;
            std::fputs("runestage: the run did not end in order within 2 seconds\n", stderr);
            std::fflush(stderr);
            std::_Exit(3);
        }).detach();
    }
    // The program is done: the watchdog does not end it any more.
    void finish() { state_->finished.store(true); }
    bool fired() const { return state_->fired.load(); }

  private:
    struct State {
        std::atomic<bool> fired{false};
        std::atomic<bool> finished{false};
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

// The launch options over the settings files: the engine's own copy with the defaults, then the
// player's.
rs::shell::LaunchOptions readLaunchOptions(const std::vector<std::string>& args) {
    rs::shell::LaunchOptions base;
    std::vector<std::string> warnings;
    std::vector<std::string> files;
    if (auto data = rs::platform::engineDataFolder())
        files.push_back(*data + "/" + rs::platform::kDataFolderMarker);
    std::string configRoot = rs::data::userConfigRootFromEnvironment();
    if (!configRoot.empty()) files.push_back(rs::shell::settingsFilePath(configRoot));
    for (const std::string& path : files)
        rs::shell::applySettings(rs::shell::readSettingsFile(path, warnings), path, base);
    rs::shell::LaunchOptions options = rs::shell::parseCommandLine(args, std::move(base));
    options.warnings.insert(options.warnings.begin(), warnings.begin(), warnings.end());
    return options;
}

// One copy per user (without -w): a second start asks the first to raise its window and ends.
// Returns false when this start is the second; `instance` then stays empty.
bool takeSingleInstance(std::unique_ptr<rs::platform::SingleInstance>& instance) {
    std::string error;
    auto folder = rs::platform::instanceFolder(std::getenv("XDG_RUNTIME_DIR"), getuid(), &error);
    if (!folder) {
        std::fprintf(stderr, "runestage: warning: %s; another copy is not looked for\n",
                     error.c_str());
        return true;
    }
    auto start = rs::platform::SingleInstance::Start::Failed;
    instance = rs::platform::SingleInstance::acquire(*folder, &start, &error);
    if (start == rs::platform::SingleInstance::Start::AlreadyRunning) {
        bool raised = rs::platform::SingleInstance::askToRaise(*folder, 1000);
        std::fprintf(stderr, "runestage: the game is already running%s (-w allows another copy)\n",
                     raised ? "; its window was brought to the front" : "");
        return false;
    }
    if (!error.empty()) std::fprintf(stderr, "runestage: warning: %s\n", error.c_str());
    return true;
}

// --stats: one line of memory and value-pool use.
void printStats(rs::Engine& engine, uint32_t elapsedMs) {
    std::fprintf(stderr,
                 "runestage: stats at %u ms: resident memory %ld KiB, value pool %d of %d cells in "
                 "use\n",
                 elapsedMs, rs::platform::residentMemoryKb(), engine.pool.usedCellCount(),
                 engine.pool.capacity());
}

// --check: looks at the folder and says what it found.
int checkFolder(const rs::shell::LaunchOptions& options) {
    rs::shell::CheckInputs in;
    char resolved[PATH_MAX];
    in.gameFolder =
        realpath(options.checkFolder.c_str(), resolved) ? resolved : options.checkFolder;
    in.dataFolderPrefix = options.app.dataFolderPrefix;
    in.userDataRoot = rs::data::userDataRootFromEnvironment();
    in.engineData = rs::platform::engineDataFolder();
    in.fonts = rs::platform::installedFontCatalog();
    in.soundfonts.option = options.app.soundfont.option;
    in.soundfonts.environment = options.app.soundfont.environment;
    in.soundfonts.setting = options.app.soundfont.setting;
    in.soundfonts.systemFiles = rs::sound::defaultSystemSoundfontFiles();
    in.soundfonts.systemFolders = rs::sound::defaultSystemSoundfontFolders();
    rs::shell::CheckReport report = rs::shell::checkGameFolder(in);
    std::fputs(report.text.c_str(), stdout);
    return report.canStart ? 0 : 1;
}
// The game folder becomes the program folder and the current folder. A file stands for the folder
// it is in (a file of the game dropped on the desktop entry).
bool enterGameFolder(rs::shell::LaunchOptions& options) {
    char resolved[PATH_MAX];
    if (!realpath(options.app.programFolder.c_str(), resolved)) {
        std::fprintf(stderr, "runestage: cannot open the game folder '%s'\n",
                     options.app.programFolder.c_str());
        return false;
    }
    std::string folder = rs::platform::folderStoodFor(resolved);
    options.app.programFolder = folder;
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "runestage: cannot enter the game folder '%s'\n", folder.c_str());
        return false;
    }
    return true;
}

// The launcher's list of the folders played before.
std::string recentGamesFile() {
    std::string root = rs::data::userDataRootFromEnvironment();
    return root.empty() ? "" : rs::shell::recentGamesPath(root);
}

// Replayed and recorded input, made ready before any window opens.
struct InputFiles {
    std::vector<rs::shell::TimedInput> replay;
    std::unique_ptr<rs::shell::InputRecorder> recorder;
};

// The run over a host: the game, the planned end, the screenshot and the sound capture.
int play(rs::platform::Host& host, const rs::shell::LaunchOptions& options, InputFiles& input) {
    rs::Engine engine(host, options.app);
    std::string error;
    if (!options.audioCapturePath.empty() &&
        !rs::sound::startAudioCapture(engine, options.audioCapturePath, error)) {
        std::fprintf(stderr, "runestage: %s\n", error.c_str());
        return 1;
    }
    uint32_t start = engine.engineTime();
    if (!input.replay.empty()) rs::shell::startReplay(engine, std::move(input.replay));
    if (input.recorder) rs::shell::startRecording(engine, std::move(input.recorder));
    std::optional<rs::shell::Screenshot> shot;
    if (!options.screenshotPath.empty())
        shot.emplace(engine, options.screenshotPath, options.screenshotAtMs);
    uint32_t nextStats = 60000;
    uint32_t elapsed = 0;
    int64_t statsPrintedAt = -1;
    int status = rs::shell::runGame(engine, [&] {
        if (shot) shot->afterTurn();
        // --exit-at: an orderly end once that much engine time has passed (31-bit clock).
        elapsed = (engine.engineTime() - start) & 0x7FFFFFFFu;
        if (options.stats && elapsed >= nextStats) {
            printStats(engine, elapsed);
            statsPrintedAt = elapsed;
            nextStats += 60000;
        }
        if (options.exitAtMs >= 0 && elapsed >= options.exitAtMs && engine.app.quitLevel == 0)
            engine.app.quitLevel = 1;
    });
    if (options.stats && statsPrintedAt != elapsed) printStats(engine, elapsed);
    // Quitting in the settings dialog ends the program at once: no picture to write.
    if (engine.app.startCancelled) shot.reset();
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

// The run over the host it asks for: the headless one, or a window; in the window the launcher
// first when `launch` (no game folder yet).
int run(rs::shell::LaunchOptions& options, rs::platform::SingleInstance* instance,
        InputFiles& input, bool launch) {
    std::unique_ptr<rs::platform::Clock> clock;
    if (options.virtualClock) {
        clock = std::make_unique<rs::platform::VirtualClock>();
    } else {
        clock = std::make_unique<rs::platform::RealClock>();
    }
    if (options.headless) {
        options.app.windowScale = options.scale > 0 ? options.scale : 1;
        rs::platform::HeadlessHost host(std::move(clock), &std::cerr);
        return play(host, options, input);
    }
    options.app.windowScale = options.scale;  // 0: the largest that fits
    namespace sdl = rs::platform::sdl;
    sdl::SdlHostOptions window;
    window.filter = options.app.scaleFilter;
    window.vsync = options.vsync;
    window.kind = rs::display::configuredBackEnd(options.app);
    window.boxEcho = &std::cerr;
    window.instance = instance;
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
    std::string prefix = options.app.dataFolderPrefix;
    auto gameTest = [&prefix](const std::string& folder) {
        return rs::shell::gameFolderProblem(folder, prefix);
    };
    if (launch) {
        auto chosen =
            rs::shell::runLauncher(host->window(), host->dialogs(), recentGamesFile(), gameTest);
        if (!chosen) {
            std::fputs("runestage: no game chosen (runestage GAME_DIR plays a game folder)\n",
                       stderr);
            return 0;
        }
        options.app.programFolder = *chosen;
        if (!enterGameFolder(options)) return 1;
    }
    // A game played in a window is offered by the launcher next time.
    std::string recent = recentGamesFile();
    if (!recent.empty() && gameTest(options.app.programFolder).empty())
        rs::shell::rememberRecentGame(recent, options.app.programFolder);
    return play(*host, options, input);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    rs::shell::LaunchOptions options = readLaunchOptions(args);
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

    if (const char* soundfont = std::getenv("RUNESTAGE_SOUNDFONT"))
        options.app.soundfont.environment = soundfont;
    // A relative -path folder, screenshot, capture or soundfont file is taken from where the
    // program was started, as a shell user means it; the game folder then becomes the current
    // folder.
    for (std::string* path :
         {&options.app.dataFolderPrefix, &options.screenshotPath, &options.audioCapturePath,
          &options.inputPath, &options.recordInputPath, &options.app.soundfont.option,
          &options.app.soundfont.environment}) {
        if (path->empty() || (*path)[0] == '/') continue;
        char here[PATH_MAX];
        if (getcwd(here, sizeof here)) *path = std::string(here) + "/" + *path;
    }
    if (!options.checkFolder.empty()) return checkFolder(options);
    // Started without a game folder (from the desktop's menu) and without a game here, a window
    // run shows the launcher; else the game folder is entered now.
    bool launch = !options.headless && !options.folderGiven &&
                  !rs::shell::gameFolderProblem(".", options.app.dataFolderPrefix).empty();
    if (!launch && !enterGameFolder(options)) return 1;
    // A replay file that cannot be read, or a recording that cannot be made, stops the start.
    InputFiles input;
    std::string inputError;
    if (!options.inputPath.empty() &&
        !rs::shell::readInputFile(options.inputPath, input.replay, &inputError)) {
        std::fprintf(stderr, "runestage: %s\n", inputError.c_str());
        return 1;
    }
    if (!options.recordInputPath.empty()) {
        input.recorder = rs::shell::InputRecorder::open(options.recordInputPath, &inputError);
        if (!input.recorder) {
            std::fprintf(stderr, "runestage: %s\n", inputError.c_str());
            return 1;
        }
    }
    // A run without a window has nothing to raise and takes no lock: runs of tests and tools go
    // side by side.
    std::unique_ptr<rs::platform::SingleInstance> instance;
    if (!options.headless && options.app.singleInstanceChecks == 1 && !takeSingleInstance(instance))
        return 0;
    Watchdog watchdog;
    if (options.timeoutSeconds > 0) watchdog.start(options.timeoutSeconds);
    rs::platform::installStopSignalHandlers();
    int status = run(options, instance.get(), input, launch);
    watchdog.finish();
    return watchdog.fired() ? 3 : status;
}
