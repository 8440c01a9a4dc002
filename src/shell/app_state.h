// The application state every subsystem reads: the window, whether the program is stopping,
// folders, game strings and user-interface switches.
#pragma once

#include <cstdint>
#include <string>

#include "platform/view_transform.h"

namespace rs::shell {

// The player's sound settings: they scale the game's mix as it is heard (an audio capture keeps
// the mix before them). Set by --volume and --mute, and by the [sound] section of the settings.
struct PlayerSound {
    int32_t volume = 100;  // 0-100
    bool mute = false;
};

struct AppState {
    // The main window exists until it is destroyed (a fatal script error, the player closing it).
    bool mainWindow = true;
    // 0 running; 1 an orderly stop was requested; 2 the window is being destroyed.
    int32_t quitLevel = 0;
    int32_t singleInstanceChecks = 1;
    int32_t variablePoolSize = 32768;

    // Host folders (UTF-8 host paths). The program folder is the game folder.
    std::string programFolder = ".";
    std::string dataFolderPrefix;  // set by -path; searched for data after the program folder
    std::string installPath;       // where "save\rune_error.log" lives; the program folder
    // Where per-user data goes ($XDG_DATA_HOME or ~/.local/share); the save folder is
    // <userDataFolder>/SEIRAN-DO/<gameKey>. Read from the environment at start-up when empty.
    std::string userDataFolder;

    // The four game strings (code page 932), overridable from "gamestr.txt".
    std::string engineName = "Rune Stage";
    std::string gameTitle = "雪花ノ記憶";
    std::string gameKey = "yukibana";
    std::string cdFolderName = "yukibana";
    // The caption restored after a minimise; the script's title command changes it.
    std::string windowTitle = "雪花ノ記憶";

    // The desktop's colour depth; a Linux desktop is always reported as 32 bits.
    int32_t desktopBitsPerPixel = 32;
    int32_t runState = 0;
    int32_t closeByScript = 0;
    int32_t closeRequested = 0;
    int32_t modalBoxUp = 0;
    int32_t cursorMode = -1;
    // The upper-left corner of the game picture in the client area, in window pixels: the origin
    // of the view transform (display/screen_mode.h), which maps the mouse to game pixels.
    int32_t clientOffsetX = 0;
    int32_t clientOffsetY = 0;
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    // The SIMD switch: 1 when the processor has the vector instructions the blits use (set at
    // start-up, -1 until then); the blits then take the packed formulas where those differ.
    int32_t hasMmx = -1;
    // False with --no-simd: the switch stays off and the blits run their plain code only.
    bool simdAllowed = true;
    int32_t cpuClockKHz = 33000;
    // The registry value "MV_Mode", which scripts read with the movie mode command.
    int32_t movieMode = 0;
    PlayerSound playerSound;

    // The window: 1 from its creation until it loses the focus, then 1 again when it regains it.
    int32_t windowActive = 1;
    // 1 while a movie plays: the window's size and full-screen requests are then ignored.
    int32_t moviePlaying = 0;

    // Display settings. The screen mode applied when the game makes its screen: -1 not
    // configured (start-up makes it 0), 0 window, 1 full screen.
    int32_t windowModeSetting = -1;
    // The back-end the configuration asks for: DirectX when useDirectX > 0, then Direct3D when
    // useDirect3D is not 0 (kind 2), else DirectDraw (kind 1); GDI (kind 0) without DirectX.
    int32_t useDirectX = 1;
    int32_t useDirect3D = 1;
    // --back-end: the kind asked for over the configuration (-1: none).
    int32_t backEndRequest = -1;
    // The window's size is the game screen times this factor; 0 chooses the largest that fits
    // (platform::defaultWindowScale). A headless run keeps 1.
    int32_t windowScale = 1;
    // How the picture is scaled to the window.
    platform::ScaleFilter scaleFilter = platform::ScaleFilter::Sharp;

    // Set once a fatal script error has been reported: the run then ends with status 2.
    bool fatalErrorReported = false;
};

}  // namespace rs::shell
