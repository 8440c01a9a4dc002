// The settings dialog ("ゲーム設定", dialog 106), shown before the game starts: the player chooses
// how the picture is presented. Its controls, what they start as and what its buttons do are
// plain data here; the host only draws it.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

namespace rs {
class Engine;
}
namespace rs::shell {
struct AppState;
}

namespace rs::shell {

// Control ids of the settings dialog.
namespace settings_ids {
constexpr int32_t kStart = 1;  // "ゲーム開始"
constexpr int32_t kQuit = 2;   // "終了する"
constexpr int32_t kDirectSound = 1002;
constexpr int32_t kNoDirectX = 1003;
constexpr int32_t kDirectDraw = 1004;
constexpr int32_t kDirect3D = 1005;
constexpr int32_t kScreenSize = 1009;
constexpr int32_t kScreenColours = 1010;
constexpr int32_t kMmx = 1014;
constexpr int32_t kDirectXVersion = 1016;
constexpr int32_t kDisplayGroup = 1017;
}  // namespace settings_ids

// What the dialog shows besides the settings: the desktop and the DirectX version found.
struct SettingsFacts {
    int32_t desktopWidth = 0;
    int32_t desktopHeight = 0;
    int32_t desktopBitsPerPixel = 32;
};

// The dialog's template with the background picture (or without it: runSettingsDialog draws it
// when it shows the dialog), before it is set up.
platform::Dialog settingsDialogTemplate(bool withBackground = true);

// The dialog's procedure over the application state: set up when made (the choices reflect
// useDirectX, useDirect3D, the DirectX version and hasMmx; the version may disable choices and
// clear useDirect3D), and "ゲーム開始" takes the choices back.
class SettingsDialogProcedure final : public platform::DialogProcedure {
  public:
    SettingsDialogProcedure(platform::Dialog& dialog, AppState& app, const SettingsFacts& facts);
    std::optional<int32_t> onCommand(platform::Dialog& dialog, int32_t id,
                                     platform::DialogNotice notice) override;

  private:
    AppState& app_;
};

// SettingsDialog: shows the dialog (a settingsDialogTemplate) in the window, placed for it;
// 1 start, 2 quit.
int32_t runSettingsDialog(Engine& e, platform::Dialog& dialog);

}  // namespace rs::shell
