// Host fonts for text drawing: the list of installed Japanese faces and one-bit glyph bitmaps of
// Shift-JIS characters, sized the way a Windows logical font is sized.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/font_catalog.h"

namespace rs::platform {

// A font as text drawing asks for it. `height` is the cell height in pixels (ascent plus
// descent); `width` the average character width (0: in proportion to the height), so a
// full-width character is 2 * width wide. `vertical` selects the vertical face: double-byte
// characters take their vertical forms.
struct FontRequest {
    std::string face;  // code page 932 face name
    int32_t height = 0;
    int32_t width = 0;
    bool vertical = false;

    bool operator==(const FontRequest&) const = default;
};

// The font's text metrics in pixels.
struct TextMetrics {
    int32_t ascent = 0;
    int32_t maxCharWidth = 0;
};

// A one-bit glyph: rows top-down, `pitch` bytes each (a multiple of 4), the leftmost pixel in the
// high bit of a byte; bits right of the black box are clear. originX/originY place the top-left
// corner of the black box relative to the pen on the baseline (y grows upward); cellIncX/cellIncY
// are the advance.
struct GlyphBitmap {
    int32_t blackBoxX = 0;
    int32_t blackBoxY = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t cellIncX = 0;
    int32_t cellIncY = 0;
    int32_t pitch = 0;
    std::vector<uint8_t> bits;

    bool bit(int32_t x, int32_t y) const {
        return (bits[static_cast<size_t>(y * pitch + (x >> 3))] >> (7 - (x & 7))) & 1;
    }
    void set(int32_t x, int32_t y) {
        bits[static_cast<size_t>(y * pitch + (x >> 3))] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    // An empty bitmap of the given black box.
    static GlyphBitmap blank(int32_t w, int32_t h) {
        GlyphBitmap g;
        g.blackBoxX = w;
        g.blackBoxY = h;
        g.pitch = ((w + 31) / 32) * 4;
        g.bits.assign(static_cast<size_t>(g.pitch) * static_cast<size_t>(h), 0);
        return g;
    }
};

class FontSource {
  public:
    virtual ~FontSource() = default;

    // The installed faces with Japanese coverage (code page 932 names, none beginning with "@"),
    // at most `limit` of them, in a fixed order.
    virtual std::vector<std::string> faceNames(size_t limit) = 0;

    // The text metrics of a font; false when no face can be had.
    virtual bool metrics(const FontRequest& font, TextMetrics& out) = 0;

    // The glyph of a code page 932 character (one byte, or lead byte << 8 | trail byte).
    // `quarterTurn` is set for double-byte characters in vertical writing. False when the
    // character has no glyph in the face nor in a fallback face. The result stays valid until
    // the next call.
    virtual const GlyphBitmap* glyph(const FontRequest& font, uint16_t code, bool quarterTurn) = 0;

    // Turns caching of faces' glyphs and metrics on or off (on by default). The output is the
    // same either way.
    virtual void setCaching(bool on) = 0;
};

// The host's fonts through fontconfig (the list) and FreeType (the glyphs).
std::unique_ptr<FontSource> createSystemFontSource();

// The installed Japanese faces as fontconfig lists them.
FontCatalog installedFontCatalog();

// A font file and the face's index in it.
struct FontFile {
    std::string path;
    int32_t index = 0;
};
// The file of the face dialogs are drawn with: the host's equivalent of "ＭＳ Ｐゴシック", found as
// text faces are. None when no Japanese face is installed.
std::optional<FontFile> dialogFontFile();

}  // namespace rs::platform
