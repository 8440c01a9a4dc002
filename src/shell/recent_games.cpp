#include "shell/recent_games.h"

#include <algorithm>

#include "data/atomic_file.h"
#include "data/host_file.h"
#include "data/save_folder.h"
#include "platform/host_path.h"

namespace rs::shell {

namespace {

// Only the first lines matter; a huge file is not read past this.
constexpr size_t kReadLimit = 64 * 1024;

}  // namespace

std::string recentGamesPath(std::string_view dataRoot) {
    return std::string(dataRoot) + "/runestage/recent-games";
}

std::vector<std::string> readRecentGames(const std::string& path) {
    std::vector<std::string> out;
    auto bytes = data::readWholeFile(path, nullptr, kReadLimit);
    if (!bytes) return out;
    std::string text(bytes->begin(), bytes->end());
    size_t pos = 0;
    while (pos < text.size() && out.size() < kMaxRecentGames) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] != '/') continue;
        if (std::find(out.begin(), out.end(), line) == out.end()) out.push_back(line);
    }
    return out;
}

std::vector<std::string> withRecentGame(std::vector<std::string> list, const std::string& folder) {
    list.erase(std::remove(list.begin(), list.end(), folder), list.end());
    list.insert(list.begin(), folder);
    if (list.size() > kMaxRecentGames) list.resize(kMaxRecentGames);
    return list;
}

bool rememberRecentGame(const std::string& path, const std::string& folder) {
    if (folder.empty() || folder[0] != '/' || folder.find('\n') != std::string::npos) return false;
    std::vector<std::string> list = withRecentGame(readRecentGames(path), folder);
    std::string text;
    for (const std::string& f : list) text += f + "\n";
    platform::PathResolver paths;
    if (!data::createFoldersFor(path, paths)) return false;
    auto outcome = data::replaceFile(
        path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    return outcome == data::WriteOutcome::Ok;
}

}  // namespace rs::shell
