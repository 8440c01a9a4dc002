#include "shell/settings_dialog.h"

#include <gtest/gtest.h>

#include "display/screen_mode.h"
#include "shell/app_state.h"
#include "support/test_game.h"

namespace rs::shell {
namespace {

namespace ids = settings_ids;
using platform::Dialog;

struct Opened {
    explicit Opened(AppState a) : app(std::move(a)), procedure(dialog, app, {1920, 1080, 32}) {}
    bool enabled(int32_t id) const { return dialog.find(id)->enabled; }
    int32_t checkedChoice() const {
        for (int32_t id : {ids::kNoDirectX, ids::kDirectDraw, ids::kDirect3D})
            if (dialog.checked(id)) return id;
        return 0;
    }
    int32_t click(int32_t id) { return platform::clickControl(dialog, procedure, id).value_or(0); }

    Dialog dialog = settingsDialogTemplate();
    AppState app;
    SettingsDialogProcedure procedure;
};

AppState withVersion(uint32_t version, uint32_t revision = 0) {
    AppState a;
    a.directXVersion = version;
    a.directXRevision = revision;
    a.hasMmx = 1;
    return a;
}

TEST(SettingsDialog, TheTemplate) {
    Dialog d = settingsDialogTemplate();
    EXPECT_EQ(d.caption, "ゲーム設定");
    EXPECT_EQ(d.width, 275);
    EXPECT_EQ(d.height, 200);
    EXPECT_EQ(d.textOf(ids::kStart), "ゲーム開始");
    EXPECT_EQ(d.textOf(ids::kQuit), "終了する");
    EXPECT_EQ(d.textOf(ids::kNoDirectX), "DirectXを使用しない");
    EXPECT_EQ(d.textOf(ids::kDirectDraw), "DirectDrawを使用する");
    EXPECT_EQ(d.textOf(ids::kDirect3D), "Direct3Dを使用する(推奨)");
    EXPECT_EQ(d.textOf(ids::kDisplayGroup), "表示設定");
    EXPECT_EQ(d.find(ids::kStart)->kind, platform::ControlKind::DefaultButton);
    // Only the buttons, the choices, their frame and the background are visible.
    int visible = 0;
    for (const auto& c : d.controls) visible += c.visible ? 1 : 0;
    EXPECT_EQ(visible, 7);
    EXPECT_FALSE(d.find(ids::kMmx)->visible);
    const platform::Picture& background = d.controls[0].picture;
    EXPECT_EQ(background.width, 550);
    EXPECT_EQ(background.height, 400);
    // Drawn here, and the same on every start.
    EXPECT_EQ(settingsDialogTemplate().controls[0].picture.pixels, background.pixels);
    // A start that may not show it leaves it out; showing the dialog draws it.
    Dialog plain = settingsDialogTemplate(false);
    EXPECT_TRUE(plain.controls[0].picture.pixels.empty());
    test::TestGame g;
    runSettingsDialog(g.engine(), plain);
    EXPECT_EQ(plain.controls[0].picture.pixels, background.pixels);
}

TEST(SettingsDialog, TheChoicesReflectTheSettings) {
    AppState a = withVersion(display::kDirectX9, display::kDirectX9cRevision);
    EXPECT_EQ(Opened(a).checkedChoice(), ids::kDirect3D);
    a.useDirect3D = 0;
    EXPECT_EQ(Opened(a).checkedChoice(), ids::kDirectDraw);
    a.useDirectX = 0;
    EXPECT_EQ(Opened(a).checkedChoice(), ids::kNoDirectX);
    Opened o(withVersion(display::kDirectX9, display::kDirectX9cRevision));
    EXPECT_TRUE(o.enabled(ids::kDirect3D));
    EXPECT_TRUE(o.dialog.checked(ids::kMmx));
    EXPECT_EQ(o.dialog.textOf(ids::kScreenSize), "1920x1080ドット");
    EXPECT_EQ(o.dialog.textOf(ids::kDirectXVersion), "9(   40009:     387)");
}

TEST(SettingsDialog, TheButtonsTakeTheChoices) {
    Opened o(withVersion(display::kDirectX9, display::kDirectX9cRevision));
    o.click(ids::kDirectDraw);
    EXPECT_EQ(o.checkedChoice(), ids::kDirectDraw);
    EXPECT_EQ(o.app.useDirect3D, 1);  // nothing taken before the start button
    EXPECT_EQ(o.click(ids::kStart), 1);
    EXPECT_EQ(o.app.useDirectX, 1);
    EXPECT_EQ(o.app.useDirect3D, 0);
    EXPECT_EQ(o.app.hasMmx, 1);

    Opened none(withVersion(display::kDirectX9, display::kDirectX9cRevision));
    none.click(ids::kNoDirectX);
    EXPECT_EQ(none.click(ids::kStart), 1);
    EXPECT_EQ(none.app.useDirectX, 0);
    EXPECT_EQ(none.app.useDirect3D, 0);

    Opened quit(withVersion(display::kDirectX9, display::kDirectX9cRevision));
    quit.click(ids::kNoDirectX);
    EXPECT_EQ(quit.click(ids::kQuit), 2);
    EXPECT_EQ(quit.app.useDirectX, 1);  // quitting takes nothing
    EXPECT_EQ(platform::pressEscape(quit.dialog, quit.procedure), 2);
    EXPECT_EQ(platform::pressReturn(quit.dialog, quit.procedure), 1);
}

TEST(SettingsDialog, OlderDirectXVersionsDisableChoices) {
    // DirectX 8: no Direct3D; DirectDraw is preselected when DirectX was chosen.
    Opened eight(withVersion(0x00040008));
    EXPECT_FALSE(eight.enabled(ids::kDirect3D));
    EXPECT_EQ(eight.app.useDirect3D, 0);
    EXPECT_EQ(eight.checkedChoice(), ids::kDirectDraw);
    EXPECT_EQ(eight.click(ids::kDirect3D), 0);  // a disabled choice does nothing
    EXPECT_EQ(eight.checkedChoice(), ids::kDirectDraw);
    // DirectX 9 before 9.0c is older too, and so is a version that was not checked (0).
    EXPECT_FALSE(Opened(withVersion(display::kDirectX9, 0x386)).enabled(ids::kDirect3D));
    EXPECT_FALSE(Opened(withVersion(0)).enabled(ids::kDirect3D));
    // Below DirectX 7: no choice at all, and the game starts without DirectX.
    Opened six(withVersion(0x00040006));
    for (int32_t id : {ids::kNoDirectX, ids::kDirectDraw, ids::kDirect3D})
        EXPECT_FALSE(six.enabled(id));
    EXPECT_EQ(six.app.useDirectX, -1);
    EXPECT_EQ(six.click(ids::kStart), 1);
    EXPECT_EQ(six.app.useDirectX, -1);
    EXPECT_EQ(display::configuredBackEnd(six.app), platform::BackEndKind::Software);
    // A failed check (-1) disables the choices as well.
    AppState failed = withVersion(display::kDirectX9, display::kDirectX9cRevision);
    failed.useDirectX = -1;
    EXPECT_FALSE(Opened(failed).enabled(ids::kDirectDraw));
}

}  // namespace
}  // namespace rs::shell
