// The text commands print and print2.
#pragma once

#include <cstdint>
#include <string>

namespace rs::builtins {
class CommandTable;
}

namespace rs::text {

// The arguments of print and print2, in script order.
struct PrintRequest {
    int32_t frame = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t charWidth = 0;
    int32_t fontHeight = 0;
    int32_t textColour = 0;
    // print: the mode; print2: the edge colour, background and style follow.
    int32_t mode = 0;
    int32_t edgeColour = 0;
    int32_t background = 0;
    int32_t style = 0;
    bool isPrint2 = false;
    std::string text;  // code page 932
};

void registerPrintCommands(builtins::CommandTable& table);

}  // namespace rs::text
