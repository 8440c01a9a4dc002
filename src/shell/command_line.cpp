#include "shell/command_line.h"

#include <cstdlib>
#include <optional>

namespace rs::shell {

namespace {

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The largest value pool this engine builds (cells of 16 bytes).
constexpr long kMaxPoolSize = 1L << 26;

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
           "Runs the game in GAME_DIR (default: the current folder).\n"
           "\n"
           "Options of the original engine (one token each):\n"
           "  -path<folder>      also look for game data in <folder>\n"
           "  -v<n>              hold <n> script values (default 32768)\n"
           "  -w                 allow several copies to run at once\n"
           "\n"
           "Options of this engine:\n"
           "  --headless         no window and no sound; message boxes go to standard error\n"
           "  --virtual-clock    time advances only when the game waits (instant, repeatable)\n"
           "  --timeout SECONDS  stop with status 3 after SECONDS of real time\n"
           "  --no-simd          draw with the plain code only (the SIMD switch off)\n"
           "  --screenshot FILE  write what the window shows, as a PNG, when the game ends\n"
           "  --screenshot-at MS take that picture at the first presentation at or after MS\n"
           "                     milliseconds of engine time from the start instead\n"
           "  --audio-capture FILE\n"
           "                     write everything the game's mix made, from the start to the end,\n"
           "                     as a WAVE file (44100 Hz, 16-bit stereo; before --volume and\n"
           "                     --mute)\n"
           "  --volume N         play the game's sound at N percent (0-100, default 100)\n"
           "  --mute             play no sound (the game's sound still runs)\n"
           "  --version          print the version and exit\n"
           "  --help             print this text and exit\n"
           "\n"
           "Exit status: 0 after a normal end, 1 when start-up fails or the screenshot or the\n"
           "audio capture cannot be written, 2 after a fatal script error, 3 when the --timeout\n"
           "watchdog stopped the run.\n";
}

LaunchOptions parseCommandLine(const std::vector<std::string>& args) {
    LaunchOptions o;
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
            } else if (a == "--screenshot-at") {
                auto v = optionValue(args, i, o.errors,
                                     "--screenshot-at needs a number of milliseconds", false);
                if (!v) continue;
                if (auto ms = wholeNumber(*v, 0, 0x7FFFFFFF)) {
                    o.screenshotAtMs = *ms;
                } else {
                    o.errors.push_back(
                        "--screenshot-at needs milliseconds from 0 to 2147483647, not '" + *v +
                        "'");
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
            } else if (a == "--no-simd") {
                o.app.simdAllowed = false;
                o.app.hasMmx = 0;
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
            if (n < 1 || n > kMaxPoolSize) {
                o.errors.push_back("-v needs a pool size from 1 to " +
                                   std::to_string(kMaxPoolSize) + ", not '" + a.substr(2) + "'");
            } else {
                o.app.variablePoolSize = static_cast<int32_t>(n);
            }
        } else if (startsWith(a, "-w")) {
            o.app.singleInstanceChecks = 0;
        } else if (startsWith(a, "-")) {
            // Other options of the original are ignored.
        } else {
            o.app.programFolder = a;
        }
    }
    if (o.screenshotAtMs >= 0 && o.screenshotPath.empty()) {
        o.errors.push_back("--screenshot-at needs --screenshot FILE");
    }
    return o;
}

}  // namespace rs::shell
