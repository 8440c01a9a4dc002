// rs-arc: lists, extracts and creates the engine's archives.
#include <iostream>
#include <string>
#include <vector>

#include "arc/arc_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return rs::tools::arcMain(args, std::cout, std::cerr);
}
