// The game folders a player played in a window, most recent first, kept in
// "<XDG_DATA_HOME>/runestage/recent-games" (default "~/.local/share/runestage/recent-games"), one
// host path a line. The launcher offers them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rs::shell {

constexpr size_t kMaxRecentGames = 10;

// "<dataRoot>/runestage/recent-games".
std::string recentGamesPath(std::string_view dataRoot);

// The list in the file: empty lines, lines that are no absolute path and repeats are skipped; at
// most kMaxRecentGames. A missing or unreadable file is an empty list.
std::vector<std::string> readRecentGames(const std::string& path);

// The list with `folder` first (moved there when it was listed), cut to kMaxRecentGames.
std::vector<std::string> withRecentGame(std::vector<std::string> list, const std::string& folder);

// Puts `folder` first in the file (made with its folder when missing; replaced as a whole). False
// when it cannot be written; the old file is then unchanged.
bool rememberRecentGame(const std::string& path, const std::string& folder);

}  // namespace rs::shell
