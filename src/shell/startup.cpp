#include "shell/startup.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "data/host_file.h"
#include "data/save_folder.h"
#include "display/screen_mode.h"
#include "platform/encoding.h"
#include "platform/host.h"
#include "platform/host_path.h"
#include "platform/processor.h"
#include "runtime/errors.h"
#include "runtime/format.h"
#include "runtime/script_loader.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/environment_file.h"
#include "shell/main_loop.h"
#include "shell/registry_file.h"
#include "shell/settings_dialog.h"
#include "shell/start_input.h"
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

namespace {

void detectProcessor(Engine& e) {
    // A virtual clock keeps the figure a script sees the same on every machine.
    if (e.host.clock().isVirtual()) return;
    if (auto kHz = platform::processorClockKHz()) e.app.cpuClockKHz = *kHz;
}

void showAbnormalEndNotice(Engine& e) {
    platform::MessageBoxRequest box;
    box.text =
        "前回正常終了しませんでした\nゲームが安定動作しない場合、DirectXを使わない設定にするか\n"
        "Windowsのアクセラレーションなどの設定を見直して下さい\n"
        "電子マニュアルに、正常動作しない場合の詳しい対処法があります\n是非ご参照下さい";
    box.caption = "起動時の情報";
    e.host.messageBoxes().show(box);
}

void checkStuckInput(Engine& e) {
    if (e.app.joystickSetting == 0) return;
    int32_t in[8];
    bool stuck = false;
    // Input 2, the first button, is not part of the test.
    for (int32_t i : {7, 6, 5, 4, 3, 1, 0}) {
        in[i] = readStartInput(e, i);
        stuck = stuck || in[i] != 0;
    }
    if (!stuck) return;
    in[2] = readStartInput(e, 2);
    std::string text = runtime::formatMessage(
        "現在ジョイスティックが有効になっていますが\n入力しっぱなし状態になっています\n"
        "(X %d,Y %d ボタン %d,%d,%d,%d,%d,%d)\nジョイスティック入力を無効にしますか？",
        in[0], in[1], in[2], in[3], in[4], in[5], in[6], in[7]);
    platform::MessageBoxRequest box;
    box.text = text;
    box.caption = "ジョイスティック(パッド)設定";
    box.buttons = platform::BoxButtons::YesNo;
    if (e.host.messageBoxes().show(box) == platform::kBoxYes) e.app.joystickSetting = 0;
}

bool prepareGame(Engine& e) {
    readGameStrings(e.app, e.paths);
    // The installer values come before the first log line: they may move the install folder,
    // where the error log is.
    readRegistry(e);
    runtime::appendErrorLog(e, "情報", "起動しました");
    // The save folder holds the environment file, whose running marker comes later.
    data::createFoldersFor(environmentFilePath(e), e.paths);
    readEnvironmentFile(e);
    if (e.app.windowModeRequest >= 0) e.app.windowModeSetting = e.app.windowModeRequest;
    // Without a configured face, text is drawn with an installed Mincho (or gothic) face.
    text::searchStartupFont(*e.text);
    // The DirectX version needs no check: there is no setup library to ask, and the application
    // state holds that of DirectX 9.0c, with which every back-end is available.
    detectProcessor(e);

    // The window comes before the questions: they are drawn in it, and the keys held at start
    // are read once it has the focus.
    platform::Dialog settings = settingsDialogTemplate(false);
    e.host.window().setTitle(e.app.windowTitle);
    e.host.window().setIcon(platform::WindowIcon::Normal);
    display::placeWindowForDialog(e, settings);
    e.host.presenter().paintBackground();
    HeldAtStart held = heldAtStart(e);

    if ((e.app.runState == 2 || held.shift) && e.app.singleInstanceChecks == 1)
        showAbnormalEndNotice(e);
    bool askSettings = e.app.runState != 1 || held.ctrl || e.app.settingsDialogRequest > 0;
    if (askSettings && e.app.settingsDialogRequest >= 0) {
        if (runSettingsDialog(e, settings) == settings_ids::kQuit) return false;
    }
    e.app.runState = 1;
    if (e.app.useDirectX < 1) e.app.useDirect3D = 0;
    releaseKeysHeldAtStart(e);
    checkStuckInput(e);
    return true;
}

}  // namespace

int runGame(Engine& e, const std::function<void()>& afterTurn) {
    if (!prepareGame(e)) {
        // Quitting in the settings dialog ends the program at once.
        e.app.startCancelled = true;
        return 0;
    }
    display::openMainWindow(e);
    if (!startMainThread(e)) {
        runtime::appendErrorLog(e, "情報", "ゲームを終了しました");
        return 1;
    }
    writeRunningMarker(e);
    runtime::appendErrorLog(e, "情報", "ゲームを開始します");
    runMainLoop(e, afterTurn);
    runtime::appendErrorLog(e, "情報", "ゲームを終了しました");
    return e.app.fatalErrorReported ? 2 : 0;
}

}  // namespace rs::shell
