#include "shell/command_line.h"

#include <cstdlib>
#include <optional>

#include "runtime/value.h"

namespace rs::shell {

namespace {

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The value after the option at args[i] (i then points at it); null, with `missing` noted as an
// error, when there is none (or it is empty and must not be).
const std::string* optionValue(const std::vector<std::string>& args, size_t& i,
                               std::vector<std::string>& errors, const char* missing,
                               bool nonEmpty) {
    if (i + 1 >= args.size() || (nonEmpty && args[i + 1].empty())) {
        errors.push_back(missing);
        return nullptr;
    }
    return &args[++i];
}

// The whole decimal number `v` when it lies from `low` to `high`.
std::optional<long long> wholeNumber(const std::string& v, long long low, long long high) {
    char* end = nullptr;
    long long n = std::strtoll(v.c_str(), &end, 10);
    if (v.empty() || !end || *end != '\0' || n < low || n > high) return std::nullopt;
    return n;
}

}  // namespace

const char* usageText() {
    return "Usage: runestage [options] [GAME_DIR]\n"
           "Runs the game in GAME_DIR (default: the current folder). Without GAME_DIR and\n"
           "without a game in the current folder, the window shows a launcher: the games\n"
           "played before and a field for a game folder.\n"
           "\n"
           "Options of the original engine (one token each):\n"
           "  -path<folder>      also look for game data in <folder>\n"
           "  -v<n>              hold <n> script values (default 32768)\n"
           "  -w                 allow several copies to run at once\n"
           "\n"
           "Options of this engine:\n"
           "  --headless         no window and no sound; message boxes go to standard error\n"
           "                     (without it a window opens; without a display that fails)\n"
           "  --virtual-clock    time advances only when the game waits (instant, repeatable)\n"
           "  --timeout SECONDS  stop with status 3 after SECONDS of real time\n"
           "  --no-simd          draw with the plain code only (the SIMD switch off)\n"
           "  --screenshot FILE  write the game picture (at the game's size), as a PNG, when\n"
           "                     the game ends\n"
           "  --screenshot-at MS take that picture at the first presentation at or after MS\n"
           "                     milliseconds of engine time from the start instead\n"
           "  --exit-at MS       end the run in order at MS milliseconds of engine time from\n"
           "                     the start\n"
           "  --check GAME_DIR   look at a game folder without playing it: what is found,\n"
           "                     what is missing; exit 0 when the game can start, else 1\n"
           "  --stats            write resident memory and value-pool use to standard\n"
           "                     error every minute of engine time and at the end\n"
           "  --input FILE       replay the input events of FILE (one a line, at engine times;\n"
           "                     the format is in the README); the player's own input is\n"
           "                     ignored until the file is played out\n"
           "  --record-input FILE  write every input event of the run to FILE in that format\n"
           "  --version          print the version and exit\n"
           "  --help             print this text and exit\n"
           "\n"
           "Window options:\n"
           "  --scale N          window size: N times the game screen (1-16; default: the\n"
           "                     largest that fits 90% of the desktop)\n"
           "  --filter NAME      scaling: nearest, linear or sharp (default: sharp, whole\n"
           "                     pixels first, then smoothed)\n"
           "  --fullscreen       start in full screen\n"
           "  --window           start in a window\n"
           "  --vsync            present in step with the display's vertical sync\n"
           "  --back-end KIND    software, directdraw or direct3d: the back-end the game is\n"
           "                     told about; direct3d draws the sprites on the GPU, where\n"
           "                     the renderer allows it (default: the configuration's)\n"
           "\n"
           "Start-up options:\n"
           "  --settings         show the game's settings dialog at this start\n"
           "  --no-settings      never show it (the current choices are taken)\n"
           "\n"
           "Sound options:\n"
           "  --audio-capture FILE\n"
           "                     write everything the game's mix made, from the start to the end,\n"
           "                     as a WAVE file (44100 Hz, 16-bit stereo; before --volume and\n"
           "                     --mute)\n"
           "  --volume N         play the game's sound at N percent (0-100, default 100)\n"
           "  --mute             play no sound (the game's sound still runs)\n"
           "  --soundfont FILE   the soundfont (.sf2) MIDI music is played with (over\n"
           "                     RUNESTAGE_SOUNDFONT, the settings file, a .sf2 in the game\n"
           "                     folder and the system's)\n"
           "\n"
           "Keys: the keyboard, the mouse and the first two game pads are the game's, except\n"
           "Alt+Enter (full screen on/off) and Alt+S (a screenshot into the save folder's\n"
           "screenshots folder). The close box asks before the game ends; Ctrl+C (SIGINT) and\n"
           "SIGTERM end the run in order without asking.\n"
           "\n"
           "Exit status: 0 after a normal end, 1 when start-up fails or the screenshot or the\n"
           "audio capture cannot be written, 2 after a fatal script error, 3 when the --timeout\n"
           "watchdog stopped the run.\n";
}

LaunchOptions parseCommandLine(const std::vector<std::string>& args, LaunchOptions base) {
    LaunchOptions o = std::move(base);
    int32_t modeGiven = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (startsWith(a, "--")) {
            if (a == "--headless") {
                o.headless = true;
            } else if (a == "--virtual-clock") {
                o.virtualClock = true;
            } else if (a == "--timeout") {
                auto v =
                    optionValue(args, i, o.errors, "--timeout needs a number of seconds", false);
                if (!v) continue;
                char* end = nullptr;
                double s = std::strtod(v->c_str(), &end);
                if (!end || *end != '\0' || !(s > 0)) {
                    o.errors.push_back("--timeout needs a positive number of seconds, not '" + *v +
                                       "'");
                } else {
                    o.timeoutSeconds = s;
                }
            } else if (a == "--screenshot") {
                if (auto v = optionValue(args, i, o.errors, "--screenshot needs a file name", true))
                    o.screenshotPath = *v;
            } else if (a == "--input" || a == "--record-input") {
                std::string missing = a + " needs a file name";
                if (auto v = optionValue(args, i, o.errors, missing.c_str(), true))
                    (a == "--input" ? o.inputPath : o.recordInputPath) = *v;
            } else if (a == "--screenshot-at" || a == "--exit-at") {
                std::string missing = a + " needs a number of milliseconds";
                auto v = optionValue(args, i, o.errors, missing.c_str(), false);
                if (!v) continue;
                if (auto ms = wholeNumber(*v, 0, 0x7FFFFFFF)) {
                    (a == "--exit-at" ? o.exitAtMs : o.screenshotAtMs) = *ms;
                } else {
                    o.errors.push_back(a + " needs milliseconds from 0 to 2147483647, not '" + *v +
                                       "'");
                }
            } else if (a == "--scale") {
                std::string range = "--scale needs a whole number from 1 to " +
                                    std::to_string(platform::kMaxWindowScale);
                auto v = optionValue(args, i, o.errors, range.c_str(), false);
                if (!v) continue;
                if (auto n = wholeNumber(*v, 1, platform::kMaxWindowScale)) {
                    o.scale = static_cast<int32_t>(*n);
                } else {
                    o.errors.push_back(range + ", not '" + *v + "'");
                }
            } else if (a == "--filter") {
                auto v = optionValue(args, i, o.errors, "--filter needs nearest, linear or sharp",
                                     false);
                if (!v) continue;
                if (auto f = platform::parseScaleFilter(*v)) {
                    o.app.scaleFilter = *f;
                } else {
                    o.errors.push_back("--filter needs nearest, linear or sharp, not '" + *v + "'");
                }
            } else if (a == "--fullscreen" || a == "--window") {
                int32_t mode = a == "--fullscreen" ? 1 : 0;
                if (modeGiven >= 0 && modeGiven != mode) {
                    o.errors.push_back("--fullscreen and --window cannot both be given");
                }
                modeGiven = mode;
                o.app.windowModeRequest = mode;
            } else if (a == "--settings" || a == "--no-settings") {
                int32_t request = a == "--settings" ? 1 : -1;
                if (o.app.settingsDialogRequest != 0 && o.app.settingsDialogRequest != request) {
                    o.errors.push_back("--settings and --no-settings cannot both be given");
                }
                o.app.settingsDialogRequest = request;
            } else if (a == "--vsync") {
                o.vsync = true;
            } else if (a == "--back-end") {
                auto v = optionValue(args, i, o.errors,
                                     "--back-end needs software, directdraw or direct3d", false);
                if (!v) continue;
                if (*v == "software") {
                    o.app.backEndRequest = 0;
                } else if (*v == "directdraw") {
                    o.app.backEndRequest = 1;
                } else if (*v == "direct3d") {
                    o.app.backEndRequest = 2;
                } else {
                    o.errors.push_back("--back-end needs software, directdraw or direct3d, not '" +
                                       *v + "'");
                }
            } else if (a == "--audio-capture") {
                if (auto v =
                        optionValue(args, i, o.errors, "--audio-capture needs a file name", true))
                    o.audioCapturePath = *v;
            } else if (a == "--volume") {
                auto v =
                    optionValue(args, i, o.errors, "--volume needs a number from 0 to 100", false);
                if (!v) continue;
                if (auto volume = wholeNumber(*v, 0, 100)) {
                    o.app.playerSound.volume = static_cast<int32_t>(*volume);
                } else {
                    o.errors.push_back("--volume needs a number from 0 to 100, not '" + *v + "'");
                }
            } else if (a == "--mute") {
                o.app.playerSound.mute = true;
            } else if (a == "--soundfont") {
                if (auto v = optionValue(args, i, o.errors, "--soundfont needs a file name", true))
                    o.app.soundfont.option = *v;
            } else if (a == "--no-simd") {
                o.app.simdAllowed = false;
                o.app.hasMmx = 0;
            } else if (a == "--check") {
                if (auto v = optionValue(args, i, o.errors, "--check needs a game folder", true))
                    o.checkFolder = *v;
            } else if (a == "--stats") {
                o.stats = true;
            } else if (a == "--version") {
                o.showVersion = true;
            } else if (a == "--help") {
                o.showHelp = true;
            } else {
                o.errors.push_back("unknown option '" + a + "'");
            }
        } else if (startsWith(a, "-path")) {
            o.app.dataFolderPrefix = a.substr(5);
        } else if (startsWith(a, "-v")) {
            long n = std::strtol(a.c_str() + 2, nullptr, 10);
            if (n < 1 || n > runtime::kMaxPoolCapacity) {
                o.errors.push_back("-v needs a pool size from 1 to " +
                                   std::to_string(runtime::kMaxPoolCapacity) + ", not '" +
                                   a.substr(2) + "'");
            } else {
                o.app.variablePoolSize = static_cast<int32_t>(n);
            }
        } else if (startsWith(a, "-w")) {
            o.app.singleInstanceChecks = 0;
        } else if (startsWith(a, "-")) {
            // Other options of the original are ignored, as the original did; the player is told.
            std::string hint = (a == "-h" || a == "-help") ? " (for help, use --help)" : "";
            o.warnings.push_back("ignoring the unknown option '" + a + "'" + hint);
        } else {
            // A later folder replaces an earlier one, as in the original.
            if (o.folderGiven)
                o.warnings.push_back("the game folder '" + a + "' replaces '" +
                                     o.app.programFolder + "' given before it");
            o.app.programFolder = a;
            o.folderGiven = true;
        }
    }
    if (o.screenshotAtMs >= 0 && o.screenshotPath.empty()) {
        o.errors.push_back("--screenshot-at needs --screenshot FILE");
    }
    return o;
}

}  // namespace rs::shell
