// rs-dis: prints the text form of a script object file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "asm/asm.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(
            "Usage: rs-dis IN\nPrints the text form of a script object file; rs-asm reads it "
            "back.\n",
            argc == 2 ? stdout : stderr);
        return argc == 2 ? 0 : 2;
    }
    std::ifstream f(argv[1], std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "rs-dis: cannot read '%s'\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)),
                               std::istreambuf_iterator<char>());
    std::string text = rs::tools::disassemble(bytes);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
