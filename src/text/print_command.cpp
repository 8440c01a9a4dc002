#include "text/print_command.h"

#include "builtins/dispatcher.h"
#include "graphics/frame.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::text {

namespace {

using runtime::ScriptThread;

// The text argument comes first off the stack (it is the last one written) and may be any value.
bool fetchText(Engine& e, ScriptThread& t, PrintRequest& r) {
    runtime::Value* v = runtime::ngetvar(e, t);
    if (!v) return false;
    r.text = runtime::printValue(v, 0);
    e.pool.free(v);
    return true;
}

// Frame -2 sets the window title; frame -1 shows the text. True when the request was one of them.
bool specialFrame(Engine& e, ScriptThread& t, const PrintRequest& r) {
    if (r.frame == -2) {
        e.host.window().setTitle(std::string_view(r.text).substr(0, 1023));
        return true;
    }
    if (r.frame == -1) {
        if (r.isPrint2) {
            runtime::scriptWarning(e, t, r.text, "情報");
        } else {
            runtime::showInfoAndLog(e, r.text, "情報");
        }
        return true;
    }
    return false;
}

void cmdPrint(Engine& e, ScriptThread& t) {
    PrintRequest r;
    if (!fetchText(e, t, r)) return;
    r.mode = runtime::ngetint(e, t);
    r.textColour = runtime::ngetint(e, t);
    r.fontHeight = runtime::ngetint(e, t);
    r.charWidth = runtime::ngetint(e, t);
    r.y = runtime::ngetint(e, t);
    r.x = runtime::ngetint(e, t);
    r.frame = runtime::ngetint(e, t);
    if (t.failed || specialFrame(e, t, r)) return;
    graphics::Frame* f = graphics::checkFrame(e, t, r.frame, "print");
    if (!f) return;
    // Drawing into frames comes with the glyph renderer.
}

void cmdPrint2(Engine& e, ScriptThread& t) {
    PrintRequest r;
    r.isPrint2 = true;
    if (!fetchText(e, t, r)) return;
    r.style = runtime::ngetint(e, t);
    r.background = runtime::ngetint(e, t);
    r.edgeColour = runtime::ngetint(e, t);
    r.textColour = runtime::ngetint(e, t);
    r.fontHeight = runtime::ngetint(e, t);
    r.charWidth = runtime::ngetint(e, t);
    r.y = runtime::ngetint(e, t);
    r.x = runtime::ngetint(e, t);
    r.frame = runtime::ngetint(e, t);
    if (t.failed || specialFrame(e, t, r)) return;
    graphics::Frame* f = graphics::checkFrame(e, t, r.frame, "print2");
    if (!f) return;
}

constexpr builtins::CommandEntry kPrintCommands[] = {
    {0x207, "print", cmdPrint},
    {0x21D, "print2", cmdPrint2},
};

}  // namespace

void registerPrintCommands(builtins::CommandTable& table) { table.add(kPrintCommands); }

}  // namespace rs::text
