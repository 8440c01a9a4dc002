// The installed Japanese faces under their names, and how a face name that a game asks for is
// turned into a font file: Windows face names map to installed equivalents, and a name that
// matches nothing falls back to a gothic face so that text always draws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rs::platform {

// One name of an installed face (a family name in one of its languages).
struct CatalogFace {
    std::string name;   // code page 932
    std::string file;   // host path
    int32_t index = 0;  // face index inside the file

    bool operator==(const CatalogFace&) const = default;
};

class FontCatalog {
  public:
    FontCatalog() = default;
    // `installed` in any order; duplicates (the same name twice) keep the entry with the smallest
    // file path, so the result does not depend on the order the host lists them in.
    explicit FontCatalog(std::vector<CatalogFace> installed);

    // The names scripts see: the Windows names whose equivalent is installed, then the installed
    // names in byte order. None begins with "@".
    std::vector<std::string> names(size_t limit) const;

    // The face for a name: a Windows name's equivalent, an installed name (ASCII letters in any
    // case), else the gothic fallback. Null only when no face is installed at all.
    const CatalogFace* resolve(std::string_view name) const;

    // The faces to try in turn for a glyph the face `first` lacks: `first`, the gothic fallback,
    // then every other installed file once, in name order.
    std::vector<const CatalogFace*> fallbackChain(const CatalogFace* first) const;

    bool empty() const { return faces_.empty(); }

  private:
    const CatalogFace* findInstalled(std::string_view name) const;
    const CatalogFace* gothic() const;

    std::vector<CatalogFace> faces_;  // sorted by name, unique names
};

// Equal names ignoring the case of ASCII letters (the bytes of double-byte characters compare
// exactly; a trail byte in the ASCII letter range is never folded).
bool sameFaceName(std::string_view a, std::string_view b);

}  // namespace rs::platform
