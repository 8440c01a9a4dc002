#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/encoding.h"

namespace rs::platform {
namespace {

// Records every command; button 1 ends with 1, button 2 with 2.
struct Recorder final : DialogProcedure {
    std::optional<int32_t> onCommand(Dialog&, int32_t id, DialogNotice notice) override {
        heard.emplace_back(id, notice);
        if (id == 1 || id == 2) return id;
        return std::nullopt;
    }
    std::vector<std::pair<int32_t, DialogNotice>> heard;
};

Dialog sample() {
    Dialog d;
    d.caption = "見本";
    auto add = [&](int32_t id, ControlKind kind, const char* text, int32_t group = 0) {
        DialogControl c;
        c.id = id;
        c.kind = kind;
        c.text = text;
        c.group = group;
        d.controls.push_back(c);
        return &d.controls.back();
    };
    add(1, ControlKind::DefaultButton, "はい");
    add(3, ControlKind::PushButton, "別");
    add(10, ControlKind::RadioButton, "一", 1)->checked = true;
    add(11, ControlKind::RadioButton, "二", 1);
    add(12, ControlKind::RadioButton, "三", 2)->checked = true;
    add(20, ControlKind::CheckBox, "箱");
    add(30, ControlKind::ListBox, "")->items = {"a", "b", "c"};
    add(40, ControlKind::Text, "文");
    return d;
}

TEST(Dialogs, ControlsBehaveAsTheirKind) {
    Dialog d = sample();
    Recorder r;
    // A radio button becomes the one checked of its group only.
    EXPECT_EQ(clickControl(d, r, 11), std::nullopt);
    EXPECT_FALSE(d.checked(10));
    EXPECT_TRUE(d.checked(11));
    EXPECT_TRUE(d.checked(12));
    // A check box toggles.
    clickControl(d, r, 20);
    EXPECT_TRUE(d.checked(20));
    clickControl(d, r, 20);
    EXPECT_FALSE(d.checked(20));
    // Static text hears nothing; disabled or hidden controls ignore clicks.
    EXPECT_EQ(clickControl(d, r, 40), std::nullopt);
    d.find(10)->enabled = false;
    clickControl(d, r, 10);
    EXPECT_FALSE(d.checked(10));
    d.find(3)->visible = false;
    clickControl(d, r, 3);
    EXPECT_EQ(r.heard.size(), 3u);
    // A list box's selection stays inside the list; moving it to where it is says nothing.
    selectItem(d, r, 30, 7);
    EXPECT_EQ(d.find(30)->selected, 2);
    selectItem(d, r, 30, 2);
    EXPECT_EQ(r.heard.back(), std::make_pair(30, DialogNotice::SelectionChanged));
    EXPECT_EQ(r.heard.size(), 4u);
    // Return: the default button; Escape: command 2 even without such a button.
    EXPECT_EQ(pressReturn(d, r), 1);
    EXPECT_EQ(pressEscape(d, r), 2);
    d.find(1)->enabled = false;
    EXPECT_EQ(pressReturn(d, r), std::nullopt);
}

TEST(Dialogs, WithoutAWindowTheyAnswerAtOnce) {
    std::ostringstream out;
    HeadlessDialogs dialogs(&out);
    Dialog d = sample();
    d.unattendedAnswer = 1;
    Recorder r;
    EXPECT_EQ(dialogs.run(d, r), 1);
    EXPECT_EQ(out.str(), cp932ToUtf8("[見本] はい\n"));
    // An answer without a button of its own is still the result; Cancel goes as Escape.
    d.unattendedAnswer = 2;
    EXPECT_EQ(dialogs.run(d, r), 2);
    EXPECT_EQ(out.str(), cp932ToUtf8("[見本] はい\n[見本] 2\n"));
    dialogs.answerWith(3);
    EXPECT_EQ(dialogs.run(d, r), 3);
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[2].result, 3);
}

TEST(Dialogs, SizesFollowTheInterfaceScale) {
    Dialog d;
    d.width = 275;
    d.height = 200;
    EXPECT_EQ(interfaceScale({0, 0, 1920, 1050}), 1);
    EXPECT_EQ(interfaceScale({0, 0, 3840, 2100}), 2);
    EXPECT_EQ(interfaceScale({0, 0, 640, 480}), 1);
    EXPECT_EQ(dialogPixelSize(d, 1), (SizeInPixels{550, 424}));
    EXPECT_EQ(dialogPixelSize(d, 2), (SizeInPixels{1100, 848}));
}

}  // namespace
}  // namespace rs::platform
