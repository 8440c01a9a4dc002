#include "runtime/errors.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/host.h"
#include "runtime/format.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::runtime {

namespace {

// Appends to a report that lives in a 2048-byte buffer: at most 2047 bytes in all.
void appendBounded(std::string& buf, std::string_view more) {
    size_t room = kMessageBufferSize - 1 > buf.size() ? kMessageBufferSize - 1 - buf.size() : 0;
    buf.append(more.substr(0, room));
}

std::string composeReport(const ScriptThread& t, std::string_view message, std::string_view place) {
    std::string placeText(place);
    std::string messageText(message);
    std::string name = t.name ? *t.name : std::string("(null)");
    std::string buf = formatMessage("場所：%s in %d\n(%d:%s)\n症状：%s\n", placeText.c_str(),
                                    t.line, t.code.pc, name.c_str(), messageText.c_str());
    if (t.depth > 1) {
        appendBounded(buf, "コールスタックダンプ\n");
        for (int32_t i = t.depth - 1; i >= 0; --i) {
            appendBounded(buf, formatMessage("%d\n", t.return_stack[static_cast<size_t>(i)]));
        }
    }
    return buf;
}

// Log entries may come from loader threads too.
std::mutex& logMutex() {
    static std::mutex m;
    return m;
}

void showLogged(Engine& e, std::string_view text, std::string_view title, platform::BoxIcon icon) {
    e.host.window().showCursor();
    platform::MessageBoxRequest box;
    box.text = text;
    box.caption = title;
    box.icon = icon;
    box.buttons = platform::BoxButtons::Ok;
    box.ownedByWindow = e.app.mainWindow;
    e.host.messageBoxes().show(box);
    appendErrorLog(e, title, text);
}

// Text-mode output: every line feed is written as CR LF.
void writeText(std::FILE* f, std::string_view s) {
    for (char c : s) {
        if (c == '\n') std::fputc('\r', f);
        std::fputc(c, f);
    }
}

}  // namespace

void scriptError(Engine& e, ScriptThread& t, std::string_view message, std::string_view place) {
    t.failed = true;
    t.ended = 1;
    if (e.app.fatalErrorReported) return;
    e.app.fatalErrorReported = true;
    std::string buf = composeReport(t, message, place);
    appendBounded(buf, "ゲームを停止します");
    showAndLog(e, buf, "ゲームシステムの致命的なエラー");
    e.pumpMessages();
    e.destroyMainWindow();
}

void scriptWarning(Engine& e, ScriptThread& t, std::string_view message, std::string_view place) {
    if (e.app.fatalErrorReported) return;
    std::string buf = composeReport(t, message, place);
    showAndLog(e, buf, "ゲームシステムのエラー");
}

void showAndLog(Engine& e, std::string_view text, std::string_view title) {
    showLogged(e, text, title, platform::BoxIcon::Exclamation);
}

void showInfoAndLog(Engine& e, std::string_view text, std::string_view title) {
    showLogged(e, text, title, platform::BoxIcon::Information);
}

void poolWarning(Engine& e) {
    platform::MessageBoxRequest box;
    box.text = "変数使用数が最大値を超えました";
    box.caption = "システムの警告";
    box.ownedByWindow = false;
    e.host.messageBoxes().show(box);
}

void appendErrorLog(Engine& e, std::string_view title, std::string_view text) {
    auto saveDir = e.paths.findExisting(e.app.installPath, "save");
    if (!saveDir) return;
    std::string path;
    if (auto existing = e.paths.findExisting(*saveDir, "rune_error.log")) {
        path = *existing;
    } else {
        path = platform::joinHostPath(*saveDir, "rune_error.log");
    }
    platform::LocalTime now = e.host.clock().localTime();
    std::string stamp = formatMessage("%04d/%02d/%02d %02d:%02d:%02d\n", now.year, now.month,
                                      now.day, now.hour, now.minute, now.second);
    std::lock_guard<std::mutex> lock(logMutex());
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return;
    writeText(f, stamp);
    writeText(f, title);
    writeText(f, "\n");
    writeText(f, text);
    writeText(f, "\n\n");
    std::fclose(f);
}

bool confirmExit(Engine& e) {
    std::string text = formatMessage("%sを終了します", e.app.gameTitle.c_str());
    e.host.window().showCursor();
    platform::MessageBoxRequest box;
    box.text = text;
    box.caption = e.app.gameTitle;
    box.icon = platform::BoxIcon::Question;
    box.buttons = platform::BoxButtons::OkCancel;
    return e.host.messageBoxes().show(box) == platform::kBoxOk;
}

}  // namespace rs::runtime
