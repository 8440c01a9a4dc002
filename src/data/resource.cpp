#include "data/resource.h"

#include <cstdio>
#include <new>
#include <span>
#include <vector>

#include "data/archive_format.h"
#include "data/lz.h"
#include "platform/encoding.h"
#include "platform/host_path.h"

namespace rs::data {

namespace {

// A failed read of a directory file starts the lookup over; it gives up after this many tries.
constexpr int kDirectoryAttempts = 4;
// A name file is read at most this many times.
constexpr int kNameFileAttempts = 4;

// The host folders searched, in order.
std::vector<std::string> searchFolders(const ResourceContext& ctx) {
    std::vector<std::string> folders{ctx.programFolder};
    if (!ctx.dataFolder.empty()) {
        if (ctx.dataFolder[0] == '/') {
            folders.push_back(ctx.dataFolder);
        } else {
            folders.push_back(platform::joinHostPath(ctx.programFolder, ctx.dataFolder));
        }
    }
    return folders;
}

std::optional<std::string> findIn(const ResourceContext& ctx, const std::string& folder,
                                  std::string_view name) {
    if (!ctx.paths) return std::nullopt;
    return ctx.paths->findExisting(folder, name);
}

void logFileError(const ResourceContext& ctx, const std::string& hostPath, int count) {
    if (!ctx.log) return;
    // Log texts are code page 932; so is the path, where it converts.
    std::string shown = platform::utf8ToCp932(hostPath).value_or(hostPath);
    char text[2048];
    std::snprintf(text, sizeof text, "ファイル「%s」、エラーカウント%d", shown.c_str(), count);
    ctx.log(kFileErrorTitle, text);
}

// Reads a directory or name file: everything but the 4-byte trailer, then the trailer. False when
// the file is shorter than its trailer or cannot be read; `memoryFailed` when it is too large.
bool readTable(const HostFile& f, std::vector<uint8_t>& out, bool& memoryFailed) {
    out.clear();
    int64_t size = f.size();
    if (size < static_cast<int64_t>(kArchiveTrailerSize)) return false;
    uint64_t body = static_cast<uint64_t>(size) - kArchiveTrailerSize;
    try {
        out.resize(static_cast<size_t>(body));
    } catch (const std::bad_alloc&) {
        memoryFailed = true;
        return false;
    }
    uint8_t trailer[kArchiveTrailerSize];
    if (!f.readAt(0, out.data(), out.size()) || !f.readAt(body, trailer, sizeof trailer)) {
        out.clear();
        return false;
    }
    return true;
}

// An archive's directory and names, and the folder its files were found in.
struct ArchiveTables {
    std::string folder;
    std::vector<uint8_t> directory;
    std::vector<uint8_t> names;
};

// Opens "<base>.at2" in the game folder, else in the data folder. The host path goes to `path`.
HostFile openDirectory(const ResourceContext& ctx, const std::string& fileName, std::string& folder,
                       std::string& path) {
    for (const std::string& f : searchFolders(ctx)) {
        auto host = findIn(ctx, f, fileName);
        if (!host) continue;
        HostFile file = HostFile::openRead(*host);
        if (!file.isOpen()) continue;
        folder = f;
        path = *host;
        return file;
    }
    return HostFile();
}

bool readArchiveTables(const ResourceContext& ctx, std::string_view base, ArchiveTables& t) {
    std::string baseName(base);
    bool directoryRead = false;
    for (int attempt = 0; attempt < kDirectoryAttempts && !directoryRead; ++attempt) {
        std::string path;
        HostFile f = openDirectory(ctx, baseName + ".at2", t.folder, path);
        if (!f.isOpen()) return false;
        bool memoryFailed = false;
        directoryRead = readTable(f, t.directory, memoryFailed);
        if (memoryFailed) return false;
        if (!directoryRead) logFileError(ctx, path, 0);
    }
    if (!directoryRead) return false;

    auto namesPath = findIn(ctx, t.folder, baseName + ".nme");
    if (!namesPath) return false;
    for (int attempt = 0; attempt < kNameFileAttempts; ++attempt) {
        HostFile f = HostFile::openRead(*namesPath);
        if (!f.isOpen()) return false;
        bool memoryFailed = false;
        if (readTable(f, t.names, memoryFailed)) return true;
        if (memoryFailed) return false;
        logFileError(ctx, *namesPath, attempt);
    }
    // Never search a table that could not be read.
    return false;
}

int32_t loadLooseFile(const ResourceContext& ctx, const HostFile& f,
                      std::unique_ptr<uint8_t[]>& data) {
    int64_t size = f.size();
    if (size < 0) return -1;
    if (size == 0) return 0;
    std::unique_ptr<uint8_t[]> buffer;
    if (size <= INT32_MAX) buffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    if (!buffer) {
        if (ctx.alert) ctx.alert("メモリ確保が出来ません", "致命的なエラー");
        return 0;
    }
    // A file that cannot be read in full is not loaded.
    if (!f.readAt(0, buffer.get(), static_cast<size_t>(size))) return -1;
    data = std::move(buffer);
    return static_cast<int32_t>(size);
}

int32_t loadArchiveMember(const ResourceContext& ctx, std::string_view base,
                          std::string_view member, std::unique_ptr<uint8_t[]>& data) {
    ArchiveTables tables;
    if (!readArchiveTables(ctx, base, tables)) return -1;
    ArchiveDirectory dir(tables.directory);
    int32_t index = searchArchiveSorted(dir, tables.names, member);
    if (index < 0) return -1;
    ArchiveEntry entry = dir.entry(static_cast<size_t>(index));

    // The data file must hold the packed bytes the directory names; anything else fails the load.
    auto dataPath = findIn(ctx, tables.folder, std::string(base) + ".det");
    if (!dataPath) return -1;
    HostFile f = HostFile::openRead(*dataPath);
    int64_t dataSize = f.size();
    if (dataSize < 0 || !entryDataInside(entry, static_cast<uint64_t>(dataSize))) return -1;
    if (entry.packedSize > INT32_MAX || entry.unpackedSize > INT32_MAX) return -1;
    std::unique_ptr<uint8_t[]> packed(new (std::nothrow)
                                          uint8_t[entry.packedSize > 0 ? entry.packedSize : 1]);
    if (!packed || !f.readAt(entry.dataOffset, packed.get(), entry.packedSize)) return -1;
    f.close();

    std::unique_ptr<uint8_t[]> out;
    int32_t produced = UnpackArchiveData(packed.get(), static_cast<int32_t>(entry.packedSize),
                                         static_cast<int32_t>(entry.unpackedSize), out);
    if (produced <= 0) return produced < 0 ? -1 : 0;
    data = std::move(out);
    return produced;
}

}  // namespace

std::optional<std::pair<std::string_view, std::string_view>> splitArchiveName(
    std::string_view name) {
    for (size_t i = 0; i < name.size(); ++i) {
        auto b = static_cast<uint8_t>(name[i]);
        if (platform::isLeadByte(b) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (b == '\\') return std::make_pair(name.substr(0, i), name.substr(i + 1));
    }
    return std::nullopt;
}

std::optional<std::string> findLooseFile(const ResourceContext& ctx, std::string_view name) {
    if (name.empty() || name.size() > kMaxResourceName) return std::nullopt;
    for (const std::string& folder : searchFolders(ctx)) {
        if (auto host = findIn(ctx, folder, name)) return host;
    }
    return std::nullopt;
}

HostFile OpenLooseFile(const ResourceContext& ctx, std::string_view name) {
    if (name.empty() || name.size() > kMaxResourceName) return HostFile();
    for (const std::string& folder : searchFolders(ctx)) {
        auto host = findIn(ctx, folder, name);
        if (!host) continue;
        HostFile f = HostFile::openRead(*host);
        if (f.isOpen()) return f;
    }
    return HostFile();
}

bool LooseFileExists(const ResourceContext& ctx, std::string_view name) {
    return findLooseFile(ctx, name).has_value();
}

int32_t LoadResource(const ResourceContext& ctx, std::string_view name,
                     std::unique_ptr<uint8_t[]>& data) {
    data.reset();
    if (name.size() > kMaxResourceName) return -1;
    HostFile loose = OpenLooseFile(ctx, name);
    if (loose.isOpen()) return loadLooseFile(ctx, loose, data);
    auto parts = splitArchiveName(name);
    if (!parts) return -1;
    return loadArchiveMember(ctx, parts->first, parts->second, data);
}

int32_t FindArchiveEntry(const ResourceContext& ctx, std::string_view name) {
    if (name.size() > kMaxResourceName) return -1;
    auto parts = splitArchiveName(name);
    if (!parts) return -1;
    ArchiveTables tables;
    if (!readArchiveTables(ctx, parts->first, tables)) return -1;
    return searchArchiveLinear(ArchiveDirectory(tables.directory), tables.names, parts->second);
}

bool ResourceExists(const ResourceContext& ctx, std::string_view name) {
    return LooseFileExists(ctx, name) || FindArchiveEntry(ctx, name) >= 0;
}

ArchiveCheck checkArchive(const ResourceContext& ctx, std::string_view base) {
    ArchiveCheck out;
    std::string baseName(base);
    std::string path;
    HostFile directory = openDirectory(ctx, baseName + ".at2", out.folder, path);
    if (!directory.isOpen()) {
        out.problem = "its directory file " + baseName + ".at2 cannot be opened";
        return out;
    }
    std::vector<uint8_t> records, names;
    bool memoryFailed = false;
    if (!readTable(directory, records, memoryFailed)) {
        out.problem = "its directory file " + baseName + ".at2 cannot be read" +
                      (memoryFailed ? " (too large)" : " (too short or unreadable)");
        return out;
    }
    auto namesPath = findIn(ctx, out.folder, baseName + ".nme");
    HostFile nameFile = namesPath ? HostFile::openRead(*namesPath) : HostFile();
    if (!nameFile.isOpen()) {
        out.problem = "its name file " + baseName + ".nme is missing";
        return out;
    }
    if (!readTable(nameFile, names, memoryFailed)) {
        out.problem = "its name file " + baseName + ".nme cannot be read";
        return out;
    }
    auto dataPath = findIn(ctx, out.folder, baseName + ".det");
    HostFile dataFile = dataPath ? HostFile::openRead(*dataPath) : HostFile();
    if (!dataFile.isOpen()) {
        out.problem = "its data file " + baseName + ".det is missing";
        return out;
    }
    int64_t dataSize = dataFile.size();
    ArchiveDirectory dir(records);
    out.members = dir.count();
    size_t outside = 0, unnamed = 0;
    for (size_t i = 0; i < dir.count(); ++i) {
        ArchiveEntry entry = dir.entry(i);
        if (dataSize < 0 || !entryDataInside(entry, static_cast<uint64_t>(dataSize))) ++outside;
        if (!archiveNameAt(names, entry.nameOffset)) ++unnamed;
    }
    if (outside > 0) {
        out.problem = std::to_string(outside) + " of its " + std::to_string(out.members) +
                      " members lie beyond the end of " + baseName +
                      ".det (a short or damaged copy)";
    } else if (unnamed > 0) {
        out.problem = std::to_string(unnamed) + " of its members have no name in " + baseName +
                      ".nme (a damaged copy)";
    } else {
        out.readable = true;
    }
    return out;
}

}  // namespace rs::data
