#include "sound/cd_tracks.h"

#include <dirent.h>

#include <array>
#include <tuple>

#include "data/save_folder.h"
#include "platform/host_path.h"

namespace rs::sound {

namespace {

// Rippers name tracks in these forms; names copied from a Windows disc may be in capitals.
constexpr std::array<const char*, 4> kNameForms = {"track", "Track", "TRACK", ""};
constexpr std::array<const char*, 5> kExtensions = {"ogg", "flac", "wav", "mp3", "opus"};

// The track number and rank (name form, extension) of a file name; 0 when it names no track.
struct NameMatch {
    int32_t track = 0;
    size_t form = 0;
    size_t extension = 0;
};

NameMatch matchTrackName(const std::string& name) {
    for (size_t f = 0; f < kNameForms.size(); ++f) {
        std::string prefix = kNameForms[f];
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        size_t at = prefix.size();
        if (name.size() < at + 3 || name[at + 2] != '.') continue;
        char d0 = name[at], d1 = name[at + 1];
        if (d0 < '0' || d0 > '9' || d1 < '0' || d1 > '9') continue;
        int32_t track = (d0 - '0') * 10 + (d1 - '0');
        if (track == 0) continue;
        std::string ext = name.substr(at + 3);
        std::string lower = ext;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        for (size_t e = 0; e < kExtensions.size(); ++e) {
            if (ext == kExtensions[e]) return {track, f, e};
        }
        // An extension in other letters ("OGG") ranks after every one in small letters.
        for (size_t e = 0; e < kExtensions.size(); ++e) {
            if (lower == kExtensions[e]) return {track, f, kExtensions.size() + e};
        }
    }
    return {};
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::map<int32_t, std::string> findCdTracks(const std::vector<std::string>& bases,
                                            const std::string& cdFolderName) {
    std::vector<std::string> subfolders = {"cd", "CD"};
    if (!cdFolderName.empty() && data::staysInFolder(cdFolderName) &&
        cdFolderName.find('\\') == std::string::npos && cdFolderName != "cd" &&
        cdFolderName != "CD")
        subfolders.push_back(cdFolderName);
    subfolders.push_back("");

    // The best place of each track so far, ranked by (base, folder, name form, extension).
    using Rank = std::tuple<size_t, size_t, size_t, size_t>;
    std::map<int32_t, std::pair<Rank, std::string>> best;
    for (size_t b = 0; b < bases.size(); ++b) {
        if (bases[b].empty()) continue;
        for (size_t s = 0; s < subfolders.size(); ++s) {
            std::string folder = subfolders[s].empty() ? bases[b] : joined(bases[b], subfolders[s]);
            DIR* dir = opendir(folder.c_str());
            if (!dir) continue;
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                NameMatch m = matchTrackName(name);
                if (m.track == 0) continue;
                Rank rank{b, s, m.form, m.extension};
                auto it = best.find(m.track);
                if (it != best.end() && !(rank < it->second.first)) continue;
                std::string path = joined(folder, name);
                if (!platform::isHostFile(path)) continue;
                best[m.track] = {rank, path};
            }
            closedir(dir);
        }
    }
    std::map<int32_t, std::string> tracks;
    for (auto& [track, place] : best) tracks[track] = place.second;
    return tracks;
}

int32_t CdTrackSource::read(int16_t* out, int32_t frames) {
    int32_t done = 0;
    while (done < frames) {
        int32_t got = decoder_->read(out + static_cast<size_t>(done) * 2, frames - done);
        if (got > 0) soundSinceStart_ = true;
        done += got;
        if (done == frames) break;
        // The track ended.
        if (!repeat_ || !soundSinceStart_ || !decoder_->seek(0)) break;
        soundSinceStart_ = false;
        ++repeats_;
    }
    return done;
}

}  // namespace rs::sound
