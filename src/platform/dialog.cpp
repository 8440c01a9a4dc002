#include "platform/dialog.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "platform/encoding.h"

namespace rs::platform {

DialogControl makeControl(int32_t id, ControlKind kind, DialogRect rect, std::string text,
                          bool visible) {
    DialogControl c;
    c.id = id;
    c.kind = kind;
    c.rect = rect;
    c.text = std::move(text);
    c.visible = visible;
    return c;
}

DialogControl* Dialog::find(int32_t id) {
    for (DialogControl& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

const DialogControl* Dialog::find(int32_t id) const {
    for (const DialogControl& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

std::string Dialog::textOf(int32_t id) const {
    const DialogControl* c = find(id);
    return c ? c->text : std::string();
}

bool Dialog::checked(int32_t id) const {
    const DialogControl* c = find(id);
    return c && c->checked;
}

namespace {

bool usable(const DialogControl* c) { return c && c->visible && c->enabled; }

}  // namespace

std::optional<int32_t> clickControl(Dialog& dialog, DialogProcedure& procedure, int32_t id) {
    DialogControl* c = dialog.find(id);
    if (!usable(c)) return std::nullopt;
    if (c->kind == ControlKind::RadioButton) {
        for (DialogControl& other : dialog.controls) {
            if (other.kind == ControlKind::RadioButton && other.group == c->group)
                other.checked = false;
        }
        c->checked = true;
    } else if (c->kind == ControlKind::CheckBox) {
        c->checked = !c->checked;
    } else if (c->kind != ControlKind::DefaultButton && c->kind != ControlKind::PushButton) {
        return std::nullopt;
    }
    return procedure.onCommand(dialog, id, DialogNotice::Clicked);
}

std::optional<int32_t> selectItem(Dialog& dialog, DialogProcedure& procedure, int32_t listId,
                                  int32_t item) {
    DialogControl* c = dialog.find(listId);
    if (!usable(c) || c->kind != ControlKind::ListBox || c->items.empty()) return std::nullopt;
    item = std::clamp<int32_t>(item, 0, static_cast<int32_t>(c->items.size()) - 1);
    if (item == c->selected) return std::nullopt;
    c->selected = item;
    return procedure.onCommand(dialog, listId, DialogNotice::SelectionChanged);
}

std::optional<int32_t> doubleClickItem(Dialog& dialog, DialogProcedure& procedure, int32_t listId,
                                       int32_t item) {
    if (auto result = selectItem(dialog, procedure, listId, item)) return result;
    const DialogControl* c = dialog.find(listId);
    if (!usable(c) || c->kind != ControlKind::ListBox || c->selected != item) return std::nullopt;
    return procedure.onCommand(dialog, listId, DialogNotice::DoubleClicked);
}

std::optional<int32_t> pressReturn(Dialog& dialog, DialogProcedure& procedure) {
    for (const DialogControl& c : dialog.controls) {
        if (c.kind == ControlKind::DefaultButton && c.visible && c.enabled)
            return clickControl(dialog, procedure, c.id);
    }
    return std::nullopt;
}

std::string Dialog::shown(const std::string& text) const { return utf8 ? text : cp932ToUtf8(text); }

std::optional<int32_t> pressEscape(Dialog& dialog, DialogProcedure& procedure) {
    return procedure.onCommand(dialog, kDialogCancel, DialogNotice::Clicked);
}

std::string dialogConsoleLine(const Dialog& dialog, int32_t result) {
    const DialogControl* button = dialog.find(result);
    std::string label = button ? button->text : std::to_string(result);
    return '[' + dialog.shown(dialog.caption) + "] " + dialog.shown(label);
}

int32_t interfaceScale(const PixelRect& usableDesktop) {
    return std::clamp(usableDesktop.height / 1000, 1, 8);
}

SizeInPixels dialogPixelSize(const Dialog& dialog, int32_t scale) {
    int32_t unit = kDialogUnitPixels * std::max(scale, 1);
    return {dialog.width * unit, (dialog.height + kDialogCaptionUnits) * unit};
}

int32_t answerUnattended(Dialog& dialog, DialogProcedure& procedure, std::optional<int32_t> id) {
    int32_t answer = id.value_or(dialog.unattendedAnswer);
    std::optional<int32_t> result;
    if (answer == kDialogCancel && !dialog.find(kDialogCancel)) {
        result = pressEscape(dialog, procedure);
    } else {
        result = clickControl(dialog, procedure, answer);
    }
    return result.value_or(answer);
}

int32_t HeadlessDialogs::run(Dialog& dialog, DialogProcedure& procedure) {
    int32_t result = answerUnattended(dialog, procedure, answer_);
    shown_.push_back({dialog.caption, result});
    if (out_) *out_ << dialogConsoleLine(dialog, result) << std::endl;
    return result;
}

}  // namespace rs::platform
