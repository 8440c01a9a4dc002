// rs-dis: prints the text form of a script object file.
#include <iostream>
#include <string>
#include <vector>

#include "asm/asm.h"
#include "common/tool_support.h"

namespace {

constexpr const char* kUsage =
    "Usage: rs-dis IN\n"
    "Prints the text form of a script object file; rs-asm reads it back.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int answered = rs::tools::answerCommonOptions("rs-dis", args, kUsage, std::cout, std::cerr);
    if (answered >= 0) return answered;
    if (args.size() != 1) {
        std::cerr << kUsage;
        return 2;
    }
    std::optional<std::vector<uint8_t>> bytes =
        rs::tools::readInputFile("rs-dis", args[0], std::cerr);
    if (!bytes) return 1;
    std::string text = rs::tools::disassemble(*bytes);
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
    return 0;
}
