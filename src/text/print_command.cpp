#include "text/print_command.h"

#include "builtins/dispatcher.h"
#include "graphics/frame.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "text/font_state.h"
#include "text/glyph_renderer.h"
#include "text/text_drawing.h"

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

// print picks the renderer and colours from its mode.
TextDrawing printDrawing(const PrintRequest& r) {
    TextDrawing d;
    d.colours.text = static_cast<uint32_t>(r.textColour);
    switch (r.mode) {
        case 0x00FF00: d.renderer = Renderer::Monochrome; break;
        case 0xFF0000:
            d.renderer = Renderer::Smooth;
            d.colours.background = 0;
            break;
        case 0x0000FF:
            d.renderer = Renderer::Smooth;
            d.colours.background = -1;
            break;
        default:
            d.renderer = Renderer::Outlined;
            d.style = kOutlineStyle;
            d.colours.edge = static_cast<uint32_t>(r.mode);
            d.colours.background = 0;
            break;
    }
    return d;
}

// print2 passes its colours as given; the style -1 is monochrome, 0 smooth, others outlined.
TextDrawing print2Drawing(const PrintRequest& r) {
    TextDrawing d;
    d.colours = {static_cast<uint32_t>(r.textColour), static_cast<uint32_t>(r.edgeColour),
                 r.background};
    if (r.style == -1) {
        d.renderer = Renderer::Monochrome;
    } else if (r.style == 0) {
        d.renderer = Renderer::Smooth;
    } else {
        d.renderer = Renderer::Outlined;
        d.style = static_cast<uint32_t>(r.style);
    }
    return d;
}

void draw(Engine& e, graphics::Frame& f, const PrintRequest& r, TextDrawing d) {
    d.x = r.x;
    d.y = r.y;
    d.charWidth = r.charWidth;
    d.fontHeight = r.fontHeight;
    drawText(*e.text, *e.frames, f, d, r.text);
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
    draw(e, *f, r, printDrawing(r));
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
    // print2 waits for pending loads before it checks the frame.
    if (const graphics::Frame* pending = e.frames->at(r.frame))
        graphics::waitWhileBusy(e, *pending);
    graphics::Frame* f = graphics::checkFrame(e, t, r.frame, "print2");
    if (!f) return;
    draw(e, *f, r, print2Drawing(r));
}

constexpr builtins::CommandEntry kPrintCommands[] = {
    {0x207, "print", cmdPrint},
    {0x21D, "print2", cmdPrint2},
};

}  // namespace

void registerPrintCommands(builtins::CommandTable& table) { table.add(kPrintCommands); }

}  // namespace rs::text
