// Face names: Windows names, partial names, missing faces; and vertical forms from GSUB tables.
#include <gtest/gtest.h>

#include "platform/font_catalog.h"
#include "platform/vertical_forms.h"

namespace rs::platform {
namespace {

const std::string kGothic = "/fonts/ipag.ttf";
const std::string kPGothic = "/fonts/ipagp.ttf";
const std::string kMincho = "/fonts/ipam.ttf";

FontCatalog ipaCatalog() {
    return FontCatalog({
        {"IPAMincho", kMincho, 0},
        {"IPA明朝", kMincho, 0},
        {"IPAGothic", "/other/fonts-japanese-gothic.ttf",
         0},  // the same name twice: smallest path wins
        {"IPAGothic", kGothic, 0},
        {"IPAゴシック", kGothic, 0},
        {"IPAPGothic", kPGothic, 0},
        {"@IPAGothic", kGothic, 0},
    });
}

TEST(FontCatalog, ListsWindowsNamesThenInstalledNames) {
    std::vector<std::string> expected = {
        "ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝",  "ＭＳ Ｐ明朝", "MS Gothic",
        "MS PGothic",    "MS Mincho",       "MS PMincho", "IPAGothic",   "IPAMincho",
        "IPAPGothic",    "IPAゴシック",     "IPA明朝",
    };
    EXPECT_EQ(ipaCatalog().names(1600), expected);
    EXPECT_EQ(ipaCatalog().names(2).size(), 2u);

    // Windows names appear only when an equivalent is installed.
    FontCatalog minchoOnly({{"IPAMincho", kMincho, 0}});
    EXPECT_EQ(minchoOnly.names(1600),
              (std::vector<std::string>{"ＭＳ 明朝", "ＭＳ Ｐ明朝", "MS Mincho", "MS PMincho",
                                        "IPAMincho"}));
}

TEST(FontCatalog, ResolvesNamesToFiles) {
    FontCatalog c = ipaCatalog();
    struct Case {
        const char* name;
        std::string file;
    };
    const Case cases[] = {
        {"ＭＳ 明朝", kMincho},  {"ＭＳ Ｐ明朝", kMincho},  // no P-mincho: the mincho stands in
        {"ms gothic", kGothic},  {"MS PGothic", kPGothic},  {"IPA明朝", kMincho},
        {"ipagothic", kGothic},  {"No Such Face", kGothic}, {"", kGothic},
        {"@IPAMincho", kGothic},  // vertical names are not faces
    };
    for (const Case& k : cases) {
        const CatalogFace* f = c.resolve(k.name);
        ASSERT_NE(f, nullptr) << k.name;
        EXPECT_EQ(f->file, k.file) << k.name;
    }
    EXPECT_EQ(FontCatalog().resolve("ＭＳ 明朝"), nullptr);
    // Without a gothic face the first installed face is the fallback.
    FontCatalog minchoOnly({{"IPAMincho", kMincho, 0}});
    EXPECT_EQ(minchoOnly.resolve("ＭＳ ゴシック")->file, kMincho);
}

TEST(FontCatalog, FallbackChainVisitsEveryFileOnce) {
    FontCatalog c = ipaCatalog();
    std::vector<std::string> files;
    for (const CatalogFace* f : c.fallbackChain(c.resolve("IPAMincho"))) files.push_back(f->file);
    EXPECT_EQ(files, (std::vector<std::string>{kMincho, kGothic, kPGothic}));
}

TEST(FontCatalog, NameComparisonFoldsOnlyAsciiLetters) {
    EXPECT_TRUE(sameFaceName("MS Gothic", "ms GOTHIC"));
    EXPECT_FALSE(sameFaceName("MS Gothic", "MS Gothi"));
    // "ア" is 83 41 and "ヂ" is 83 61: a trail byte is never folded.
    EXPECT_FALSE(sameFaceName("ア", "ヂ"));
    EXPECT_TRUE(sameFaceName("ＭＳ ゴシック", "ＭＳ ゴシック"));
}

// A GSUB table with one feature and the given lookups (each a type and one subtable).
std::vector<uint8_t> gsub(const char* tag,
                          const std::vector<std::pair<uint16_t, std::vector<uint8_t>>>& lookups) {
    std::vector<uint8_t> d;
    auto u16 = [&](uint32_t v) {
        d.push_back(static_cast<uint8_t>(v >> 8));
        d.push_back(static_cast<uint8_t>(v));
    };
    u16(1), u16(0), u16(10), u16(12), u16(0);  // header; lookup list offset patched below
    u16(0);                                    // script list: none
    // Feature list at 12: one record, feature table right after it.
    u16(1);
    for (int i = 0; i < 4; ++i) d.push_back(static_cast<uint8_t>(tag[i]));
    u16(8);
    u16(0), u16(static_cast<uint32_t>(lookups.size()));
    for (size_t i = 0; i < lookups.size(); ++i) u16(static_cast<uint32_t>(i));
    size_t lookupList = d.size();
    d[8] = static_cast<uint8_t>(lookupList >> 8);
    d[9] = static_cast<uint8_t>(lookupList);
    u16(static_cast<uint32_t>(lookups.size()));
    size_t offsets = d.size();
    for (size_t i = 0; i < lookups.size(); ++i) u16(0);
    for (size_t i = 0; i < lookups.size(); ++i) {
        size_t at = d.size() - lookupList;
        d[offsets + 2 * i] = static_cast<uint8_t>(at >> 8);
        d[offsets + 2 * i + 1] = static_cast<uint8_t>(at);
        u16(lookups[i].first), u16(0), u16(1), u16(8);
        d.insert(d.end(), lookups[i].second.begin(), lookups[i].second.end());
    }
    return d;
}

TEST(VerticalForms, ReadsSingleSubstitutions) {
    // Format 1 (delta 100) over a list coverage of glyphs 5 and 9.
    std::vector<uint8_t> delta = {0, 1, 0, 6, 0, 100, 0, 1, 0, 2, 0, 5, 0, 9};
    // Format 2 over a range coverage of glyphs 20..21 -> 300, 301; glyph 105 -> 400 chains
    // after the first lookup.
    std::vector<uint8_t> array = {0, 2, 0, 12, 0, 3,  1, 44, 1, 45,  1, 144, 0, 2,
                                  0, 2, 0, 20, 0, 21, 0, 0,  0, 105, 0, 105, 0, 2};
    // The same delta table inside an extension lookup.
    std::vector<uint8_t> extension = {0, 1, 0, 1, 0, 0, 0, 8};
    extension.insert(extension.end(), delta.begin(), delta.end());

    VerticalForms forms = VerticalForms::fromGsub(gsub("vert", {{1, delta}, {1, array}}));
    EXPECT_EQ(forms.substitute(5), 400u);  // 5 -> 105 -> 400
    EXPECT_EQ(forms.substitute(9), 109u);
    EXPECT_EQ(forms.substitute(20), 300u);
    EXPECT_EQ(forms.substitute(21), 301u);
    EXPECT_EQ(forms.substitute(6), 6u);

    EXPECT_EQ(VerticalForms::fromGsub(gsub("vrt2", {{7, extension}})).substitute(9), 109u);
    EXPECT_TRUE(VerticalForms::fromGsub(gsub("liga", {{1, delta}})).empty());
    // Damaged tables read as empty.
    std::vector<uint8_t> cut = gsub("vert", {{1, delta}});
    cut.resize(cut.size() - 6);
    EXPECT_EQ(VerticalForms::fromGsub(cut).substitute(9), 9u);
    EXPECT_TRUE(VerticalForms::fromGsub(std::vector<uint8_t>{0, 1}).empty());
}

}  // namespace
}  // namespace rs::platform
