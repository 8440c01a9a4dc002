// The byte-code assembler and disassembler: a readable text form of script object files.
//
// Text form (UTF-8; '#' starts a comment):
//   name:                 a label (its offset)
//   .var NAME NUMBER      gives variable NUMBER a name
//   .byte B, B, ...       raw bytes
//   .str "text"           a literal block here: 16-bit length, then the bytes
//   push N                push integer (0..4 use the one-byte forms)
//   pushf R               push real (pushf.bits 0xHHHHHHHH for exact bit patterns)
//   pushs "text" | L      push string: an inline literal (placed after the code) or a .str block
//   pushl L               push label offset
//   cmd NAME | ID         call a built-in command
//   call L                call a script function
//   var NAME | NUMBER     push a variable name
//   void                  push void
//   == != >= <= << >> && || + - * / % > < & | ^ ; = neg += -= ++ -- \   operators
//   op N                  operator by code (0..63)
//   global ifgoto goto return    the fixed-command opcodes
//   jump L                pushl L, then goto
// Operand widths: a suffix .8, .16 or .32 (and .k for the one-byte integer forms) picks the
// encoding; without one, numbers take the shortest form and label operands 32 bits.
// Literal escapes: \\ \" \xHH, and the interpolations \{V} (variable V), \{V:W} and \{V:W:F}
// (width W, F = full width), \{} (a popped value), \{:W} and \{:W:F}.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rs::tools {

struct AsmError {
    int line;
    std::string message;
};

struct AsmResult {
    std::vector<uint8_t> bytes;
    std::vector<AsmError> errors;
    bool ok() const { return errors.empty(); }
};

AsmResult assemble(std::string_view source);

// The text form of any image; assembling it again gives the same bytes.
std::string disassemble(std::span<const uint8_t> image);

// The symbol of operator `code`, or null when it has none.
const char* operatorSymbol(int code);

}  // namespace rs::tools
