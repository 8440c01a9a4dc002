// Fuzzes the reading of the environment file: any bytes, with or without an installer mode. The
// result is one of the three run states, a marker file changes nothing, a face name never grows
// past its buffer, and whatever was read is written back as a file that reads as complete with
// the same settings.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/environment_file.h"

namespace {

bool same(const rs::shell::EnvironmentSettings& a, const rs::shell::EnvironmentSettings& b) {
    return a.useDirectX == b.useDirectX && a.useDirect3D == b.useDirect3D &&
           a.joystickSetting == b.joystickSetting && a.midiSwitch == b.midiSwitch &&
           a.windowModeSetting == b.windowModeSetting && a.fontName == b.fontName;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte chooses whether the installer gave a mode (which hides the DirectX line).
    int32_t installMode = data[0] & 1 ? -1 : data[0] >> 1;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    rs::shell::EnvironmentSettings before;
    rs::shell::EnvironmentSettings s = before;
    int32_t state = rs::shell::parseEnvironmentFile(bytes, installMode, s);
    if (state < 0 || state > 2) __builtin_trap();
    if (state == 2 && !same(s, before)) __builtin_trap();
    if (s.fontName.size() > 255) __builtin_trap();

    // What was read, written and read again: complete, and the same (the window-mode line holds
    // the full-screen state given to the writer, which the reader puts back as the setting).
    int32_t fullScreen = static_cast<int32_t>(size % 3) - 1;
    std::string file = rs::shell::formatEnvironmentFile(s, fullScreen);
    rs::shell::EnvironmentSettings again;
    again.fontName = s.fontName;
    if (rs::shell::parseEnvironmentFile(file, -1, again) != 1) __builtin_trap();
    if (s.midiSwitch >= 0 && s.midiSwitch <= 9 && again.midiSwitch != s.midiSwitch)
        __builtin_trap();
    return 0;
}
