#include "platform/data_folder.h"

#include <limits.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/host_path.h"

#ifndef RUNESTAGE_INSTALL_DATADIR
#define RUNESTAGE_INSTALL_DATADIR "/usr/local/share/runestage"
#endif

namespace rs::platform {

std::string executableFolder() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::vector<std::string> dataFolderCandidates(const std::string& exeFolder, const char* override,
                                              const std::string& installedDataDir) {
    std::vector<std::string> out;
    if (override && *override) out.emplace_back(override);
    if (!exeFolder.empty()) {
        out.push_back(exeFolder + "/share/runestage");
        out.push_back(exeFolder + "/../share/runestage");
    }
    if (!installedDataDir.empty()) out.push_back(installedDataDir);
    return out;
}

std::optional<std::string> findDataFolder(const std::vector<std::string>& candidates) {
    for (const std::string& folder : candidates) {
        if (!isHostFile(folder + "/" + kDataFolderMarker)) continue;
        char resolved[PATH_MAX];
        if (::realpath(folder.c_str(), resolved)) return std::string(resolved);
        return folder;
    }
    return std::nullopt;
}

std::optional<std::string> engineDataFolder() {
    return findDataFolder(dataFolderCandidates(
        executableFolder(), std::getenv("RUNESTAGE_DATA_DIR"), RUNESTAGE_INSTALL_DATADIR));
}

}  // namespace rs::platform
