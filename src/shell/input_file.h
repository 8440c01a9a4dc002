// The text form of recorded input (--input, --record-input): UTF-8, one event a line, times in
// engine milliseconds from the start of the run:
//   T key down|up VK             VK a number (0-255, decimal or 0x..) or a name: RETURN, LEFT,
//                                A, F1, NUMPAD0, LSHIFT ... (virtualKeyName)
//   T mouse move X Y             X, Y in game pixels
//   T mouse down|up left|right|middle X Y
//   T wheel DELTA                120 a notch, positive away from the user
//   T hwheel DELTA               positive to the right
//   T text UTF8-TEXT             typed characters: everything after "text " to the end of the
//                                line, spaces too (control characters are typed by keys)
//   T pad N axis K VALUE         pad 0 or 1; K 0-5 the X, Y, Z, R, U, V axes (0-65535, 32768 at
//                                rest), 6 the point of view (hundredths of degrees, 65535 centred)
//   T pad N button K down|up     K 0-31
//   T focus in|out
//   T close
// Blank lines and lines starting with '#' are comments; on other lines than text a word starting
// with '#' begins a comment. Words are separated by spaces or tabs; keywords and key names may
// be written in any case. Times never decrease from one line to the next.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_events.h"

namespace rs::shell {

struct TimedInput {
    uint32_t time = 0;  // engine milliseconds from the start
    platform::InputEvent event;
    bool operator==(const TimedInput&) const = default;
};

struct InputFileError {
    int64_t line = 0;
    std::string message;
};

// The most events one file may hold (a text line gives one event per character).
constexpr size_t kMaxInputEvents = size_t{1} << 22;
// The longest line and the largest file read.
constexpr size_t kMaxInputLineBytes = size_t{1} << 20;
constexpr uint64_t kMaxInputFileBytes = uint64_t{1} << 28;

// Parses the text into events in file order; false with the first malformed line.
bool parseInputText(std::string_view text, std::vector<TimedInput>& out, InputFileError& error);

// Reads and parses a file; false with the reason, "FILE:LINE: message" for a malformed line.
bool readInputFile(const std::string& path, std::vector<TimedInput>& out, std::string* error);

// The line of one event (without a line end); empty for events the format does not hold (the
// input method's composition state, a pad unplugged, a character that is none).
std::string formatInputLine(uint32_t time, const platform::InputEvent& event);

// A virtual key by its name (without "VK_", any case), or by its number.
std::optional<int32_t> virtualKeyFromName(std::string_view name);
// The name recordings use for a key, or null for keys without one (written as numbers).
const char* virtualKeyName(int32_t key);

}  // namespace rs::shell
