#include "shell/environment_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "data/atomic_file.h"
#include "data/host_file.h"
#include "data/save_folder.h"
#include "display/display.h"
#include "platform/encoding.h"
#include "platform/host_path.h"
#include "runtime/format.h"
#include "shell/engine.h"
#include "sound/sound_state.h"
#include "text/font_state.h"

namespace rs::shell {

const char kRunningMarker[] = "! 実行中です（実行中で無いなら、異常終了です）\n";

namespace {

// The file as a C library reads it in text mode: CR LF becomes LF and a Ctrl-Z ends the text.
// Lines come as fgets gives them with a buffer of 256 bytes: at most 255 bytes each, the line
// feed included when it fits, a longer line continuing in the next read.
class TextModeLines {
  public:
    explicit TextModeLines(std::string_view bytes) {
        text_.reserve(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i) {
            char c = bytes[i];
            if (c == '\x1A') break;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
            text_.push_back(c);
        }
    }

    // The next read, or none at the end of the text.
    std::optional<std::string> next() {
        if (pos_ >= text_.size()) return std::nullopt;
        size_t end = pos_;
        while (end < text_.size() && end - pos_ < 255) {
            if (text_[end++] == '\n') break;
        }
        std::string line = text_.substr(pos_, end - pos_);
        pos_ = end;
        return line;
    }

  private:
    std::string text_;
    size_t pos_ = 0;
};

// The byte a C string starts with: a line holding a NUL ends there.
int32_t firstByte(const std::string& line) {
    return line.empty() ? 0 : static_cast<unsigned char>(line[0]);
}

// The first three characters as a decimal number, as the C library reads one: leading blanks, an
// optional sign, then digits (0 when there are none).
int32_t leadingNumber(const std::string& line) {
    std::string head = line.substr(0, std::min<size_t>(3, std::strlen(line.c_str())));
    size_t i = 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t')) ++i;
    bool negative = false;
    if (i < head.size() && (head[i] == '-' || head[i] == '+')) negative = head[i++] == '-';
    int32_t n = 0;
    while (i < head.size() && head[i] >= '0' && head[i] <= '9') n = n * 10 + (head[i++] - '0');
    return negative ? -n : n;
}

bool writeEnvironmentBytes(Engine& e, const std::string& bytes) {
    std::string path = environmentFilePath(e);
    data::createFoldersFor(path, e.paths);
    auto span =
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    data::WriteOutcome outcome = data::replaceFile(path, span);
    e.paths.forget(data::hostFolderOf(path));
    if (outcome == data::WriteOutcome::Ok) return true;
    if (!e.app.environmentWriteFailed) {
        e.app.environmentWriteFailed = true;
        std::fprintf(stderr, "runestage: cannot write the settings file '%s' (%s)\n", path.c_str(),
                     outcome == data::WriteOutcome::CreateFailed
                         ? "it cannot be created or replaced"
                         : "writing it failed");
    }
    return false;
}

}  // namespace

std::string formatEnvironmentFile(const EnvironmentSettings& s, int32_t fullScreenState) {
    int32_t directX = (s.useDirectX != 0 && s.useDirect3D != 0) ? s.useDirectX + 1 : s.useDirectX;
    std::string text;
    text += "# 残念ですが、正常終了しました\n";
    text += runtime::formatMessage("%03d...環境ファイルバージョン\n", kEnvironmentFileVersion);
    text += runtime::formatMessage("%1d...DirectX 使用フラグ\n", directX);
    text += runtime::formatMessage("%1d...ジョイスティック\n", s.joystickSetting + 1);
    text += runtime::formatMessage("%1d...MIDIスイッチ\n", s.midiSwitch);
    text += runtime::formatMessage("%1d...PCM音源スイッチ\n", 0);
    text += runtime::formatMessage("%1d...DirectSoundスイッチ\n", s.directSoundState + 1);
    text += runtime::formatMessage("%1d...ウィンドウモード\n", fullScreenState);
    text += runtime::formatMessage("%1d...ＶＳＹＮＣに同期\n", 0);
    text += s.fontName.substr(0, text::kFaceNameMax);
    // Written in text mode: every line feed goes out as CR LF.
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

int32_t parseEnvironmentFile(std::string_view bytes, int32_t installMode, EnvironmentSettings& s) {
    TextModeLines lines(bytes);
    std::optional<std::string> line = lines.next();
    if (!line) return 0;
    if (firstByte(*line) == '!') return 2;
    if (!(line = lines.next()) || leadingNumber(*line) != kEnvironmentFileVersion) return 0;

    if (!(line = lines.next())) return 0;
    if (installMode == -1) {
        int32_t d = firstByte(*line) - '0';
        s.useDirectX = d;
        if (d == 1 || d == 2) {
            s.useDirect3D = d == 2 ? 1 : 0;
            s.useDirectX = 1;
        }
    }
    if (!(line = lines.next())) return 0;
    int32_t joystick = firstByte(*line) - '1';
    s.joystickSetting = joystick == 1 ? -1 : joystick;
    if (!(line = lines.next())) return 0;
    s.midiSwitch = firstByte(*line) - '0';
    // The PCM and DirectSound lines are not read back.
    if (!lines.next() || !lines.next()) return 0;
    if (!(line = lines.next())) return 0;
    // "-1" is what the line holds after a run that never made its screen: it reads back as -1
    // (not as '-' minus '0').
    s.windowModeSetting = line->rfind("-1", 0) == 0 ? -1 : firstByte(*line) - '0';
    std::optional<std::string> vsyncLine = lines.next();
    if (!vsyncLine) return 0;
    line = lines.next();
    if (!line) {
        // An empty font name leaves the file ending right after the ninth line: complete.
        return !vsyncLine->empty() && vsyncLine->back() == '\n' ? 1 : 0;
    }
    std::string font = line->c_str();
    while (!font.empty() && (font.back() == '\n' || font.back() == '\r')) font.pop_back();
    if (!font.empty()) s.fontName = font.substr(0, text::kFaceNameMax);
    return 1;
}

std::string environmentFilePath(const Engine& e) {
    std::string title = platform::cp932ToUtf8Strict(e.app.gameTitle).value_or(e.app.gameTitle);
    // A title holding a slash would name another folder: it stands for a character here.
    std::replace(title.begin(), title.end(), '/', '_');
    return platform::joinHostPath(data::saveFolderPath(e.app.userDataFolder, e.app.gameKey),
                                  title + ".cfg");
}

EnvironmentSettings currentEnvironmentSettings(const Engine& e) {
    EnvironmentSettings s;
    s.useDirectX = e.app.useDirectX;
    s.useDirect3D = e.app.useDirect3D;
    s.joystickSetting = e.app.joystickSetting;
    s.midiSwitch = e.sound->midiSwitch;
    s.directSoundState = e.sound->deviceState;
    s.windowModeSetting = e.app.windowModeSetting;
    s.fontName = e.text->fontName;
    return s;
}

void applyEnvironmentSettings(Engine& e, const EnvironmentSettings& s) {
    e.app.useDirectX = s.useDirectX;
    e.app.useDirect3D = s.useDirect3D;
    e.app.joystickSetting = s.joystickSetting;
    e.sound->midiSwitch = s.midiSwitch;
    e.app.windowModeSetting = s.windowModeSetting;
    e.text->fontName = s.fontName;
}

void readEnvironmentFile(Engine& e) {
    data::HostFile file = data::HostFile::openRead(environmentFilePath(e));
    if (!file.isOpen()) return;
    int64_t size = file.size();
    if (size < 0) return;
    std::string bytes(static_cast<size_t>(std::min<int64_t>(size, kEnvironmentReadLimit)), '\0');
    if (!bytes.empty() && !file.readAt(0, bytes.data(), bytes.size())) return;
    EnvironmentSettings s = currentEnvironmentSettings(e);
    e.app.runState = parseEnvironmentFile(bytes, e.app.installMode, s);
    applyEnvironmentSettings(e, s);
}

void writeRunningMarker(Engine& e) { writeEnvironmentBytes(e, kRunningMarker); }

void writeEnvironmentFile(Engine& e) {
    writeEnvironmentBytes(
        e, formatEnvironmentFile(currentEnvironmentSettings(e), e.display->mode.fullScreenState));
}

}  // namespace rs::shell
