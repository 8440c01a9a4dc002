#include "platform/vertical_forms.h"

#include <algorithm>
#include <set>

namespace rs::platform {

namespace {

// Big-endian reads that give 0 past the end: a damaged table reads as empty.
struct Reader {
    std::span<const uint8_t> d;
    bool has(size_t off, size_t n) const { return off <= d.size() && n <= d.size() - off; }
    uint16_t u16(size_t off) const {
        return has(off, 2) ? static_cast<uint16_t>(d[off] << 8 | d[off + 1]) : 0;
    }
    uint32_t u32(size_t off) const { return (uint32_t{u16(off)} << 16) | u16(off + 2); }
    uint32_t tag(size_t off) const { return has(off, 4) ? u32(off) : 0; }
};

constexpr uint32_t makeTag(char a, char b, char c, char d) {
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) |
           (uint32_t(uint8_t(c)) << 8) | uint8_t(d);
}

// The glyphs a coverage table lists, in coverage-index order.
std::vector<uint32_t> coverageGlyphs(const Reader& r, size_t off) {
    std::vector<uint32_t> out;
    uint16_t format = r.u16(off);
    uint16_t count = r.u16(off + 2);
    if (format == 1) {
        if (!r.has(off + 4, size_t{count} * 2)) return out;
        for (uint16_t i = 0; i < count; ++i) out.push_back(r.u16(off + 4 + 2 * size_t{i}));
    } else if (format == 2) {
        if (!r.has(off + 4, size_t{count} * 6)) return out;
        // A font has at most 65536 glyphs: a table listing more is damaged.
        size_t listed = 0;
        for (uint16_t i = 0; i < count; ++i) {
            size_t rec = off + 4 + 6 * size_t{i};
            uint16_t start = r.u16(rec);
            uint16_t end = r.u16(rec + 2);
            uint16_t first = r.u16(rec + 4);
            if (end < start) continue;
            listed += size_t{end} - start + 1;
            if (listed > 65536) return {};
            for (uint32_t g = start; g <= end; ++g) {
                size_t index = first + (g - start);
                if (out.size() < index + 1) out.resize(index + 1, 0xFFFFFFFFu);
                out[index] = g;
            }
        }
    }
    return out;
}

// Adds the substitutions of one single-substitution subtable (first mapping of a glyph wins).
void readSingleSubst(const Reader& r, size_t off, std::unordered_map<uint32_t, uint32_t>& map) {
    uint16_t format = r.u16(off);
    std::vector<uint32_t> glyphs = coverageGlyphs(r, off + r.u16(off + 2));
    if (format == 1) {
        auto delta = static_cast<int16_t>(r.u16(off + 4));
        for (uint32_t g : glyphs) {
            if (g != 0xFFFFFFFFu) map.emplace(g, static_cast<uint16_t>(g + delta));
        }
    } else if (format == 2) {
        uint16_t count = r.u16(off + 4);
        for (size_t i = 0; i < glyphs.size() && i < count; ++i) {
            if (glyphs[i] != 0xFFFFFFFFu && r.has(off + 6 + 2 * i, 2))
                map.emplace(glyphs[i], r.u16(off + 6 + 2 * i));
        }
    }
}

}  // namespace

VerticalForms VerticalForms::fromGsub(std::span<const uint8_t> gsub) {
    VerticalForms forms;
    Reader r{gsub};
    if (!r.has(0, 10) || r.u16(0) != 1) return forms;
    size_t featureList = r.u16(6);
    size_t lookupList = r.u16(8);

    std::set<uint16_t> lookupIndices;
    for (uint32_t wanted : {makeTag('v', 'e', 'r', 't'), makeTag('v', 'r', 't', '2')}) {
        uint16_t features = r.u16(featureList);
        for (uint16_t i = 0; i < features; ++i) {
            size_t rec = featureList + 2 + 6 * size_t{i};
            if (r.tag(rec) != wanted) continue;
            size_t feature = featureList + r.u16(rec + 4);
            uint16_t n = r.u16(feature + 2);
            for (uint16_t k = 0; k < n; ++k)
                lookupIndices.insert(r.u16(feature + 4 + 2 * size_t{k}));
        }
        if (!lookupIndices.empty()) break;
    }

    uint16_t lookupCount = r.u16(lookupList);
    for (uint16_t index : lookupIndices) {
        if (index >= lookupCount) continue;
        size_t lookup = lookupList + r.u16(lookupList + 2 + 2 * size_t{index});
        uint16_t type = r.u16(lookup);
        uint16_t subtables = r.u16(lookup + 4);
        std::unordered_map<uint32_t, uint32_t> map;
        for (uint16_t s = 0; s < subtables; ++s) {
            size_t sub = lookup + r.u16(lookup + 6 + 2 * size_t{s});
            if (type == 7) {
                // Extension: the real subtable lies at a 32-bit offset.
                if (r.u16(sub) != 1 || r.u16(sub + 2) != 1) continue;
                readSingleSubst(r, sub + r.u32(sub + 4), map);
            } else if (type == 1) {
                readSingleSubst(r, sub, map);
            }
        }
        if (!map.empty()) forms.lookups_.push_back(std::move(map));
    }
    return forms;
}

uint32_t VerticalForms::substitute(uint32_t glyph) const {
    for (const auto& map : lookups_) {
        auto it = map.find(glyph);
        if (it != map.end()) glyph = it->second;
    }
    return glyph;
}

}  // namespace rs::platform
