// Script commands of the blits: arguments are popped last first, frames checked in script order
// with their places, then the blit runs and reports its change to the frame table.
#include "graphics/blit_commands.h"

#include <array>

#include "builtins/dispatcher.h"
#include "graphics/blit.h"
#include "graphics/frame.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "runtime/variables.h"
#include "shell/engine.h"

namespace rs::graphics {

namespace {

using runtime::ScriptThread;

// The settings of one blit command: the MMX switch and the vector level come from the
// application state, the change reports go to the frame table.
struct CommandBlit {
    explicit CommandBlit(Engine& e) : sink(*e.frames) {
        ctx.mmx = e.app.hasMmx != 0;
        ctx.simd = e.app.simdAllowed ? detectSimd() : SimdLevel::None;
        ctx.changes = &sink;
    }
    TableChangeSink sink;
    BlitContext ctx;
};

// Pops n integers; out[0] is the first argument the script wrote.
template <size_t N>
bool popInts(Engine& e, ScriptThread& t, std::array<int32_t, N>& out) {
    for (size_t i = N; i-- > 0;) out[i] = runtime::ngetint(e, t);
    return !t.failed;
}

template <size_t N>
bool popReals(Engine& e, ScriptThread& t, std::array<float, N>& out) {
    for (size_t i = N; i-- > 0;) out[i] = runtime::ngetreal(e, t);
    return !t.failed;
}

Frame* check(Engine& e, ScriptThread& t, int32_t number, const char* place) {
    return checkFrame(e, t, number, place);
}

// The two-frame commands with (src, sx, sy, dst, dx, dy, w, h, extra...) arguments.
template <size_t N, class Fn>
void twoFrame(Engine& e, ScriptThread& t, const char* srcPlace, const char* dstPlace, Fn fn) {
    std::array<int32_t, N> a{};
    if (!popInts(e, t, a)) return;
    Frame* src = check(e, t, a[0], srcPlace);
    if (!src) return;
    Frame* dst = check(e, t, a[3], dstPlace);
    if (!dst) return;
    CommandBlit b(e);
    fn(b.ctx, *src, *dst, a);
}

void cmdCopy(Engine& e, ScriptThread& t) {
    twoFrame<8>(e, t, "copy(sour)", "copy(dist)", [](auto& c, Frame& s, Frame& d, auto& a) {
        copy(c, s, a[1], a[2], d, a[4], a[5], a[6], a[7]);
    });
}

void cmdCcopy(Engine& e, ScriptThread& t) {
    twoFrame<8>(e, t, "ccopy(sour)", "ccopy(dist)", [](auto& c, Frame& s, Frame& d, auto& a) {
        ccopy(c, s, a[1], a[2], d, a[4], a[5], a[6], a[7]);
    });
}

void cmdBlendcopy(Engine& e, ScriptThread& t) {
    twoFrame<9>(e, t, "blendcopy(sour)", "blendcopy(dist)",
                [](auto& c, Frame& s, Frame& d, auto& a) {
                    blendcopy(c, s, a[1], a[2], d, a[4], a[5], a[6], a[7], a[8]);
                });
}

void cmdGcopy(Engine& e, ScriptThread& t) {
    twoFrame<9>(e, t, "gcopy(sour)", "gcopy(dist)", [](auto& c, Frame& s, Frame& d, auto& a) {
        gcopy(c, s, a[1], a[2], d, a[4], a[5], a[6], a[7], static_cast<uint32_t>(a[8]));
    });
}

void cmdNcopy(Engine& e, ScriptThread& t) {
    twoFrame<8>(e, t, "ncopy(sour)", "ncopy(dist)", [](auto& c, Frame& s, Frame& d, auto& a) {
        ncopy(c, s, a[1], a[2], d, a[4], a[5], a[6], a[7]);
    });
}

void cmdShucopy(Engine& e, ScriptThread& t) {
    twoFrame<10>(e, t, "shucopy(sour)", "shucopy(dest)", [](auto& c, Frame& s, Frame& d, auto& a) {
        shucopy(c, s, a[1], a[2], d, a[4], a[5], a[6], a[7], a[8], a[9]);
    });
}

void cmdMozcopy(Engine& e, ScriptThread& t) {
    twoFrame<10>(e, t, "mozcopy(sour)", "mozcopy(dest)", [](auto& c, Frame& s, Frame& d, auto& a) {
        mozcopy(c, s, a[1], a[2], d, a[4], a[5], a[6], a[7], a[8], a[9]);
    });
}

// zcopy and hzcopy: src, sx, sy, sw, sh, dst, dx, dy, dw, dh.
template <class Fn>
void scaled(Engine& e, ScriptThread& t, const char* srcPlace, const char* dstPlace, Fn fn) {
    std::array<int32_t, 10> a{};
    if (!popInts(e, t, a)) return;
    Frame* src = check(e, t, a[0], srcPlace);
    if (!src) return;
    Frame* dst = check(e, t, a[5], dstPlace);
    if (!dst) return;
    CommandBlit b(e);
    fn(b.ctx, *src, a[1], a[2], a[3], a[4], *dst, a[6], a[7], a[8], a[9]);
}

void cmdZcopy(Engine& e, ScriptThread& t) { scaled(e, t, "zcopy(sour)", "zcopy(dest)", zcopy); }
void cmdHzcopy(Engine& e, ScriptThread& t) { scaled(e, t, "hzcopy(sour)", "hzcopy(dest)", hzcopy); }

void cmdHqcopy(Engine& e, ScriptThread& t) {
    float gamma = runtime::ngetreal(e, t);
    std::array<int32_t, 5> d{};  // dst, dx, dy, w, h
    if (!popInts(e, t, d)) return;
    std::array<float, 2> s{};
    if (!popReals(e, t, s)) return;
    int32_t srcNumber = runtime::ngetint(e, t);
    if (t.failed) return;
    Frame* src = check(e, t, srcNumber, "hqcopy(sour)");
    if (!src) return;
    Frame* dst = check(e, t, d[0], "hqcopy(dist)");
    if (!dst) return;
    CommandBlit b(e);
    hqcopy(b.ctx, *src, s[0], s[1], *dst, d[1], d[2], d[3], d[4], gamma);
}

void cmdShufull(Engine& e, ScriptThread& t) {
    std::array<int32_t, 8> a{};
    if (!popInts(e, t, a)) return;
    Frame* f = check(e, t, a[0], "shufull");
    if (!f) return;
    CommandBlit b(e);
    shufull(b.ctx, *f, a[1], a[2], a[3], a[4], static_cast<uint32_t>(a[5]), a[6], a[7]);
}

// Three-frame commands: (f1, x1, y1, f2, x2, y2, dst, dx, dy, w, h, extra...).
template <size_t N, class Fn>
void threeFrame(Engine& e, ScriptThread& t, const char* p1, const char* p2, const char* p3, Fn fn) {
    std::array<int32_t, N> a{};
    if (!popInts(e, t, a)) return;
    Frame* f1 = check(e, t, a[0], p1);
    if (!f1) return;
    Frame* f2 = check(e, t, a[3], p2);
    if (!f2) return;
    Frame* f3 = check(e, t, a[6], p3);
    if (!f3) return;
    CommandBlit b(e);
    fn(b.ctx, *f1, *f2, *f3, a);
}

void cmdAcopy(Engine& e, ScriptThread& t) {
    threeFrame<12>(e, t, "acopy(sour2)", "acopy(dest)", "acopy(sour1)",
                   [](auto& c, Frame& s1, Frame& s2, Frame& d, auto& a) {
                       acopy(c, s1, a[1], a[2], s2, a[4], a[5], d, a[7], a[8], a[9], a[10], a[11]);
                   });
}

void cmdModcopy(Engine& e, ScriptThread& t) {
    threeFrame<12>(e, t, "modcopy(sour1)", "modcopy(sour2)", "modcopy(dest)",
                   [](auto& c, Frame& s, Frame& m, Frame& d, auto& a) {
                       modcopy(c, s, a[1], a[2], m, a[4], a[5], d, a[7], a[8], a[9], a[10], a[11]);
                   });
}

// The source position is taken and not used: the map holds absolute source coordinates.
void cmdUvcopy(Engine& e, ScriptThread& t) {
    threeFrame<11>(e, t, "uvcopy(sour1)", "uvcopy(sour2)", "uvcopy(dest)",
                   [](auto& c, Frame& s, Frame& m, Frame& d, auto& a) {
                       uvcopy(c, s, m, a[4], a[5], d, a[7], a[8], a[9], a[10]);
                   });
}

void cmdPscopydiv(Engine& e, ScriptThread& t) {
    threeFrame<12>(e, t, "pscopydiv(sour1)", "pscopydiv(sour2)", "pscopydiv(dest)",
                   [](auto& c, Frame& base, Frame& layer, Frame& d, auto& a) {
                       pscopydiv(c, base, a[1], a[2], layer, a[4], a[5], d, a[7], a[8], a[9], a[10],
                                 a[11]);
                   });
}

// The mask number is not checked like the others: a number that names no frame draws nothing.
void cmdAcmcopy(Engine& e, ScriptThread& t) {
    std::array<int32_t, 17> a{};
    if (!popInts(e, t, a)) return;
    Frame* s1 = check(e, t, a[0], "acmcopy(sour1)");
    if (!s1) return;
    Frame* s2 = check(e, t, a[3], "acmcopy(sour2)");
    if (!s2) return;
    Frame* d = check(e, t, a[9], "acmcopy(dest)");
    if (!d) return;
    Frame* mask = e.frames->at(a[6]);
    if (mask) waitWhileBusy(e, *mask);
    CommandBlit b(e);
    acmcopy(b.ctx, *s1, a[1], a[2], *s2, a[4], a[5], mask, a[7], a[8], *d, a[10], a[11], a[12],
            a[13], MaskCurve{a[14], a[15], a[16]});
}

// A table element as an integer: reals truncated, strings by their leading number, others 0.
int32_t elementValue(const runtime::Value* v) {
    if (v && v->type == runtime::kReference && v->u.ref) v = *v->u.ref;
    if (!v) return 0;
    switch (v->type) {
        case runtime::kInteger: return v->u.i;
        case runtime::kReal: return runtime::truncateToInteger(v->u.r);
        case runtime::kString:
        case runtime::kConstString: return runtime::stringToInteger(runtime::stringText(*v));
        default: return 0;
    }
}

void cmdCnvcopy(Engine& e, ScriptThread& t) {
    runtime::Variable* table = runtime::ngetbody(e, t);
    if (t.failed) return;
    std::array<int32_t, 8> a{};
    if (!popInts(e, t, a)) return;
    Frame* src = check(e, t, a[0], "cnvcopy(sour)");
    if (!src) return;
    Frame* dst = check(e, t, a[3], "cnvcopy(dest)");
    if (!dst) return;
    if (!table || table->elements.size() != 256) {
        runtime::scriptError(e, t, "変換テーブルの要素数が256ではありません", "cnvcopy");
        return;
    }
    std::array<int32_t, 256> values{};
    for (size_t i = 0; i < 256; ++i) values[i] = elementValue(table->elements[i]);
    CommandBlit b(e);
    cnvcopy(b.ctx, *src, a[1], a[2], *dst, a[4], a[5], a[6], a[7], values, *e.frames);
}

void cmdCopyrot(Engine& e, ScriptThread& t) {
    float angle = runtime::ngetreal(e, t);
    std::array<int32_t, 5> d{};  // dst, dx, dy, w, h
    if (!popInts(e, t, d)) return;
    std::array<float, 4> s{};  // sx, sy, sw, sh
    if (!popReals(e, t, s)) return;
    int32_t srcNumber = runtime::ngetint(e, t);
    if (t.failed) return;
    Frame* src = check(e, t, srcNumber, "copyrot(sour)");
    if (!src) return;
    Frame* dst = check(e, t, d[0], "copyrot(dest)");
    if (!dst) return;
    CommandBlit b(e);
    copyrot(b.ctx, *src, s[0], s[1], s[2], s[3], *dst, d[1], d[2], d[3], d[4], angle);
}

void cmdCopytrans(Engine& e, ScriptThread& t) {
    std::array<float, 6> dp{};
    if (!popReals(e, t, dp)) return;
    int32_t dstNumber = runtime::ngetint(e, t);
    std::array<float, 6> sp{};
    if (!popReals(e, t, sp)) return;
    int32_t srcNumber = runtime::ngetint(e, t);
    if (t.failed) return;
    Frame* src = check(e, t, srcNumber, "copytrans(sour)");
    if (!src) return;
    Frame* dst = check(e, t, dstNumber, "copytrans(dest)");
    if (!dst) return;
    TexVertex v[3];
    for (int i = 0; i < 3; ++i)
        v[i] = TexVertex{dp[2 * i], dp[2 * i + 1], sp[2 * i], sp[2 * i + 1]};
    CommandBlit b(e);
    copytrans(b.ctx, *src, v, *dst);
}

void cmdCopytrape(Engine& e, ScriptThread& t) {
    std::array<float, 8> dp{};
    if (!popReals(e, t, dp)) return;
    std::array<int32_t, 6> a{};  // src, sx1, sy1, sx2, sy2, dst
    if (!popInts(e, t, a)) return;
    Frame* src = check(e, t, a[0], "copytrape(sour)");
    if (!src) return;
    Frame* dst = check(e, t, a[5], "copytrape(dest)");
    if (!dst) return;
    QuadPoints q;
    for (int i = 0; i < 4; ++i) {
        q.x[i] = dp[static_cast<size_t>(2 * i)];
        q.y[i] = dp[static_cast<size_t>(2 * i + 1)];
    }
    CommandBlit b(e);
    copytrape(b.ctx, *src, a[1], a[2], a[3], a[4], *dst, q);
}

constexpr builtins::CommandEntry kBlitCommands[] = {
    {0x205, "copy", cmdCopy},           {0x206, "ccopy", cmdCcopy},
    {0x20D, "shufull", cmdShufull},     {0x20E, "shucopy", cmdShucopy},
    {0x20F, "acopy", cmdAcopy},         {0x212, "blendcopy", cmdBlendcopy},
    {0x215, "zcopy", cmdZcopy},         {0x216, "mozcopy", cmdMozcopy},
    {0x217, "gcopy", cmdGcopy},         {0x218, "acmcopy", cmdAcmcopy},
    {0x219, "modcopy", cmdModcopy},     {0x21A, "ncopy", cmdNcopy},
    {0x21B, "hqcopy", cmdHqcopy},       {0x21C, "pscopydiv", cmdPscopydiv},
    {0x21E, "copyrot", cmdCopyrot},     {0x21F, "copytrans", cmdCopytrans},
    {0x220, "copytrape", cmdCopytrape}, {0x221, "cnvcopy", cmdCnvcopy},
    {0x222, "hzcopy", cmdHzcopy},       {0x227, "uvcopy", cmdUvcopy},
};

}  // namespace

void registerBlitCommands(builtins::CommandTable& table) { table.add(kBlitCommands); }

}  // namespace rs::graphics
