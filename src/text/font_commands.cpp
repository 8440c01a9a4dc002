// The font commands of the math and string group: the font dialog, autofontsel, the current face
// name and the text settings.
#include "builtins/dispatcher.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "text/font_dialog.h"
#include "text/font_state.h"

namespace rs::text {

namespace {

using runtime::ScriptThread;

// The font dialog over the game, which waits meanwhile.
void cmdFontDialog(Engine& e, ScriptThread&) { fontSelectDialog(e); }

void cmdAutoFontSel(Engine& e, ScriptThread& t) {
    runtime::Value* v = runtime::ngetvar(e, t);
    if (!v) return;
    if (v->type != runtime::kString) {
        e.pool.free(v);
        runtime::scriptError(e, t, "引数が文字列になっていません", "autofontsel");
        return;
    }
    std::string name(runtime::stringText(*v));
    e.pool.free(v);
    runtime::pushInteger(e, t, findFont(*e.text, name));
}

void cmdFontName(Engine& e, ScriptThread& t) { runtime::pushString(e, t, e.text->fontName); }

void cmdTextSetting(Engine& e, ScriptThread& t) {
    int32_t value = runtime::ngetint(e, t);
    int32_t key = runtime::ngetint(e, t);
    if (t.failed) return;
    if (key >= 0 && key < kTextSettingCount) e.text->settings[static_cast<size_t>(key)] = value;
    runtime::pushInteger(e, t, value);
}

constexpr builtins::CommandEntry kFontCommands[] = {
    {163, "fontdialog", cmdFontDialog},
    {167, "autofontsel", cmdAutoFontSel},
    {169, "fontname", cmdFontName},
    {170, "textset", cmdTextSetting},
};

}  // namespace

void registerFontCommands(builtins::CommandTable& table) { table.add(kFontCommands); }

}  // namespace rs::text
