// rs-asm: assembles the text form of a script into a script object file.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "asm/asm.h"
#include "common/tool_support.h"

namespace {

constexpr const char* kUsage =
    "Usage: rs-asm IN -o OUT\n"
    "Assembles a script's text form (see rs-dis) into an object file.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int answered = rs::tools::answerCommonOptions("rs-asm", args, kUsage, std::cout, std::cerr);
    if (answered >= 0) return answered;
    std::string in, out;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            out = args[++i];
        } else if (in.empty()) {
            in = args[i];
        } else {
            std::cerr << "rs-asm: unexpected argument '" << args[i] << "'\n" << kUsage;
            return 2;
        }
    }
    if (in.empty() || out.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    std::optional<std::vector<uint8_t>> bytes = rs::tools::readInputFile("rs-asm", in, std::cerr);
    if (!bytes) return 1;
    rs::tools::AsmResult r = rs::tools::assemble(std::string(bytes->begin(), bytes->end()));
    if (!r.ok()) {
        for (const auto& e : r.errors)
            std::cerr << in << ":" << e.line << ": " << e.message << "\n";
        return 1;
    }
    std::ofstream o(out, std::ios::binary);
    o.write(reinterpret_cast<const char*>(r.bytes.data()),
            static_cast<std::streamsize>(r.bytes.size()));
    o.close();
    if (!o) {
        std::cerr << "rs-asm: cannot write '" << out << "'\n";
        return 1;
    }
    return 0;
}
