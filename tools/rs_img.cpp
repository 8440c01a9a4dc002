// rs-img: converts FD, FE and BMP images to PNG for inspection, and pictures to FD or FE.
#include <iostream>
#include <string>
#include <vector>

#include "img/image_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return rs::tools::runImageTool(args, std::cout, std::cerr);
}
