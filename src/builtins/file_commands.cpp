// Script file commands: opening files in the game folder or the per-user save folder, reading
// and writing their bytes, storing and restoring whole variables, file times, reading a data
// file whole, and handing a file to the desktop's opener.
//
// A file is never streamed: a read handle holds the whole file, a write handle collects bytes
// and writes them out when it is closed (an atomic replace, so a failed save keeps the old file).
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "builtins/dispatcher.h"
#include "builtins/variable_file.h"
#include "data/engine_resources.h"
#include "data/file_buffer.h"
#include "data/resource.h"
#include "data/save_data.h"
#include "data/save_folder.h"
#include "data/script_files.h"
#include "platform/encoding.h"
#include "platform/host.h"
#include "platform/process.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/format.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::builtins {

namespace {

using data::ScriptFile;
using runtime::ScriptThread;
using runtime::Value;

constexpr const char* kInvalidHandle = "無効なハンドルです";
constexpr const char* kNotString = "引数が文字列になっていません";

// Modes of fopen beyond the four file modes.
constexpr int32_t kSaveFolderPath = -3;
constexpr int32_t kExistsInSaveFolder = -2;
constexpr int32_t kDataFileExists = -1;
constexpr int32_t kFirstSaveFolderMode = 4;
constexpr int32_t kLastMode = 7;

// A popped string argument's bytes; a fatal error (`message` at `place`) for anything else.
std::optional<std::string> stringArgument(Engine& e, ScriptThread& t, const char* message,
                                          const char* place) {
    Value* v = runtime::ngetvar(e, t);
    if (!v) return std::nullopt;
    std::optional<std::string> text;
    if (v->type == runtime::kString) text = std::string(runtime::stringText(*v));
    e.pool.free(v);
    if (!text) runtime::scriptError(e, t, message, place);
    return text;
}

// The open file of a handle; the non-fatal "無効なハンドルです" for anything else.
ScriptFile* openFile(Engine& e, ScriptThread& t, int32_t handle, const char* place) {
    ScriptFile* f = e.files->handles.find(handle);
    if (!f) runtime::scriptWarning(e, t, kInvalidHandle, place);
    return f;
}

// The save folder is computed afresh whenever a command works in it (the game key may change).
std::string currentSaveFolder(const Engine& e) {
    return data::saveFolderPath(e.app.userDataFolder, e.app.gameKey);
}

// A name that would leave its folder is never written: the attempt is logged with the name.
void logRefusedName(Engine& e, const std::string& name) {
    runtime::appendErrorLog(
        e, "fopen",
        runtime::formatMessage("フォルダの外を指すファイル名なので書き込みません：%s",
                               name.c_str()));
}

// fopen(name, mode): see the mode table of the file commands. Read modes give -1 for a file that
// cannot be read; write modes always give a handle for a name inside the folder.
void cmdFopen(Engine& e, ScriptThread& t) {
    int32_t mode = runtime::ngetint(e, t);
    if (t.failed) return;
    Value* nameCell = runtime::ngetvar(e, t);
    if (!nameCell) return;
    if (mode < kSaveFolderPath || mode > kLastMode) {
        e.pool.free(nameCell);
        runtime::scriptError(e, t, "モード指定が変です", "fopen");
        return;
    }
    std::optional<std::string> nameText;
    if (nameCell->type == runtime::kString) nameText = std::string(runtime::stringText(*nameCell));
    e.pool.free(nameCell);
    if (!nameText) {
        runtime::scriptError(e, t, kNotString, "fopen");
        return;
    }
    const std::string& name = *nameText;

    bool inSaveFolder = mode <= kExistsInSaveFolder || mode >= kFirstSaveFolderMode;
    std::string folder = inSaveFolder ? currentSaveFolder(e) : e.app.installPath;
    if (mode == kSaveFolderPath) {
        runtime::pushString(e, t, data::scriptTextOfHostPath(folder));
        return;
    }
    bool inside = data::staysInFolder(name);
    if (mode == kExistsInSaveFolder) {
        runtime::pushInteger(e, t, inside && e.paths.findExisting(folder, name) ? 1 : 0);
        return;
    }
    if (mode == kDataFileExists) {
        runtime::pushInteger(
            e, t, inside && data::ResourceExists(data::resourceContext(e), name) ? 1 : 0);
        return;
    }

    int32_t fileMode = mode & 3;
    if (!inside) {
        if (data::isWriteMode(fileMode)) logRefusedName(e, name);
        runtime::pushInteger(e, t, -1);
        return;
    }
    auto file = std::make_unique<ScriptFile>();
    file->mode = fileMode;
    if (data::isWriteMode(fileMode)) {
        file->path = e.paths.mapForCreate(folder, name);
        // In the save folder the folders of the path are made at once; the file only at close.
        if (inSaveFolder) data::createFoldersFor(file->path, e.paths);
    } else {
        std::optional<std::string> host = e.paths.findExisting(folder, name);
        bool loaded = false;
        if (host) {
            loaded = fileMode == data::kPlainRead ? data::loadPlainFile(file->buffer, *host)
                                                  : data::loadGameData(e, file->buffer, *host);
        }
        if (!loaded) {
            runtime::pushInteger(e, t, -1);
            return;
        }
        file->path = *host;
    }
    runtime::pushInteger(e, t, e.files->handles.add(std::move(file)));
}

// close(handle): a write handle writes its file; the handle is gone afterwards. -1 is no file.
void cmdClose(Engine& e, ScriptThread& t) {
    int32_t handle = runtime::ngetint(e, t);
    if (t.failed || handle == -1) return;
    std::unique_ptr<ScriptFile> file = e.files->handles.take(handle);
    if (!file) {
        runtime::scriptWarning(e, t, kInvalidHandle, "fclose");
        return;
    }
    if (file->mode == data::kPlainWrite) {
        data::savePlainFile(e, file->buffer, file->path);
    } else if (file->mode == data::kGameDataWrite) {
        data::saveGameData(e, file->buffer, file->path);
    }
}

// The arguments of fread and fwrite (handle, variable, count), taken last first; `file` is null
// after an error or for a handle that is not open.
struct Transfer {
    ScriptFile* file = nullptr;
    runtime::Slot* slot = nullptr;
    int32_t count = 0;
};

Transfer fetchTransfer(Engine& e, ScriptThread& t, const char* place) {
    Transfer x;
    x.count = runtime::ngetint(e, t);
    if (t.failed) return x;
    x.slot = runtime::getSlot(e, t);
    if (t.failed) return x;
    int32_t handle = runtime::ngetint(e, t);
    if (t.failed) return x;
    x.file = openFile(e, t, handle, place);
    return x;
}

// fread(handle, variable, count): up to `count` bytes from the cursor, as a string whose stored
// length is the number of bytes read.
void cmdFread(Engine& e, ScriptThread& t) {
    Transfer x = fetchTransfer(e, t, "fread");
    ScriptFile* f = x.file;
    runtime::Slot* slot = x.slot;
    int32_t count = x.count;
    if (!f) return;
    if (data::isWriteMode(f->mode)) {
        runtime::scriptError(e, t, "書き込みファイルから読みこもうとしました", "fread");
        return;
    }
    if (!slot) {
        runtime::scriptError(e, t, "代入先が変数になっていません", "fread");
        return;
    }
    auto bytes = data::readAtPosition(f->buffer, count);
    Value* s = e.pool.newStringWithLength(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
        static_cast<int32_t>(bytes.size()));
    if (!s) {
        runtime::allocationFailed(e, t);
        return;
    }
    e.pool.free(*slot);
    *slot = s;
}

// fwrite(handle, variable, count): the first `count` bytes of the string's buffer (at most its
// stored length) are written at the cursor.
void cmdFwrite(Engine& e, ScriptThread& t) {
    Transfer x = fetchTransfer(e, t, "fwrite");
    ScriptFile* f = x.file;
    runtime::Slot* slot = x.slot;
    int32_t count = x.count;
    if (!f) return;
    if (!data::isWriteMode(f->mode)) {
        runtime::scriptError(e, t, "読みこみファイルに書きこもうとしました", "fwrite");
        return;
    }
    if (!slot || !*slot || (*slot)->type != runtime::kString) {
        runtime::scriptError(e, t, "書き込みデータが文字列でないです", "fwrite");
        return;
    }
    const runtime::StringBody* body = (*slot)->u.s;
    int32_t stored = body && body->data ? body->length : 0;
    int32_t n = std::min(std::max(count, 0), stored);
    std::span<const uint8_t> bytes(
        reinterpret_cast<const uint8_t*>(n > 0 ? body->data.get() : nullptr),
        static_cast<size_t>(n));
    if (!data::writeAtPosition(f->buffer, bytes))
        runtime::scriptError(e, t, "メモリ確保が出来ません", "fwrite");
}

// fload(handle, variable): restores a whole variable from the cursor.
void cmdFload(Engine& e, ScriptThread& t) {
    runtime::Variable* v = runtime::ngetbody(e, t);
    if (t.failed || !v) return;
    int32_t handle = runtime::ngetint(e, t);
    if (t.failed) return;
    ScriptFile* f = openFile(e, t, handle, "fload");
    if (!f) return;
    switch (readVariable(e.pool, *v, f->buffer)) {
        case VariableReadResult::Ok: break;
        case VariableReadResult::Damaged:
            runtime::scriptWarning(e, t, "壊れたデータを読み込もうとしました\n読み込みを中断します",
                                   "fload");
            break;
        case VariableReadResult::PoolExhausted: runtime::allocationFailed(e, t); break;
    }
}

// save variable(handle, variable): writes a whole variable at the cursor.
void cmdSaveVariable(Engine& e, ScriptThread& t) {
    runtime::Variable* v = runtime::ngetbody(e, t);
    if (t.failed || !v) return;
    int32_t handle = runtime::ngetint(e, t);
    if (t.failed) return;
    ScriptFile* f = openFile(e, t, handle, "fsave");
    if (!f) return;
    std::vector<uint8_t> bytes;
    try {
        bytes = encodeVariable(*v);
    } catch (const std::bad_alloc&) {
        runtime::scriptError(e, t, "メモリ確保が出来ません", "fsave");
        return;
    }
    if (!data::writeAtPosition(f->buffer, bytes))
        runtime::scriptError(e, t, "メモリ確保が出来ません", "fsave");
}

// The last-write time of a host file in local time; nullopt when it cannot be read.
std::optional<platform::LocalTime> fileTime(const std::string& hostPath) {
    struct stat st;
    if (::stat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return platform::localTimeAt(st.st_mtim.tv_sec, static_cast<int>(st.st_mtim.tv_nsec / 1000000));
}

// file time(source, field): source 0 is the clock now, any other the file of a handle.
void cmdFileTime(Engine& e, ScriptThread& t) {
    int32_t field = runtime::ngetint(e, t);
    if (t.failed) return;
    int32_t source = runtime::ngetint(e, t);
    if (t.failed) return;
    std::optional<platform::LocalTime> time;
    if (source == 0) {
        time = e.host.clock().localTime();
    } else if (ScriptFile* f = openFile(e, t, source, "ftime")) {
        time = fileTime(f->path);
    }
    int32_t result = -1;
    if (time && field >= 0 && field <= 7) {
        const int32_t fields[8] = {time->year, time->month,  time->day,    time->dayOfWeek,
                                   time->hour, time->minute, time->second, time->millisecond};
        result = fields[field];
    }
    runtime::pushInteger(e, t, result);
}

void cmdNothing(Engine&, ScriptThread&) {}

// shellexec(file, folder): the desktop's opener (xdg-open) opens the file, started without a
// shell and with the folder as its working folder. Failures are not reported.
void cmdShellExec(Engine& e, ScriptThread& t) {
    constexpr const char* kTwoStrings =
        "引数が文字列になっていません。あるいは足りません（２個必要です）";
    if (t.frameCellCount() < 2) {
        runtime::scriptError(e, t, kTwoStrings, "shellexec");
        return;
    }
    std::optional<std::string> folder = stringArgument(e, t, kTwoStrings, "shellexec");
    if (!folder) return;
    std::optional<std::string> file = stringArgument(e, t, kTwoStrings, "shellexec");
    if (!file) return;

    // A folder that does not exist leaves the game folder as the working folder.
    std::string workFolder = e.app.installPath;
    if (!folder->empty()) {
        if (auto dir = e.paths.findExisting(e.app.installPath, *folder)) workFolder = *dir;
    }
    // An existing file is passed by its host path; anything else (an address) as its text.
    std::string target;
    if (auto found = e.paths.findExisting(workFolder, *file)) {
        target = *found;
    } else {
        target = platform::cp932ToUtf8(*file);
        if (!target.empty() && target[0] == '-') target = "./" + target;  // never an option
    }
    platform::reapFinished(e.files->children);
    int pid = platform::startProgram({"xdg-open", target}, workFolder);
    if (pid > 0) e.files->children.push_back(pid);
}

// read data file(name): the data file whole as a string of its size, or 0 when it is missing or
// empty.
void cmdReadDataFile(Engine& e, ScriptThread& t) {
    std::optional<std::string> name = stringArgument(e, t, kNotString, "readdata");
    if (!name) return;
    std::unique_ptr<uint8_t[]> data;
    int32_t size =
        data::staysInFolder(*name) ? data::LoadResource(data::resourceContext(e), *name, data) : -1;
    if (size <= 0) {
        runtime::pushInteger(e, t, 0);
        return;
    }
    runtime::pushValue(
        e, t,
        e.pool.newStringWithLength(
            std::string_view(reinterpret_cast<const char*>(data.get()), static_cast<size_t>(size)),
            size));
}

constexpr CommandEntry kFileCommands[] = {
    {1024, "fopen", cmdFopen},         {1025, "fclose", cmdClose},
    {1026, "fread", cmdFread},         {1027, "fwrite", cmdFwrite},
    {1028, "fload", cmdFload},         {1029, "fsave", cmdSaveVariable},
    {1030, "ftime", cmdFileTime},      {1033, "fnop", cmdNothing},
    {1034, "shellexec", cmdShellExec}, {1035, "readdata", cmdReadDataFile},
};

}  // namespace

void registerFileCommands(CommandTable& table) { table.add(kFileCommands); }

}  // namespace rs::builtins
