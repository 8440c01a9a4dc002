// The blit family: copies and combinations of frame rectangles, scaled copies, effects and the
// geometric blits. Every blit is a free function over frames; the frame commands call them with a
// change sink over the frame table, the scene composer without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace rs::graphics {

struct Frame;
struct FrameTable;

// The vector instructions fast paths may use. Fast paths give the same bytes as the plain code.
enum class SimdLevel : int32_t { None = 0, Sse2 = 1, Avx2 = 2 };

// What the processor offers (SSE2 on every x86-64, AVX2 when present); detected once.
SimdLevel detectSimd();

// The size in bytes of the processor's last-level cache as it reports it, 0 when it does not;
// detected once.
size_t lastLevelCacheBytes();
// The size from which a copy between two frames stores past the cache: source and destination
// together would take more than half the last-level cache, so the copied pixels could not stay
// there anyway. Below it ordinary stores leave the destination cached for whatever reads it next.
size_t streamingCopyBytes(size_t cacheBytes);

// Receives the points a blit reports as changed (two corners of a rectangle, or the vertices of a
// shape).
class ChangeSink {
  public:
    virtual ~ChangeSink() = default;
    virtual void changed(Frame& frame, int32_t x, int32_t y) = 0;
};

// Forwards change reports to frameChanged over a frame table.
class TableChangeSink final : public ChangeSink {
  public:
    explicit TableChangeSink(FrameTable& table) : table_(table) {}
    void changed(Frame& frame, int32_t x, int32_t y) override;

  private:
    FrameTable& table_;
};

struct BlitContext {
    // The MMX switch: where a member has a packed formula that differs from the plain one (the
    // three-frame blend, acmcopy), it picks the packed formula.
    bool mmx = false;
    // The vector level fast paths may use; None runs the plain code only.
    SimdLevel simd = SimdLevel::None;
    // Null: no change report (the composer drawing into the screen buffer).
    ChangeSink* changes = nullptr;
    // Copies of at least this many bytes store past the cache; 0 takes
    // streamingCopyBytes(lastLevelCacheBytes()).
    size_t streamBytes = 0;

    void report(Frame& f, int64_t x, int64_t y) const;
    // Two reports: the corners (x, y) and (x + w, y + h).
    void reportRect(Frame& f, int64_t x, int64_t y, int64_t w, int64_t h) const {
        report(f, x, y);
        report(f, x + w, y + h);
    }
};

// ---- Copies and combinations (positions are top-left corners, sizes in pixels) ----

void copy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
          int32_t dy, int32_t w, int32_t h);
void ccopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
           int32_t dy, int32_t w, int32_t h);
// blendcopy: the blend with the destination as first source.
void blendcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst,
               int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t alpha);
// acopy: dst = mix of src1 (weight 256 - alpha) and src2 (weight alpha).
void acopy(const BlitContext& c, const Frame& src1, int32_t x1, int32_t y1, const Frame& src2,
           int32_t x2, int32_t y2, Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h,
           int32_t alpha);
void gcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
           int32_t dy, int32_t w, int32_t h, uint32_t colour);
void ncopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
           int32_t dy, int32_t w, int32_t h);
void hqcopy(const BlitContext& c, const Frame& src, float sx, float sy, Frame& dst, int32_t dx,
            int32_t dy, int32_t w, int32_t h, float gamma);
void shufull(const BlitContext& c, Frame& dst, int32_t x, int32_t y, int32_t w, int32_t h,
             uint32_t colour, int32_t lo, int32_t hi);
void shucopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
             int32_t dy, int32_t w, int32_t h, int32_t lo, int32_t hi);
void zcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
           Frame& dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh);
void hzcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
            Frame& dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh);
void mozcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
             int32_t dy, int32_t w, int32_t h, int32_t size, int32_t mode);

struct MaskCurve {
    int32_t bias = 0;
    int32_t offset = 0;
    int32_t gain = 1;
};
// acmcopy: dst = mix of src1 and src2 by the mask; a null mask draws nothing.
void acmcopy(const BlitContext& c, const Frame& src1, int32_t x1, int32_t y1, const Frame& src2,
             int32_t x2, int32_t y2, const Frame* mask, int32_t mx, int32_t my, Frame& dst,
             int32_t dx, int32_t dy, int32_t w, int32_t h, MaskCurve curve);

// A rectangle of a frame for the scaled forms.
struct FrameRect {
    const Frame* frame = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};
// The scaled acmcopy: both sources and the mask sampled nearest-neighbour onto (dx, dy, dw, dh).
void acmcopyScaled(const BlitContext& c, FrameRect src1, FrameRect src2, FrameRect mask, Frame& dst,
                   int32_t dx, int32_t dy, int32_t dw, int32_t dh, MaskCurve curve);
// The scaled blend: src sampled as zcopy does and blended onto dst with alpha as blendcopy does.
void blendScaled(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, int32_t sw,
                 int32_t sh, Frame& dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                 int32_t alpha);

// A rectangle within a placement: offsets from its upper-left corner and a size.
struct PartRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};
// What the composer's masked drawing of a sprite (acmcopy of the sprite over the screen, its
// scaled form when the placement of w x h differs from the source rectangle's size; the mask read
// at the source rectangle) does to the screen, as a picture to be alpha-blended over it: the
// source's colour with the mask weight as alpha. Unscaled, pixels outside the source frame or the
// mask get alpha 0; scaled, both are sampled as acmcopyScaled samples them. Only the part `part`
// of the placement is made, rows top down into `out` (part.w * part.h pixels).
void maskedOverlay(FrameRect src, const Frame& mask, int32_t w, int32_t h, PartRect part,
                   MaskCurve curve, uint32_t* out);

void modcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, const Frame& map,
             int32_t mx, int32_t my, Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h,
             int32_t strength);
void uvcopy(const BlitContext& c, const Frame& src, const Frame& map, int32_t mx, int32_t my,
            Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h);
void pscopydiv(const BlitContext& c, const Frame& base, int32_t x1, int32_t y1, const Frame& layer,
               int32_t x2, int32_t y2, Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h,
               int32_t opacity);
// cnvcopy: `table` holds the 256 converted values; `frames` resolves frame numbers in it.
void cnvcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
             int32_t dy, int32_t w, int32_t h, std::span<const int32_t, 256> table,
             const FrameTable& frames);

// ---- Geometric blits ----

void copyrot(const BlitContext& c, const Frame& src, float sx, float sy, float sw, float sh,
             Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h, float angle);

// A triangle vertex: destination position (x, y) and source position (u, v).
struct TexVertex {
    float x = 0;
    float y = 0;
    float u = 0;
    float v = 0;
};
// copytrans: maps the source triangle onto the destination triangle; reports the three vertices.
void copytrans(const BlitContext& c, const Frame& src, const TexVertex (&v)[3], Frame& dst);
// The triangle fillers the composer uses: no change report.
void fillTriangle(const Frame& src, const TexVertex (&v)[3], Frame& dst);
// Additive: adds the source, weighted by `opacity` (0..255), to the destination.
void fillTriangleAdditive(const Frame& src, const TexVertex (&v)[3], Frame& dst, int32_t opacity);

// copytrape: source rectangle (sx1, sy1)-(sx2, sy2) onto the quadrilateral P0 (top-left),
// P1 (top-right), P2 (bottom-left), P3 (bottom-right).
struct QuadPoints {
    float x[4] = {};
    float y[4] = {};
};
void copytrape(const BlitContext& c, const Frame& src, int32_t sx1, int32_t sy1, int32_t sx2,
               int32_t sy2, Frame& dst, const QuadPoints& q);

}  // namespace rs::graphics
