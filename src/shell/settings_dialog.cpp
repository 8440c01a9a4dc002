#include "shell/settings_dialog.h"

#include "display/screen_mode.h"
#include "platform/host.h"
#include "runtime/format.h"
#include "shell/dialog_background.h"
#include "shell/engine.h"

namespace rs::shell {

namespace {

using platform::ControlKind;
using platform::Dialog;
using platform::DialogControl;
namespace ids = settings_ids;

// The size of the dialog in dialog units.
constexpr int32_t kWidth = 275;
constexpr int32_t kHeight = 200;

void disable(Dialog& d, int32_t id) {
    if (DialogControl* c = d.find(id)) c->enabled = false;
}

void check(Dialog& d, int32_t id) {
    if (DialogControl* c = d.find(id)) c->checked = true;
}

// The display choices, with DirectSound and the id 1001 that the dialog never had.
void disableDisplayChoices(Dialog& d) {
    for (int32_t id : {ids::kNoDirectX, ids::kDirectDraw, ids::kDirect3D, 1001, ids::kDirectSound})
        disable(d, id);
}

}  // namespace

Dialog settingsDialogTemplate(bool withBackground) {
    Dialog d;
    d.caption = "ゲーム設定";
    d.width = kWidth;
    d.height = kHeight;
    d.unattendedAnswer = ids::kStart;
    // The background first: every other control is drawn over it.
    DialogControl background =
        platform::makeControl(-1, ControlKind::Picture, {0, 0, kWidth, kHeight}, "");
    if (withBackground)
        background.picture = settingsBackground(kWidth * platform::kDialogUnitPixels,
                                                kHeight * platform::kDialogUnitPixels);
    d.controls.push_back(std::move(background));
    d.controls.push_back(platform::makeControl(-1, ControlKind::Text, {0, 0, 192, 36}, "", false));
    d.controls.push_back(platform::makeControl(1018, ControlKind::GroupBox, {168, 4, 104, 36},
                                               "現在の画面モード", false));
    d.controls.push_back(
        platform::makeControl(ids::kScreenSize, ControlKind::Text, {172, 12, 68, 12}, "", false));
    d.controls.push_back(platform::makeControl(ids::kScreenColours, ControlKind::Text,
                                               {172, 24, 68, 12}, "", false));
    d.controls.push_back(platform::makeControl(1019, ControlKind::GroupBox, {168, 44, 104, 24},
                                               "DirectXバージョン", false));
    d.controls.push_back(platform::makeControl(ids::kDirectXVersion, ControlKind::Text,
                                               {172, 52, 96, 12}, "", false));
    d.controls.push_back(platform::makeControl(ids::kDirectSound, ControlKind::CheckBox,
                                               {4, 88, 84, 16}, "DirectSoundを使用する", false));
    d.controls.push_back(platform::makeControl(ids::kMmx, ControlKind::CheckBox, {4, 104, 84, 16},
                                               "MMXを使用する", false));
    d.controls.push_back(platform::makeControl(ids::kDisplayGroup, ControlKind::GroupBox,
                                               {168, 108, 104, 60}, "表示設定"));
    d.controls.push_back(platform::makeControl(ids::kNoDirectX, ControlKind::RadioButton,
                                               {172, 116, 96, 16}, "DirectXを使用しない"));
    d.controls.push_back(platform::makeControl(ids::kDirectDraw, ControlKind::RadioButton,
                                               {172, 132, 96, 16}, "DirectDrawを使用する"));
    d.controls.push_back(platform::makeControl(ids::kDirect3D, ControlKind::RadioButton,
                                               {172, 148, 96, 16}, "Direct3Dを使用する(推奨)"));
    d.controls.push_back(
        platform::makeControl(ids::kQuit, ControlKind::PushButton, {4, 176, 68, 20}, "終了する"));
    d.controls.push_back(platform::makeControl(ids::kStart, ControlKind::DefaultButton,
                                               {204, 176, 68, 20}, "ゲーム開始"));
    return d;
}

SettingsDialogProcedure::SettingsDialogProcedure(Dialog& d, AppState& app,
                                                 const SettingsFacts& facts)
    : app_(app) {
    uint32_t version = app.directXVersion;
    if (DialogControl* c = d.find(ids::kScreenSize))
        c->text = runtime::formatMessage("%dx%dドット", facts.desktopWidth, facts.desktopHeight);
    if (DialogControl* c = d.find(ids::kScreenColours))
        c->text = runtime::formatMessage("%dビットカラー", facts.desktopBitsPerPixel);
    if (DialogControl* c = d.find(ids::kDirectXVersion))
        c->text = runtime::formatMessage("%d(%8x:%8x)", static_cast<int>(version & 0xFFFF), version,
                                         app.directXRevision);
    if (version == 0 || version >= display::kDirectX7) {
        if (display::belowDirectX9c(version, app.directXRevision)) {
            app.useDirect3D = 0;
            disable(d, ids::kDirect3D);
        }
        if (app.useDirectX == -1) {
            disableDisplayChoices(d);
        } else if (app.useDirectX == 0) {
            check(d, ids::kNoDirectX);
        } else if (app.useDirect3D == 0) {
            check(d, ids::kDirectDraw);
        } else {
            check(d, ids::kDirect3D);
        }
    }
    if (version != 0 && version < display::kDirectX7) {
        app.useDirectX = -1;
        disableDisplayChoices(d);
    }
    if (DialogControl* c = d.find(ids::kMmx)) c->checked = app.hasMmx > 0;
    for (int32_t id : {ids::kNoDirectX, ids::kDirectDraw, ids::kDirect3D}) {
        if (DialogControl* c = d.find(id)) c->group = 1;
    }
}

std::optional<int32_t> SettingsDialogProcedure::onCommand(Dialog& d, int32_t id,
                                                          platform::DialogNotice) {
    if (id == ids::kStart) {
        // Disabled choices (a DirectX too old for any of them) keep the settings as they are:
        // the game then starts without DirectX.
        const DialogControl* noDirectX = d.find(ids::kNoDirectX);
        if (noDirectX && noDirectX->enabled) {
            app_.useDirectX = d.checked(ids::kNoDirectX) ? 0 : 1;
            app_.useDirect3D = d.checked(ids::kDirect3D) ? 1 : 0;
        }
        app_.hasMmx = d.checked(ids::kMmx) ? 1 : 0;
        return ids::kStart;
    }
    if (id == ids::kQuit) return ids::kQuit;
    return std::nullopt;
}

int32_t runSettingsDialog(Engine& e, Dialog& d) {
    platform::SizeInPixels desktop = e.host.window().desktopSize();
    SettingsFacts facts{desktop.width, desktop.height, e.app.desktopBitsPerPixel};
    SettingsDialogProcedure procedure(d, e.app, facts);
    // The background is drawn when the dialog is shown: most starts never show it.
    if (!d.controls.empty() && d.controls[0].kind == ControlKind::Picture &&
        d.controls[0].picture.pixels.empty())
        d.controls[0].picture = settingsBackground(kWidth * platform::kDialogUnitPixels,
                                                   kHeight * platform::kDialogUnitPixels);
    display::placeWindowForDialog(e, d);
    e.host.window().showCursor();
    return e.host.dialogs().run(d, procedure);
}

}  // namespace rs::shell
