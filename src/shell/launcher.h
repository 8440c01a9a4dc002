// The launcher: what runestage shows in its window when it is started without a game folder and
// the current folder holds no game (from the desktop's menu). It lists the game folders played
// before, most recent first, and has a field for a folder path; "Play" starts the folder in the
// field once it holds a game, and says why not otherwise. The dialog is plain data with its
// procedure here; the host only draws it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace rs::platform {
class Window;
}

namespace rs::shell {

namespace launcher_ids {
constexpr int32_t kPlay = 1;
constexpr int32_t kQuit = 2;
constexpr int32_t kRecent = 100;   // the folders played before
constexpr int32_t kFolder = 101;   // the field for a folder path
constexpr int32_t kMessage = 102;  // why the folder in the field cannot be played
}  // namespace launcher_ids

// Empty when a game can start from the folder, else the reason in plain words.
using GameFolderTest = std::function<std::string(const std::string& folder)>;

// The launcher's dialog over the folders played before (host paths, most recent first): the
// first of them is in the field and selected, so Return plays it again. `home` shortens the
// folders under it to "~/..." in the list.
platform::Dialog launcherDialog(const std::vector<std::string>& recent, const std::string& home);

class LauncherProcedure final : public platform::DialogProcedure {
  public:
    // `home` expands "~" in a typed path; `here` is where relative paths start.
    LauncherProcedure(std::vector<std::string> recent, std::string home, std::string here,
                      GameFolderTest test);
    std::optional<int32_t> onCommand(platform::Dialog& dialog, int32_t id,
                                     platform::DialogNotice notice) override;
    // The folder "Play" accepted (empty until then).
    const std::string& chosen() const { return chosen_; }

  private:
    std::vector<std::string> recent_;
    std::string home_;
    std::string here_;
    GameFolderTest test_;
    std::string chosen_;
};

// Shows the launcher in the window, placed for it: the chosen game folder, none when the player
// quit. `recentFile` holds the folders played before.
std::optional<std::string> runLauncher(platform::Window& window, platform::DialogPresenter& dialogs,
                                       const std::string& recentFile, const GameFolderTest& test);

}  // namespace rs::shell
