#include "shell/game_check.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>

#include "data/host_file.h"
#include "data/resource.h"
#include "data/save_folder.h"
#include "platform/encoding.h"
#include "platform/host_path.h"
#include "runtime/script_loader.h"
#include "shell/app_state.h"
#include "shell/startup.h"
#include "sound/cd_tracks.h"

namespace rs::shell {

namespace {

// The faces games ask for by name: the Windows faces whose host equivalents draw their text.
const char* const kAskedFaces[] = {"ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐ明朝", "ＭＳ Ｐゴシック"};

bool endsWithNoCase(const std::string& name, const char* suffix) {
    size_t n = std::char_traits<char>::length(suffix);
    if (name.size() <= n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = name[name.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

// The names in a folder, sorted (none when it cannot be read).
std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> out;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return out;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Host names as the terminal shows them: UTF-8 stays, Shift-JIS names are converted.
std::string shown(const std::string& hostName) {
    if (platform::utf8ToCp932(hostName)) return hostName;
    return platform::cp932ToUtf8(hostName);
}

std::string joinNames(const std::vector<std::string>& names, size_t limit) {
    std::string out;
    for (size_t i = 0; i < names.size() && i < limit; ++i) {
        if (i) out += ", ";
        out += shown(names[i]);
    }
    if (names.size() > limit) out += ", ... (" + std::to_string(names.size()) + " in all)";
    return out;
}

class Report {
  public:
    void line(const std::string& text) { text_ += "  " + text + "\n"; }
    void problem(const std::string& text) {
        line("PROBLEM: " + text);
        ++problems_;
    }
    std::string text_;
    int problems_ = 0;
};

// Why the first script is missing, in the words a player can act on.
void explainMissingScript(const std::string& gameFolder, platform::PathResolver& paths,
                          const std::vector<std::string>& top, Report& r) {
    std::string script = platform::cp932ToUtf8(runtime::kFirstScriptName);
    if (top.empty()) {
        r.problem(
            "the folder is empty: copy the whole game into it (from its CD or an installed "
            "copy)");
        return;
    }
    auto obj = paths.findExisting(gameFolder, "obj");
    if (obj && platform::isHostFolder(*obj)) {
        std::vector<std::string> scripts;
        for (const std::string& n : listFolder(*obj))
            if (endsWithNoCase(n, ".o")) scripts.push_back(n);
        if (!scripts.empty()) {
            r.problem("obj/ holds other scripts (" + joinNames(scripts, 5) + ") but not obj/" +
                      script +
                      ".o: this is a game for another engine or another version, which "
                      "RuneStage cannot start");
            return;
        }
    }
    std::vector<std::string> programs;
    for (const std::string& n : top)
        if (endsWithNoCase(n, ".exe")) programs.push_back(n);
    std::string hint = programs.empty()
                           ? ""
                           : " The folder holds Windows programs (" + joinNames(programs, 3) +
                                 "); the game's own files belong beside them.";
    r.problem("the first script obj/" + script +
              ".o is missing (neither a file nor in an archive obj.at2)." + hint);
}

}  // namespace

CheckReport checkGameFolder(const CheckInputs& in) {
    Report r;
    CheckReport out;
    r.text_ = "RuneStage check of " + shown(in.gameFolder) + "\n";
    if (!platform::isHostFolder(in.gameFolder)) {
        r.problem("the game folder does not exist or is not a folder");
        out.text = r.text_ + "Result: the game cannot start.\n";
        return out;
    }
    platform::PathResolver paths;
    data::ResourceContext ctx;
    ctx.programFolder = in.gameFolder;
    ctx.dataFolder = in.dataFolderPrefix;
    ctx.paths = &paths;
    std::vector<std::string> top = listFolder(in.gameFolder);

    // The game's strings decide its title and its save folder.
    AppState app;
    app.programFolder = in.gameFolder;
    readGameStrings(app, paths);
    if (paths.findExisting(in.gameFolder, "gamestr.txt")) {
        r.line("game strings: gamestr.txt: title \"" + platform::cp932ToUtf8(app.gameTitle) +
               "\", key \"" + platform::cp932ToUtf8(app.gameKey) + "\"");
    } else {
        r.line("game strings: no gamestr.txt (the defaults: title \"" +
               platform::cp932ToUtf8(app.gameTitle) + "\", key \"" +
               platform::cp932ToUtf8(app.gameKey) + "\")");
    }
    if (!in.dataFolderPrefix.empty()) {
        std::string prefix = in.dataFolderPrefix[0] == '/'
                                 ? in.dataFolderPrefix
                                 : platform::joinHostPath(in.gameFolder, in.dataFolderPrefix);
        if (platform::isHostFolder(prefix)) {
            r.line("data folder (-path): " + shown(prefix));
        } else {
            r.problem("the -path folder " + shown(prefix) + " does not exist");
        }
    }

    // The first script, loose or in an archive, read in full.
    std::string scriptName = "obj\\" + std::string(runtime::kFirstScriptName) + ".o";
    std::unique_ptr<uint8_t[]> script;
    int32_t size = data::LoadResource(ctx, scriptName, script);
    if (size > 0) {
        out.canStart = true;
        r.line("first script: obj/" + platform::cp932ToUtf8(runtime::kFirstScriptName) + ".o (" +
               std::to_string(size) + " bytes)");
    } else {
        explainMissingScript(in.gameFolder, paths, top, r);
    }

    // Every archive in the game folder and the -path folder.
    std::vector<std::string> folders{in.gameFolder};
    if (!in.dataFolderPrefix.empty())
        folders.push_back(in.dataFolderPrefix[0] == '/'
                              ? in.dataFolderPrefix
                              : platform::joinHostPath(in.gameFolder, in.dataFolderPrefix));
    int archives = 0;
    for (const std::string& folder : folders) {
        for (const std::string& name : listFolder(folder)) {
            if (!endsWithNoCase(name, ".at2")) continue;
            ++archives;
            std::string base = name.substr(0, name.size() - 4);
            data::ArchiveCheck a = data::checkArchive(ctx, base);
            if (a.readable) {
                r.line("archive " + shown(base) + ": " + std::to_string(a.members) +
                       " members, readable");
            } else {
                r.problem("archive " + shown(base) + ": " + a.problem);
            }
        }
    }
    if (archives == 0) r.line("archives: none (the game's files are all loose)");

    // The faces text is drawn with.
    if (in.fonts.empty()) {
        r.problem(
            "no Japanese font is installed, so no text will show (Debian: apt install "
            "fonts-ipafont-gothic fonts-ipafont-mincho)");
    } else {
        for (const char* face : kAskedFaces) {
            const platform::CatalogFace* f = in.fonts.resolve(face);
            r.line("font " + platform::cp932ToUtf8(face) + ": " +
                   (f ? platform::cp932ToUtf8(f->name) + " (" + f->file + ")" : "none"));
        }
    }

    // The music: the soundfont MIDI would use, and the ripped CD tracks.
    sound::SoundfontSources sources = in.soundfonts;
    sources.gameFolder = in.gameFolder;
    sound::SoundfontCandidates soundfonts = sound::soundfontCandidates(sources);
    if (!soundfonts.files.empty()) {
        r.line("soundfont for MIDI music: " + shown(soundfonts.files.front()));
    } else {
        r.line(
            "soundfont for MIDI music: none found, so MIDI music stays silent (Debian: apt "
            "install timgm6mb-soundfont, or give --soundfont FILE)");
    }
    std::string cdFolder = platform::cp932ToUtf8Strict(app.cdFolderName).value_or(app.cdFolderName);
    std::map<int32_t, std::string> tracks =
        sound::findCdTracks({in.gameFolder, in.dataFolderPrefix}, cdFolder);
    if (tracks.empty()) {
        r.line(
            "CD tracks: none (a game that plays CD audio is silent there; see Music in the "
            "README)");
    } else {
        r.line("CD tracks: " + std::to_string(tracks.size()) + " found, " +
               std::to_string(tracks.begin()->first) + " to " +
               std::to_string(tracks.rbegin()->first) +
               " (first: " + shown(tracks.begin()->second) + ")");
    }

    // Where the saves go.
    std::string saves = data::saveFolderPath(in.userDataRoot, app.gameKey);
    if (platform::isHostFolder(saves) && ::access(saves.c_str(), W_OK) != 0) {
        r.problem("the save folder " + shown(saves) + " is not writable: saves will fail");
    } else if (platform::isHostFolder(saves)) {
        r.line("save folder: " + shown(saves));
    } else {
        r.line("save folder: " + shown(saves) + " (made at the first start)");
    }
    r.line("engine data: " +
           (in.engineData ? shown(*in.engineData) : std::string("not found (built-in defaults)")));

    out.text = r.text_;
    if (!out.canStart) {
        out.text += "Result: the game cannot start.\n";
    } else if (r.problems_ > 0) {
        out.text += "Result: the game can start, but " + std::to_string(r.problems_) +
                    (r.problems_ == 1 ? " problem was" : " problems were") +
                    " found (see above).\n";
    } else {
        out.text += "Result: the game can start.\n";
    }
    return out;
}

std::string gameFolderProblem(const std::string& folder, const std::string& dataFolderPrefix) {
    if (!platform::isHostFolder(folder)) return shown(folder) + " is not a folder";
    platform::PathResolver paths;
    data::ResourceContext ctx;
    ctx.programFolder = folder;
    ctx.dataFolder = dataFolderPrefix;
    ctx.paths = &paths;
    std::string name = "obj\\" + std::string(runtime::kFirstScriptName) + ".o";
    if (data::ResourceExists(ctx, name)) return "";
    return "no game in " + shown(folder) + ": its first script obj/" +
           platform::cp932ToUtf8(runtime::kFirstScriptName) +
           ".o is missing (runestage --check FOLDER tells more)";
}

}  // namespace rs::shell
