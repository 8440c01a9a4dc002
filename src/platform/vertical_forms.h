// Vertical forms of glyphs ("vert" substitutions of an OpenType GSUB table): the glyphs a
// vertical face shows for punctuation, brackets and long vowel marks.
#pragma once

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace rs::platform {

class VerticalForms {
  public:
    // Reads the single substitutions of the "vert" feature (or "vrt2" when there is no "vert")
    // from a GSUB table. Damaged or unknown parts are skipped.
    static VerticalForms fromGsub(std::span<const uint8_t> gsub);

    // The vertical form of a glyph, or the glyph itself.
    uint32_t substitute(uint32_t glyph) const;
    bool empty() const { return lookups_.empty(); }

  private:
    // One map per lookup, applied in lookup order.
    std::vector<std::unordered_map<uint32_t, uint32_t>> lookups_;
};

}  // namespace rs::platform
