// Dialogs as plain data: a dialog is its caption, its size and its controls, each with an id, a
// kind, a place in dialog units, a text (code page 932) and its state. The engine builds a dialog
// and decides what each control does (its procedure); the host only draws it and reports what the
// player used. So a run without a window and the tests go through the same rules as a player.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/presenter.h"
#include "platform/view_transform.h"

namespace rs::platform {

enum class ControlKind : int32_t {
    DefaultButton,  // the push button Return chooses
    PushButton,
    RadioButton,  // an automatic radio button: checking it clears the others of its group
    CheckBox,     // an automatic check box: a click toggles it
    GroupBox,     // a frame with a label
    Text,         // static text; with a picture, the picture shows the text (a font preview)
    Picture,      // a picture, at its own size
    ListBox,      // a list of texts with one selected (or none)
    Edit,         // a one-line text field the player types into; its text is what was typed
};

// A place in dialog units: a dialog unit is kDialogUnitPixels pixels at interface scale 1.
struct DialogRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct DialogControl {
    int32_t id = -1;  // -1: a control nothing refers to
    ControlKind kind = ControlKind::Text;
    DialogRect rect;
    std::string text;  // code page 932
    bool visible = true;
    bool enabled = true;
    bool checked = false;            // radio buttons and check boxes
    int32_t group = 0;               // radio buttons of one group share a number
    std::vector<std::string> items;  // list boxes, code page 932
    int32_t selected = -1;           // list boxes: the selected item, -1 none
    Picture picture;                 // pictures, and the preview of a text
};

// A control as a dialog template lists it: shown, enabled and unchecked.
DialogControl makeControl(int32_t id, ControlKind kind, DialogRect rect, std::string text,
                          bool visible = true);

struct Dialog {
    std::string caption;  // code page 932
    int32_t width = 0;    // the client area in dialog units
    int32_t height = 0;
    std::vector<DialogControl> controls;
    // The button a dialog nobody can see answers with (a run without a window, the test hook).
    int32_t unattendedAnswer = 1;
    // The texts are UTF-8 instead of code page 932: a dialog of the engine's own that shows host
    // paths, which code page 932 cannot always hold.
    bool utf8 = false;

    DialogControl* find(int32_t id);
    const DialogControl* find(int32_t id) const;
    // The text of a control, empty when there is none of that id.
    std::string textOf(int32_t id) const;
    bool checked(int32_t id) const;
    // A text of this dialog as the host shows it (UTF-8).
    std::string shown(const std::string& text) const;
};

// Windows' button ids: OK (Return) and Cancel (Escape, the close box).
constexpr int32_t kDialogOk = 1;
constexpr int32_t kDialogCancel = 2;

// What the player did to a control.
enum class DialogNotice : int32_t {
    Clicked,           // a button, radio button or check box (already toggled)
    SelectionChanged,  // a list box's selection moved (already moved)
    DoubleClicked      // an item of a list box was double-clicked (and is the selected one)
};

// The engine's side of a dialog: called for everything the player does. Returns the dialog's
// result when this ends it.
class DialogProcedure {
  public:
    virtual ~DialogProcedure() = default;
    virtual std::optional<int32_t> onCommand(Dialog& dialog, int32_t id, DialogNotice notice) = 0;
};

// A click on a control as the control itself handles it: a radio button becomes the checked one
// of its group, a check box toggles, a button does nothing to itself. Then the procedure hears
// of it. Disabled and hidden controls ignore clicks (nothing happens, no result).
std::optional<int32_t> clickControl(Dialog& dialog, DialogProcedure& procedure, int32_t id);
// A list box's selection moved to `item` (kept inside the list), then the procedure hears of it.
std::optional<int32_t> selectItem(Dialog& dialog, DialogProcedure& procedure, int32_t listId,
                                  int32_t item);
// A double click on an item of a list box: it becomes the selected one, then the procedure hears
// of the double click.
std::optional<int32_t> doubleClickItem(Dialog& dialog, DialogProcedure& procedure, int32_t listId,
                                       int32_t item);
// Return: the default push button, when it is there and enabled.
std::optional<int32_t> pressReturn(Dialog& dialog, DialogProcedure& procedure);
// Escape and the close box: the command Cancel (id 2), whether or not a button has that id, as a
// Windows dialog sends it.
std::optional<int32_t> pressEscape(Dialog& dialog, DialogProcedure& procedure);

// The line a finished dialog leaves on standard error: "[caption] text of the button" (UTF-8).
std::string dialogConsoleLine(const Dialog& dialog, int32_t result);

// Pixels per dialog unit at interface scale 1 (a 16-pixel font, eight units high).
constexpr int32_t kDialogUnitPixels = 2;
// The caption bar above a dialog's client area, in dialog units.
constexpr int32_t kDialogCaptionUnits = 12;
// The interface scale on a desktop: 1, or more on large (HiDPI) desktops.
int32_t interfaceScale(const PixelRect& usableDesktop);
// The pixels a dialog takes with its caption bar, at an interface scale.
SizeInPixels dialogPixelSize(const Dialog& dialog, int32_t scale);

class DialogPresenter {
  public:
    virtual ~DialogPresenter() = default;
    // Shows the dialog modally until its procedure ends it; returns the result.
    virtual int32_t run(Dialog& dialog, DialogProcedure& procedure) = 0;
};

// Dialogs of a run without a window: each is answered at once with its unattended answer (as if
// that button were clicked, so the procedure's effects happen) and leaves its console line.
class HeadlessDialogs final : public DialogPresenter {
  public:
    explicit HeadlessDialogs(std::ostream* out) : out_(out) {}
    int32_t run(Dialog& dialog, DialogProcedure& procedure) override;

    struct Shown {
        std::string caption;  // code page 932
        int32_t result = 0;
    };
    const std::vector<Shown>& shown() const { return shown_; }
    // Tests: the button the next dialogs answer with (none: each dialog's unattended answer).
    void answerWith(std::optional<int32_t> id) { answer_ = id; }

  private:
    std::ostream* out_;
    std::vector<Shown> shown_;
    std::optional<int32_t> answer_;
};

// Answers a dialog without showing it: clicks `id` (when given, else the unattended answer) and,
// should that not end it, ends it with that id. Used by every host that cannot show one.
int32_t answerUnattended(Dialog& dialog, DialogProcedure& procedure, std::optional<int32_t> id);

}  // namespace rs::platform
