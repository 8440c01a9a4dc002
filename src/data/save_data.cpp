#include "data/save_data.h"

#include <new>
#include <vector>

#include "data/atomic_file.h"
#include "data/game_data.h"
#include "data/host_file.h"
#include "data/save_folder.h"
#include "data/script_files.h"
#include "platform/host.h"
#include "runtime/errors.h"
#include "runtime/format.h"
#include "shell/engine.h"

namespace rs::data {

namespace {

constexpr const char* kSaveFailed = "ファイル『%s』のセーブに失敗しました";
constexpr const char* kGameDataCreateFailed =
    "ファイル『%s』のセーブに失敗しました\n"
    "\t１）ファイルが書き込み禁止属性になっている\n"
    "\t２）ドライブが書き込み禁止設定になっている（リムーバブルメディアなど）\n"
    "\t３）インストールフォルダに障害がある（ＣＤのインストーラでチェックしてください）\n"
    "といった原因が考えられます";
constexpr const char* kGameDataWriteFailed =
    "ファイル『%s』のセーブに失敗しました\n"
    "\t１）ドライブの空き容量が不足している\n"
    "\t２）ファイルが書き込み禁止属性になっている\n"
    "\t３）ドライブが書き込み禁止設定になっている（リムーバブルメディアなど）\n"
    "\t４）インストールフォルダに障害がある（ＣＤのインストーラでチェックしてください）\n"
    "といった原因が考えられます";

// Reads a whole host file; false when it cannot be opened, read or held.
bool readWhole(const std::string& hostPath, std::vector<uint8_t>& out) {
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(hostPath);
    if (!bytes) return false;
    out = std::move(*bytes);
    return true;
}

}  // namespace

bool loadPlainFile(FileBuffer& buffer, const std::string& hostPath) {
    clearBuffer(buffer);
    HostFile f = HostFile::openRead(hostPath);
    int64_t size = f.size();
    if (size < 0 || size > INT32_MAX) return false;
    if (size == 0) return true;
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    if (!data || !f.readAt(0, data.get(), static_cast<size_t>(size))) return false;
    buffer.data = std::move(data);
    buffer.size = buffer.capacity = static_cast<int32_t>(size);
    return true;
}

bool savePlainFile(Engine& e, const FileBuffer& buffer, const std::string& hostPath) {
    if (replaceFile(hostPath, buffer.bytes()) == WriteOutcome::Ok) {
        // The folder may hold a new file now.
        e.paths.forget(hostFolderOf(hostPath));
        return true;
    }
    std::string shown = scriptTextOfHostPath(hostPath);
    std::string text = runtime::formatMessage(kSaveFailed, shown.c_str());
    e.host.window().showCursor();
    platform::MessageBoxRequest box;
    box.text = text;
    box.caption = "error on writefile";
    box.buttons = platform::BoxButtons::Ok;
    box.ownedByWindow = e.app.mainWindow;
    e.host.messageBoxes().show(box);
    return false;
}

bool loadGameData(Engine& e, FileBuffer& buffer, const std::string& hostPath) {
    clearBuffer(buffer);
    std::vector<uint8_t> file;
    if (!readWhole(hostPath, file)) return false;
    GameDataResult r = decodeGameData(file, buffer);
    if (r == GameDataResult::Garbled)
        runtime::showAndLog(e, "データが化けています", "ゲームデータの読み込み");
    return r == GameDataResult::Ok;
}

bool saveGameData(Engine& e, const FileBuffer& buffer, const std::string& hostPath) {
    std::vector<uint8_t> file;
    // A payload the format cannot carry is not written: the file would not read back.
    WriteOutcome outcome = encodeGameData(buffer.bytes(), file) ? replaceFile(hostPath, file)
                                                                : WriteOutcome::WriteFailed;
    if (outcome == WriteOutcome::Ok) {
        e.paths.forget(hostFolderOf(hostPath));
        return true;
    }
    ScriptFiles& files = *e.files;
    if (files.saveFailureShown) return false;
    std::string shown = scriptTextOfHostPath(hostPath);
    const char* format =
        outcome == WriteOutcome::CreateFailed ? kGameDataCreateFailed : kGameDataWriteFailed;
    runtime::showAndLog(e, runtime::formatMessage(format, shown.c_str()), "セーブデータの保存");
    files.saveFailureShown = true;
    return false;
}

}  // namespace rs::data
