// What every command-line tool of the project answers the same way: --version, --help, the usage
// when called without arguments, and input files that are missing, unreadable or folders.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace rs::tools {

// The project's version, as `--version` prints it.
const char* toolVersion();

// Answers the options every tool shares. No arguments: the usage on `err`, status 2; "--help" or
// "-h": the usage on `out`, status 0; "--version": "TOOL VERSION" on `out`, status 0. Returns -1
// when none of them applies and the tool goes on.
int answerCommonOptions(const char* tool, const std::vector<std::string>& args, const char* usage,
                        std::ostream& out, std::ostream& err);

// Reads an input file whole. On failure writes one line "TOOL: cannot read 'PATH': REASON" to
// `err` and returns nothing (the caller exits with status 1).
std::optional<std::vector<uint8_t>> readInputFile(const char* tool, const std::string& path,
                                                  std::ostream& err);

}  // namespace rs::tools
