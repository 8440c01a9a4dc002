#include "common/tool_support.h"

#include <ostream>

#include "data/host_file.h"

#ifndef RUNESTAGE_VERSION
#define RUNESTAGE_VERSION "0.0.0"
#endif

namespace rs::tools {

const char* toolVersion() { return RUNESTAGE_VERSION; }

int answerCommonOptions(const char* tool, const std::vector<std::string>& args, const char* usage,
                        std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << usage;
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        out << usage;
        return 0;
    }
    if (args[0] == "--version") {
        out << tool << " " << toolVersion() << "\n";
        return 0;
    }
    return -1;
}

std::optional<std::vector<uint8_t>> readInputFile(const char* tool, const std::string& path,
                                                  std::ostream& err) {
    std::string reason;
    std::optional<std::vector<uint8_t>> bytes = data::readWholeFile(path, &reason);
    if (!bytes) err << tool << ": cannot read '" << path << "': " << reason << "\n";
    return bytes;
}

}  // namespace rs::tools
