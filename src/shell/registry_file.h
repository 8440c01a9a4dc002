// The installer's values. On Windows an installer leaves them in the registry; here they are an
// optional text file, "$XDG_CONFIG_HOME/SEIRAN-DO/<engineName>/registry.ini", one "Name=Value" a
// line. Names compare without regard to ASCII case; values are code page 932 bytes (a file in
// UTF-8 is converted); unknown names, blank lines, comments ('#' or ';') and lines without '='
// are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rs {
class Engine;
}

namespace rs::shell {

// The file is read up to this size; the rest of a larger file is ignored.
constexpr size_t kRegistryReadLimit = 64 * 1024;

// The values the engine reads, as the file gives them (code page 932); absent ones are empty.
struct RegistryValues {
    std::optional<std::string> instMode;
    std::optional<std::string> instPath;
    std::optional<std::string> mvMode;
};

// Reads the values from the file's bytes. `complete` is false when the bytes were cut at the
// read limit: the last, cut line is then not used.
RegistryValues parseRegistryFile(std::string_view bytes, bool complete = true);

// "<configRoot>/SEIRAN-DO/<engineName>/registry.ini" as a host path.
std::string registryFilePath(std::string_view configRoot, std::string_view engineName);

// ReadRegistry: installMode = -1 and installPath = the program folder, then the values of the
// file when there is one: "InstMode" and "MV_Mode" their first byte minus '0', "InstPath" a host
// folder that becomes the install folder (relative to the program folder when not absolute).
// A file that cannot be read, or is too long, is named on standard error.
void readRegistry(Engine& e);

}  // namespace rs::shell
