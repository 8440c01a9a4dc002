// The environment file: the player's settings of one game, "<save folder>/<gameTitle>.cfg", ten
// lines of code page 932 text with CR LF line ends. It doubles as the detector of abnormal ends:
// at the start of the game it is replaced by the running marker, and only an orderly end writes
// the ten lines back, so a marker found at start means the previous run did not end in order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rs {
class Engine;
}

namespace rs::shell {

// The settings the file holds, with their defaults.
struct EnvironmentSettings {
    int32_t useDirectX = 1;
    int32_t useDirect3D = 1;
    int32_t joystickSetting = 0;  // -1 detect at first use, 0 off, 1 on
    int32_t midiSwitch = 1;
    int32_t directSoundState = 0;  // -1 forbidden, 0 unused, 1 usable
    int32_t windowModeSetting = -1;
    std::string fontName;  // code page 932, at most 255 bytes
};

// The running marker, written (as it is, LF only) at the start of a game.
extern const char kRunningMarker[];
// The version of the file format this engine writes and reads.
constexpr int32_t kEnvironmentFileVersion = 4;
// Reading looks at no more than this many bytes of the file: ten lines of at most 255 bytes,
// each byte possibly followed by a carriage return, fit with room to spare.
constexpr size_t kEnvironmentReadLimit = 8192;

// The ten lines as an orderly end writes them: the settings, and the current full-screen state
// (-1, 0 or 1) for the window-mode line. CR LF after the first nine lines, none after the last.
std::string formatEnvironmentFile(const EnvironmentSettings& settings, int32_t fullScreenState);

// ReadEnvironmentFile over the file's bytes: applies each line as it is read (what was read before
// a fault stays applied) and returns runState: 0 when the file is empty, incomplete or of another
// version, 1 when every line was read, 2 when it holds the running marker (nothing else is read).
// The DirectX line counts only when `installMode` is -1 (no installer value).
int32_t parseEnvironmentFile(std::string_view bytes, int32_t installMode,
                             EnvironmentSettings& settings);

// "<save folder>/<gameTitle>.cfg" as a host path.
std::string environmentFilePath(const Engine& e);

// The settings as the engine holds them now, and back.
EnvironmentSettings currentEnvironmentSettings(const Engine& e);
void applyEnvironmentSettings(Engine& e, const EnvironmentSettings& settings);

// ReadEnvironmentFile: sets runState and the settings. A file that cannot be opened (missing,
// unreadable, a folder) changes nothing.
void readEnvironmentFile(Engine& e);
// WriteRunningMarker: replaces the file by the running marker, flushed to the disk.
void writeRunningMarker(Engine& e);
// WriteEnvironmentFile: replaces the file by the ten lines of the current settings. Both writes
// go through an atomic replace: the file is never seen half-written. A write that fails says so
// on standard error once per run and leaves the old file as it was.
void writeEnvironmentFile(Engine& e);

}  // namespace rs::shell
