#include "platform/font_catalog.h"

#include <algorithm>
#include <set>
#include <utility>

#include "platform/encoding.h"

namespace rs::platform {

namespace {

// Windows face names games ask for, in the order the list shows them, each with the installed
// faces that stand in for it (first installed one wins).
struct Alias {
    const char* name;
    std::vector<const char*> targets;
};

const std::vector<Alias>& aliases() {
    static const std::vector<Alias> table = {
        {"ＭＳ ゴシック", {"IPAGothic", "IPAexGothic"}},
        {"ＭＳ Ｐゴシック", {"IPAPGothic", "IPAexGothic", "IPAGothic"}},
        {"ＭＳ 明朝", {"IPAMincho", "IPAexMincho"}},
        {"ＭＳ Ｐ明朝", {"IPAPMincho", "IPAexMincho", "IPAMincho"}},
        {"MS Gothic", {"IPAGothic", "IPAexGothic"}},
        {"MS PGothic", {"IPAPGothic", "IPAexGothic", "IPAGothic"}},
        {"MS Mincho", {"IPAMincho", "IPAexMincho"}},
        {"MS PMincho", {"IPAPMincho", "IPAexMincho", "IPAMincho"}},
    };
    return table;
}

// The gothic faces text falls back to, best first.
constexpr const char* kGothicFallbacks[] = {"IPAGothic", "IPAPGothic", "IPAexGothic"};

uint8_t foldAscii(uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c; }

}  // namespace

bool sameFaceName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto ca = static_cast<uint8_t>(a[i]);
        auto cb = static_cast<uint8_t>(b[i]);
        if (isLeadByte(ca)) {
            // Both bytes of a double-byte character compare exactly.
            if (ca != cb || i + 1 >= a.size() || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (foldAscii(ca) != foldAscii(cb)) return false;
    }
    return true;
}

FontCatalog::FontCatalog(std::vector<CatalogFace> installed) {
    std::erase_if(installed,
                  [](const CatalogFace& f) { return f.name.empty() || f.name[0] == '@'; });
    std::sort(installed.begin(), installed.end(), [](const CatalogFace& a, const CatalogFace& b) {
        if (a.name != b.name) return a.name < b.name;
        if (a.file != b.file) return a.file < b.file;
        return a.index < b.index;
    });
    for (CatalogFace& f : installed) {
        if (!faces_.empty() && faces_.back().name == f.name) continue;
        faces_.push_back(std::move(f));
    }
}

const CatalogFace* FontCatalog::findInstalled(std::string_view name) const {
    for (const CatalogFace& f : faces_) {
        if (f.name == name) return &f;
    }
    for (const CatalogFace& f : faces_) {
        if (sameFaceName(f.name, name)) return &f;
    }
    return nullptr;
}

const CatalogFace* FontCatalog::gothic() const {
    for (const char* name : kGothicFallbacks) {
        if (const CatalogFace* f = findInstalled(name)) return f;
    }
    return faces_.empty() ? nullptr : &faces_.front();
}

std::vector<std::string> FontCatalog::names(size_t limit) const {
    std::vector<std::string> out;
    for (const Alias& a : aliases()) {
        if (out.size() >= limit) return out;
        for (const char* target : a.targets) {
            if (findInstalled(target)) {
                out.emplace_back(a.name);
                break;
            }
        }
    }
    for (const CatalogFace& f : faces_) {
        if (out.size() >= limit) break;
        out.push_back(f.name);
    }
    return out;
}

const CatalogFace* FontCatalog::resolve(std::string_view name) const {
    for (const Alias& a : aliases()) {
        if (!sameFaceName(a.name, name)) continue;
        for (const char* target : a.targets) {
            if (const CatalogFace* f = findInstalled(target)) return f;
        }
    }
    if (const CatalogFace* f = findInstalled(name)) return f;
    return gothic();
}

std::vector<const CatalogFace*> FontCatalog::fallbackChain(const CatalogFace* first) const {
    std::vector<const CatalogFace*> chain;
    std::set<std::pair<std::string, int32_t>> seen;
    auto add = [&](const CatalogFace* f) {
        if (f && seen.insert({f->file, f->index}).second) chain.push_back(f);
    };
    add(first);
    add(gothic());
    for (const CatalogFace& f : faces_) add(&f);
    return chain;
}

}  // namespace rs::platform
