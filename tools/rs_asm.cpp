// rs-asm: assembles the text form of a script into a script object file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "asm/asm.h"

int main(int argc, char** argv) {
    std::string in, out;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
            out = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::puts(
                "Usage: rs-asm IN -o OUT\nAssembles a script's text form (see rs-dis) into an "
                "object file.");
            return 0;
        } else if (in.empty()) {
            in = argv[i];
        } else {
            std::fprintf(stderr, "rs-asm: unexpected argument '%s'\n", argv[i]);
            return 2;
        }
    }
    if (in.empty() || out.empty()) {
        std::fputs("Usage: rs-asm IN -o OUT\n", stderr);
        return 2;
    }
    std::ifstream f(in, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "rs-asm: cannot read '%s'\n", in.c_str());
        return 1;
    }
    std::string source((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    rs::tools::AsmResult r = rs::tools::assemble(source);
    if (!r.ok()) {
        for (const auto& e : r.errors)
            std::fprintf(stderr, "%s:%d: %s\n", in.c_str(), e.line, e.message.c_str());
        return 1;
    }
    std::ofstream o(out, std::ios::binary);
    o.write(reinterpret_cast<const char*>(r.bytes.data()),
            static_cast<std::streamsize>(r.bytes.size()));
    if (!o) {
        std::fprintf(stderr, "rs-asm: cannot write '%s'\n", out.c_str());
        return 1;
    }
    return 0;
}
