#include "shell/launcher.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "display/screen_mode.h"
#include "platform/host.h"
#include "platform/host_path.h"
#include "shell/recent_games.h"

namespace rs::shell {

namespace {

using platform::ControlKind;
using platform::Dialog;
using platform::DialogControl;
namespace ids = launcher_ids;

// The size of the dialog in dialog units.
constexpr int32_t kWidth = 300;
constexpr int32_t kHeight = 176;

std::string shortened(const std::string& folder, const std::string& home) {
    if (home.size() > 1 && folder.compare(0, home.size(), home) == 0 &&
        (folder.size() == home.size() || folder[home.size()] == '/'))
        return "~" + folder.substr(home.size());
    return folder;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A path as a player pastes or types it: spaces around it and quotes a file manager adds are
// dropped, a file:// address becomes its path, "~" the home folder, a relative path starts at
// `here`.
std::string typedPath(std::string text, const std::string& home, const std::string& here) {
    size_t first = text.find_first_not_of(" \t\r\n");
    size_t last = text.find_last_not_of(" \t\r\n");
    text = first == std::string::npos ? "" : text.substr(first, last - first + 1);
    if (text.size() >= 2 && (text[0] == '\'' || text[0] == '"') && text.back() == text[0])
        text = text.substr(1, text.size() - 2);
    if (text.rfind("file://", 0) == 0) {
        std::string path;
        for (size_t i = 7; i < text.size(); ++i) {
            int hi = i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
            int lo = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
            if (text[i] == '%' && hi >= 0 && lo >= 0) {
                path += static_cast<char>(hi * 16 + lo);
                i += 2;
            } else {
                path += text[i];
            }
        }
        text = path;
    }
    if (text.empty()) return text;
    if (text == "~" || text.rfind("~/", 0) == 0) text = home + text.substr(1);
    if (text[0] != '/') text = here + "/" + text;
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

void say(Dialog& dialog, const std::string& text) {
    if (DialogControl* c = dialog.find(ids::kMessage)) c->text = text;
}

}  // namespace

Dialog launcherDialog(const std::vector<std::string>& recent, const std::string& home) {
    Dialog d;
    d.caption = "RuneStage";
    d.width = kWidth;
    d.height = kHeight;
    d.utf8 = true;
    // Return plays the last game again; with none, the dialog waits for a folder.
    d.unattendedAnswer = recent.empty() ? ids::kQuit : ids::kPlay;
    d.controls.push_back(platform::makeControl(
        -1, ControlKind::Text, {8, 6, 284, 10},
        recent.empty() ? "Games played before: none yet" : "Games played before:"));
    DialogControl list =
        platform::makeControl(ids::kRecent, ControlKind::ListBox, {8, 18, 284, 88}, "");
    for (const std::string& folder : recent) {
        bool there = platform::isHostFolder(folder);
        list.items.push_back(shortened(folder, home) + (there ? "" : "   (not found)"));
    }
    list.selected = recent.empty() ? -1 : 0;
    d.controls.push_back(std::move(list));
    d.controls.push_back(platform::makeControl(
        -1, ControlKind::Text, {8, 112, 284, 10},
        "Game folder (the one that holds obj/ or obj.at2; a path can be pasted):"));
    d.controls.push_back(platform::makeControl(ids::kFolder, ControlKind::Edit, {8, 124, 284, 14},
                                               recent.empty() ? "" : recent.front()));
    d.controls.push_back(
        platform::makeControl(ids::kMessage, ControlKind::Text, {8, 142, 198, 30}, ""));
    d.controls.push_back(
        platform::makeControl(ids::kPlay, ControlKind::DefaultButton, {212, 154, 38, 16}, "Play"));
    d.controls.push_back(
        platform::makeControl(ids::kQuit, ControlKind::PushButton, {254, 154, 38, 16}, "Quit"));
    return d;
}

LauncherProcedure::LauncherProcedure(std::vector<std::string> recent, std::string home,
                                     std::string here, GameFolderTest test)
    : recent_(std::move(recent)),
      home_(std::move(home)),
      here_(std::move(here)),
      test_(std::move(test)) {}

std::optional<int32_t> LauncherProcedure::onCommand(Dialog& dialog, int32_t id,
                                                    platform::DialogNotice notice) {
    if (id == ids::kRecent && notice == platform::DialogNotice::SelectionChanged) {
        const DialogControl* list = dialog.find(ids::kRecent);
        if (list && list->selected >= 0 && list->selected < static_cast<int32_t>(recent_.size())) {
            if (DialogControl* field = dialog.find(ids::kFolder))
                field->text = recent_[static_cast<size_t>(list->selected)];
            say(dialog, "");
        }
        return std::nullopt;
    }
    // A double click on a game plays it.
    if (id == ids::kRecent && notice == platform::DialogNotice::DoubleClicked)
        return onCommand(dialog, ids::kPlay, platform::DialogNotice::Clicked);
    if (id == ids::kQuit) return ids::kQuit;
    if (id != ids::kPlay) return std::nullopt;
    std::string folder = typedPath(dialog.textOf(ids::kFolder), home_, here_);
    if (folder.empty()) {
        say(dialog, "Type the path of a game folder, or choose a game from the list.");
        return std::nullopt;
    }
    // A file of the game (its Windows program, say) stands for the folder it is in.
    folder = platform::folderStoodFor(folder);
    std::string problem = test_ ? test_(folder) : "";
    if (!problem.empty()) {
        say(dialog, problem);
        return std::nullopt;
    }
    chosen_ = folder;
    return ids::kPlay;
}

std::optional<std::string> runLauncher(platform::Window& window, platform::DialogPresenter& dialogs,
                                       const std::string& recentFile, const GameFolderTest& test) {
    const char* homeVariable = std::getenv("HOME");
    std::string home = homeVariable ? homeVariable : "";
    char cwd[PATH_MAX];
    std::string here = getcwd(cwd, sizeof cwd) ? cwd : home;
    std::vector<std::string> recent = readRecentGames(recentFile);
    Dialog dialog = launcherDialog(recent, home);
    LauncherProcedure procedure(recent, home, here, test);
    window.setTitle("RuneStage");
    display::placeWindowForDialog(window, dialog);
    int32_t result = dialogs.run(dialog, procedure);
    if (result != ids::kPlay || procedure.chosen().empty()) return std::nullopt;
    return procedure.chosen();
}

}  // namespace rs::shell
