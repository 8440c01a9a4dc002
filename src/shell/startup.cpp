#include "shell/startup.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "data/host_file.h"
#include "display/screen_mode.h"
#include "platform/encoding.h"
#include "platform/host.h"
#include "platform/host_path.h"
#include "runtime/errors.h"
#include "runtime/script_loader.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "shell/main_loop.h"
#include "text/font_state.h"

namespace rs::shell {

void parseGameStrings(AppState& app, std::string_view contents) {
    std::string* fields[4] = {&app.engineName, &app.gameTitle, &app.gameKey, &app.cdFolderName};
    size_t pos = 0;
    for (std::string* field : fields) {
        if (pos >= contents.size()) break;
        size_t end = contents.find('\n', pos);
        if (end == std::string_view::npos) end = contents.size();
        // Lines are read in pieces of at most 255 bytes, and at most 256 bytes are examined.
        std::string_view line = contents.substr(pos, std::min<size_t>(end - pos, 255));
        pos = end + 1;
        size_t cut = 0;
        while (cut < line.size() && static_cast<uint8_t>(line[cut]) > 0x20) ++cut;
        *field = std::string(line.substr(0, cut));
    }
}

void readGameStrings(AppState& app, platform::PathResolver& paths) {
    auto path = paths.findExisting(app.programFolder, "gamestr.txt");
    if (!path) return;
    // Only the first lines matter: a huge file or a folder of that name is no reason to stop.
    std::optional<std::vector<uint8_t>> bytes = data::readWholeFile(*path, nullptr, 1 << 20);
    if (!bytes) return;
    parseGameStrings(app,
                     std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

bool startMainThread(Engine& e) {
    runtime::ScriptThread* t = e.threads.create(0);
    if (t && runtime::loadScript(e, *t, runtime::kFirstScriptName)) {
        t->self_index = 0;
        t->next_index = -1;
        return true;
    }
    platform::MessageBoxRequest box;
    box.text =
        "起動時に必要なファイルが読めません\nインストールしたフォルダに異常がないか\n"
        "またはＣＤがちゃんと挿入されているか\n確認し直してみてください";
    box.caption = "起動時のエラー";
    box.icon = platform::BoxIcon::Exclamation;
    e.host.messageBoxes().show(box);
    // The box names no file; a player starting from a terminal learns what was looked for.
    std::string where = "'" + e.app.programFolder + "'";
    if (!e.app.dataFolderPrefix.empty()) where += " and '" + e.app.dataFolderPrefix + "'";
    std::fprintf(stderr, "runestage: cannot load the first script 'obj/%s.o' (looked in %s)\n",
                 platform::cp932ToUtf8(runtime::kFirstScriptName).c_str(), where.c_str());
    e.destroyMainWindow();
    return false;
}

int runGame(Engine& e, const std::function<void()>& afterTurn) {
    runtime::appendErrorLog(e, "情報", "起動しました");
    readGameStrings(e.app, e.paths);
    display::openMainWindow(e);
    // Without a configured face, text is drawn with an installed Mincho (or gothic) face.
    text::searchStartupFont(*e.text);
    if (!startMainThread(e)) {
        runtime::appendErrorLog(e, "情報", "ゲームを終了しました");
        return 1;
    }
    runtime::appendErrorLog(e, "情報", "ゲームを開始します");
    runMainLoop(e, afterTurn);
    runtime::appendErrorLog(e, "情報", "ゲームを終了しました");
    return e.app.fatalErrorReported ? 2 : 0;
}

}  // namespace rs::shell
