// Input files are written by people: the reader must take any bytes, and every event it reads
// must be written back as a line that reads as the same event.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "shell/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<rs::shell::TimedInput> events;
    rs::shell::InputFileError error;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!rs::shell::parseInputText(text, events, error)) {
        if (error.line < 1 || error.message.empty()) std::abort();
        return 0;
    }
    for (const rs::shell::TimedInput& t : events) {
        std::string line = rs::shell::formatInputLine(t.time, t.event);
        std::vector<rs::shell::TimedInput> again;
        if (line.empty() || !rs::shell::parseInputText(line, again, error) || again.size() != 1 ||
            !(again[0] == t)) {
            std::abort();
        }
    }
    return 0;
}
