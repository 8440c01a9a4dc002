// The host font source: fontconfig lists the installed faces, FreeType opens the font files and
// draws one-bit glyphs. Font files are loaded directly with fixed load flags (no hinting, no
// embedded bitmaps), so neither fontconfig's rendering settings nor the environment change the
// output: it depends on the font file, the character and the size only.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/encoding.h"
#include "platform/font_catalog.h"
#include "platform/font_source.h"
#include "platform/vertical_forms.h"

namespace rs::platform {

namespace {

// Larger fonts are refused (1024-pixel text at eight times the size): a glyph bitmap of this
// height takes 8 MB and the stroke effects' sub-pixel grid 64 MB.
constexpr int32_t kMaxFontPixels = 8192;
// The glyph cache is emptied when it grows past this.
constexpr size_t kGlyphCacheBytes = size_t{48} << 20;

// Every installed scalable face whose languages include Japanese, under each of its family names.
std::vector<CatalogFace> listInstalledFaces() {
    std::vector<CatalogFace> out;
    // A configuration of our own, destroyed afterwards: fontconfig keeps no state of ours.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return out;
    FcPattern* pattern = FcPatternCreate();
    FcLangSet* langs = FcLangSetCreate();
    FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddLangSet(pattern, FC_LANG, langs);
    FcLangSetDestroy(langs);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* objects =
        FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, static_cast<char*>(nullptr));
    FcFontSet* set = FcFontList(config, pattern, objects);
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcPattern* font = set->fonts[i];
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
            FcPatternGetInteger(font, FC_INDEX, 0, &index);
            FcChar8* family = nullptr;
            for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &family) == FcResultMatch; ++n) {
                auto name = utf8ToCp932(reinterpret_cast<const char*>(family));
                if (!name || name->empty() || name->size() > 255) continue;
                out.push_back({*name, reinterpret_cast<const char*>(file), index});
            }
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return out;
}

// An open face and the numbers sizing needs, in font units.
struct Face {
    FT_Face ft = nullptr;
    int64_t unitsPerEm = 0;
    int64_t ascender = 0;
    int64_t lineHeight = 0;  // ascender + descender
    int64_t maxAdvance = 0;
    VerticalForms verticalForms;

    ~Face() {
        if (ft) FT_Done_Face(ft);
    }

    // The em size (26.6 pixels) of a font whose cells are `height` pixels high.
    int64_t emForCellHeight(int32_t height) const {
        return std::max<int64_t>(1, int64_t{height} * 64 * unitsPerEm / lineHeight);
    }
    // The em width (26.6 pixels): an average character is half an em, as in the faces games are
    // made for, so a full-width character is 2 * width wide.
    int64_t emForWidth(int32_t width, int64_t emHeight) const {
        return width > 0 ? int64_t{width} * 128 : emHeight;
    }
    // Font units at an em size (26.6) to whole pixels, rounded.
    int32_t pixels(int64_t units, int64_t em) const {
        return static_cast<int32_t>((units * em + unitsPerEm * 32) / (unitsPerEm * 64));
    }
};

struct GlyphKey {
    FontRequest font;
    uint16_t code;
    bool quarterTurn;
    bool operator==(const GlyphKey&) const = default;
};

struct RequestHash {
    size_t operator()(const FontRequest& f) const {
        size_t h = std::hash<std::string>()(f.face);
        h = h * 1000003u ^ static_cast<uint32_t>(f.height);
        h = h * 1000003u ^ static_cast<uint32_t>(f.width);
        return h * 2 + (f.vertical ? 1 : 0);
    }
    size_t operator()(const GlyphKey& k) const {
        return (*this)(k.font) * 131071u ^ (size_t{k.code} << 1) ^ (k.quarterTurn ? 1 : 0);
    }
};

class FreeTypeFontSource final : public FontSource {
  public:
    FreeTypeFontSource() = default;
    ~FreeTypeFontSource() override {
        faces_.clear();
        if (library_) FT_Done_FreeType(library_);
    }

    std::vector<std::string> faceNames(size_t limit) override { return catalog().names(limit); }

    bool metrics(const FontRequest& font, TextMetrics& out) override {
        if (caching_) {
            auto it = metricsCache_.find(font);
            if (it != metricsCache_.end()) {
                out = it->second;
                return out.ascent >= 0;
            }
        }
        TextMetrics m{-1, -1};
        Face* face = validSize(font) ? open(catalog().resolve(font.face)) : nullptr;
        if (face) {
            int64_t emY = face->emForCellHeight(font.height);
            int64_t emX = face->emForWidth(font.width, emY);
            m.ascent = face->pixels(face->ascender, emY);
            m.maxCharWidth = face->pixels(face->maxAdvance, emX);
        }
        if (caching_) metricsCache_.emplace(font, m);
        out = m;
        return m.ascent >= 0;
    }

    const GlyphBitmap* glyph(const FontRequest& font, uint16_t code, bool quarterTurn) override {
        GlyphKey key{font, code, quarterTurn};
        if (caching_) {
            auto it = glyphCache_.find(key);
            if (it != glyphCache_.end()) return it->second ? &*it->second : nullptr;
        }
        std::optional<GlyphBitmap> made;
        if (render(font, code, quarterTurn, scratch_)) made = scratch_;
        if (!caching_) return made ? &scratch_ : nullptr;
        size_t bytes = made ? made->bits.size() + sizeof(GlyphBitmap) : sizeof(GlyphBitmap);
        if (cachedBytes_ + bytes > kGlyphCacheBytes) {
            glyphCache_.clear();
            cachedBytes_ = 0;
        }
        cachedBytes_ += bytes;
        auto& slot = glyphCache_[key];
        slot = std::move(made);
        return slot ? &*slot : nullptr;
    }

    void setCaching(bool on) override {
        caching_ = on;
        glyphCache_.clear();
        metricsCache_.clear();
        cachedBytes_ = 0;
    }

  private:
    static bool validSize(const FontRequest& f) {
        return f.height > 0 && f.height <= kMaxFontPixels && f.width >= 0 &&
               f.width <= kMaxFontPixels;
    }

    const FontCatalog& catalog() {
        if (!catalog_) catalog_.emplace(listInstalledFaces());
        return *catalog_;
    }

    Face* open(const CatalogFace* which) {
        if (!which) return nullptr;
        auto key = std::make_pair(which->file, which->index);
        auto it = faces_.find(key);
        if (it != faces_.end()) return it->second.get();
        std::unique_ptr<Face>& slot = faces_[key];
        if (!library_ && FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return nullptr;
        }
        auto face = std::make_unique<Face>();
        if (FT_New_Face(library_, which->file.c_str(), which->index, &face->ft) != 0) {
            face->ft = nullptr;
            return nullptr;
        }
        FT_Face ft = face->ft;
        if (!FT_IS_SCALABLE(ft) || FT_Select_Charmap(ft, FT_ENCODING_UNICODE) != 0) return nullptr;
        face->unitsPerEm = ft->units_per_EM;
        face->ascender = ft->ascender;
        face->lineHeight = int64_t{ft->ascender} - ft->descender;
        face->maxAdvance = ft->max_advance_width;
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
            os2 && os2->version != 0xFFFF && os2->sTypoAscender - os2->sTypoDescender > 0) {
            face->ascender = os2->sTypoAscender;
            face->lineHeight = int64_t{os2->sTypoAscender} - os2->sTypoDescender;
        }
        if (face->unitsPerEm <= 0 || face->lineHeight <= 0) return nullptr;
        FT_ULong length = 0;
        if (FT_Load_Sfnt_Table(ft, TTAG_GSUB, 0, nullptr, &length) == 0 && length > 0) {
            std::vector<uint8_t> gsub(length);
            if (FT_Load_Sfnt_Table(ft, TTAG_GSUB, 0, gsub.data(), &length) == 0) {
                face->verticalForms = VerticalForms::fromGsub(gsub);
            }
        }
        FT_Set_Transform(ft, nullptr, nullptr);
        slot = std::move(face);
        return slot.get();
    }

    // The Unicode character of a code page 932 code, 0 when it has none.
    char32_t unicodeOf(uint16_t code) {
        auto it = unicode_.find(code);
        if (it != unicode_.end()) return it->second;
        std::string bytes;
        if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
        bytes.push_back(static_cast<char>(code & 0xFF));
        char32_t cp = 0;
        if (auto utf8 = cp932ToUtf8Strict(bytes)) {
            const auto* s = reinterpret_cast<const uint8_t*>(utf8->data());
            size_t n = utf8->size();
            if (n == 1 && s[0] < 0x80)
                cp = s[0];
            else if (n == 2)
                cp = (char32_t(s[0] & 0x1F) << 6) | (s[1] & 0x3F);
            else if (n == 3)
                cp = (char32_t(s[0] & 0x0F) << 12) | (char32_t(s[1] & 0x3F) << 6) | (s[2] & 0x3F);
        }
        unicode_.emplace(code, cp);
        return cp;
    }

    bool render(const FontRequest& font, uint16_t code, bool quarterTurn, GlyphBitmap& out) {
        if (!validSize(font)) return false;
        const CatalogFace* first = catalog().resolve(font.face);
        Face* main = open(first);
        char32_t cp = unicodeOf(code);
        if (!main || cp == 0) return false;
        for (const CatalogFace* which : catalog().fallbackChain(first)) {
            Face* face = open(which);
            if (!face) continue;
            FT_UInt index = FT_Get_Char_Index(face->ft, cp);
            if (index == 0) continue;
            return draw(*main, *face, index, font, quarterTurn, out);
        }
        return false;
    }

    // Draws glyph `index` of `face`; `main` is the face the font request resolved to, whose
    // ascent places every glyph of the line.
    bool draw(const Face& main, Face& face, FT_UInt index, const FontRequest& font,
              bool quarterTurn, GlyphBitmap& out) {
        int64_t emY = face.emForCellHeight(font.height);
        int64_t emX = face.emForWidth(font.width, emY);
        if (quarterTurn) {
            // The vertical face holds its double-byte glyphs turned a quarter counter-clockwise,
            // sized by the font's height along their width and by its width along their height;
            // the quarter turn of vertical writing turns them back. Both turns together draw the
            // vertical form upright with the two em sizes exchanged.
            index = face.verticalForms.substitute(index);
            std::swap(emX, emY);
        }
        FT_Face ft = face.ft;
        if (FT_Set_Char_Size(ft, emX, emY, 72, 72) != 0) return false;
        if (FT_Load_Glyph(ft, index,
                          FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP | FT_LOAD_NO_AUTOHINT) != 0)
            return false;
        FT_GlyphSlot slot = ft->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return false;
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_MONO && bm.rows > 0 && bm.width > 0) return false;
        out = GlyphBitmap::blank(static_cast<int32_t>(bm.width), static_cast<int32_t>(bm.rows));
        int32_t rowBytes = static_cast<int32_t>((bm.width + 7) / 8);
        for (int32_t y = 0; y < out.blackBoxY; ++y) {
            const uint8_t* src =
                bm.pitch >= 0
                    ? bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch
                    : bm.buffer + static_cast<ptrdiff_t>(out.blackBoxY - 1 - y) * -bm.pitch;
            std::copy(src, src + rowBytes,
                      out.bits.begin() + static_cast<ptrdiff_t>(y) * out.pitch);
        }
        // Bits past the black box's width stay clear.
        if (out.blackBoxX & 7) {
            auto mask = static_cast<uint8_t>(0xFF00 >> (out.blackBoxX & 7));
            for (int32_t y = 0; y < out.blackBoxY; ++y)
                out.bits[static_cast<size_t>(y * out.pitch + rowBytes - 1)] &= mask;
        }
        out.originX = slot->bitmap_left;
        out.originY = slot->bitmap_top;
        out.cellIncX = static_cast<int32_t>((slot->advance.x + 32) >> 6);
        out.cellIncY = 0;
        if (quarterTurn) {
            // Place the upright glyph's em box at the top of the cell the request's ascent
            // describes.
            int64_t mainEm = main.emForCellHeight(font.height);
            int32_t ascent = main.pixels(main.ascender, mainEm);
            out.originY += ascent - face.pixels(face.ascender, emY);
            out.cellIncX = 0;
            out.cellIncY = -static_cast<int32_t>((emY + 32) >> 6);
        }
        return true;
    }

    FT_Library library_ = nullptr;
    std::optional<FontCatalog> catalog_;
    std::map<std::pair<std::string, int32_t>, std::unique_ptr<Face>> faces_;
    std::unordered_map<uint16_t, char32_t> unicode_;
    std::unordered_map<GlyphKey, std::optional<GlyphBitmap>, RequestHash> glyphCache_;
    std::unordered_map<FontRequest, TextMetrics, RequestHash> metricsCache_;
    size_t cachedBytes_ = 0;
    bool caching_ = true;
    GlyphBitmap scratch_;
};

}  // namespace

std::unique_ptr<FontSource> createSystemFontSource() {
    return std::make_unique<FreeTypeFontSource>();
}

FontCatalog installedFontCatalog() { return FontCatalog(listInstalledFaces()); }

std::optional<FontFile> dialogFontFile() {
    FontCatalog catalog = installedFontCatalog();
    const CatalogFace* face = catalog.resolve("ＭＳ Ｐゴシック");
    if (!face) return std::nullopt;
    return FontFile{face->file, face->index};
}

}  // namespace rs::platform
