#include "shell/registry_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "data/host_file.h"
#include "data/save_folder.h"
#include "platform/encoding.h"
#include "platform/host_path.h"
#include "shell/engine.h"

namespace rs::shell {

namespace {

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool isPlainAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing above
// U+10FFFF.
bool isUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<uint8_t>(s[i]);
        size_t n = b < 0x80             ? 1
                   : (b & 0xE0) == 0xC0 ? 2
                   : (b & 0xF0) == 0xE0 ? 3
                   : (b & 0xF8) == 0xF0 ? 4
                                        : 0;
        if (n == 0 || i + n > s.size()) return false;
        uint32_t cp = n == 1 ? b : b & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) {
            auto c = static_cast<uint8_t>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n;
    }
    return true;
}

// The first byte of a value minus '0', as the registry's string data gives it (an empty value is
// its terminating zero).
int32_t digitValue(const std::string& value) {
    return (value.empty() ? 0 : static_cast<unsigned char>(value[0])) - '0';
}

}  // namespace

RegistryValues parseRegistryFile(std::string_view bytes, bool complete) {
    if (!complete) {
        // The last line was cut by the read limit: it is not used.
        size_t lastFeed = bytes.rfind('\n');
        bytes = lastFeed == std::string_view::npos ? std::string_view() : bytes.substr(0, lastFeed);
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // A file in UTF-8 has its values converted (a character code page 932 lacks becomes '?');
    // anything else is taken as code page 932 bytes.
    std::optional<std::string> converted;
    if (!isPlainAscii(bytes) && isUtf8(bytes)) converted = platform::utf8ToCp932Lossy(bytes);
    std::string_view text = converted ? std::string_view(*converted) : bytes;

    RegistryValues values;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view name = trimmed(line.substr(0, eq));
        std::string value(trimmed(line.substr(eq + 1)));
        if (sameNameIgnoringCase(name, "InstMode")) {
            values.instMode = value;
        } else if (sameNameIgnoringCase(name, "InstPath")) {
            values.instPath = value;
        } else if (sameNameIgnoringCase(name, "MV_Mode")) {
            values.mvMode = value;
        }
    }
    return values;
}

std::string registryFilePath(std::string_view configRoot, std::string_view engineName) {
    std::string name = platform::cp932ToUtf8Strict(engineName).value_or(std::string(engineName));
    std::replace(name.begin(), name.end(), '/', '_');
    std::string folder =
        platform::joinHostPath(platform::joinHostPath(configRoot, "SEIRAN-DO"), name);
    return platform::joinHostPath(folder, "registry.ini");
}

void readRegistry(Engine& e) {
    e.app.installMode = -1;
    e.app.installPath = e.app.programFolder;
    if (e.app.configFolder.empty()) return;
    std::string path = registryFilePath(e.app.configFolder, e.app.engineName);
    data::HostFile file = data::HostFile::openRead(path);
    if (!file.isOpen()) {
        // No file is the usual case; one that is there but cannot be read is worth a word.
        std::string why;
        if (!data::readWholeFile(path, &why, 0) && why != "no such file")
            std::fprintf(stderr, "runestage: cannot read '%s' (%s)\n", path.c_str(), why.c_str());
        return;
    }
    int64_t size = file.size();
    if (size < 0) return;
    bool complete = static_cast<uint64_t>(size) <= kRegistryReadLimit;
    std::string bytes(std::min<size_t>(static_cast<size_t>(size), kRegistryReadLimit), '\0');
    if (!bytes.empty() && !file.readAt(0, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "runestage: cannot read '%s'\n", path.c_str());
        return;
    }
    if (!complete)
        std::fprintf(stderr, "runestage: '%s' is longer than %zu bytes: only its start is read\n",
                     path.c_str(), kRegistryReadLimit);
    RegistryValues values = parseRegistryFile(bytes, complete);
    if (values.instMode) e.app.installMode = digitValue(*values.instMode);
    if (values.instPath && !values.instPath->empty()) {
        std::string folder = platform::cp932ToUtf8(*values.instPath);
        if (folder[0] != '/') folder = platform::joinHostPath(e.app.programFolder, folder);
        e.app.installPath = folder;
    }
    if (values.mvMode) e.app.movieMode = digitValue(*values.mvMode);
}

}  // namespace rs::shell
