#include "data/archive_file.h"

#include <algorithm>

#include "data/host_file.h"
#include "data/lz.h"

namespace rs::data {

namespace {

void appendLe32(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    writeLe32(b, v);
    out.insert(out.end(), b, b + 4);
}

bool readWhole(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
    std::string reason;
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path, &reason);
    if (!bytes) {
        error = "cannot read '" + path + "': " + reason;
        return false;
    }
    out = std::move(*bytes);
    return true;
}

}  // namespace

std::optional<ArchiveFiles> buildArchive(std::vector<ArchiveMember> members, std::string& error) {
    for (const ArchiveMember& m : members) {
        if (m.name.empty() || m.name.size() > kMaxResourceName ||
            m.name.find('\0') != std::string::npos) {
            error = "unusable member name '" + m.name + "'";
            return std::nullopt;
        }
        if (m.bytes.size() > static_cast<size_t>(INT32_MAX)) {
            error = "member '" + m.name + "' is too large";
            return std::nullopt;
        }
    }
    // The engine finds members by a binary search in this order.
    std::stable_sort(members.begin(), members.end(),
                     [](const ArchiveMember& a, const ArchiveMember& b) {
                         return compareArchiveNames(a.name, b.name) < 0;
                     });
    for (size_t i = 1; i < members.size(); ++i) {
        if (compareArchiveNames(members[i - 1].name, members[i].name) == 0) {
            error = "members '" + members[i - 1].name + "' and '" + members[i].name +
                    "' have the same name";
            return std::nullopt;
        }
    }

    ArchiveFiles files;
    for (const ArchiveMember& m : members) {
        uint64_t nameOffset = files.names.size();
        uint64_t dataOffset = files.data.size();
        std::vector<uint8_t> packed = packLz(m.bytes);
        if (nameOffset > UINT32_MAX || dataOffset + packed.size() > UINT32_MAX) {
            error = "the archive would exceed 4 GiB";
            return std::nullopt;
        }
        files.names.insert(files.names.end(), m.name.begin(), m.name.end());
        files.names.push_back(0);
        files.data.insert(files.data.end(), packed.begin(), packed.end());
        appendLe32(files.directory, static_cast<uint32_t>(nameOffset));
        appendLe32(files.directory, static_cast<uint32_t>(dataOffset));
        appendLe32(files.directory, static_cast<uint32_t>(packed.size()));
        appendLe32(files.directory, 0);  // reserved
        appendLe32(files.directory, static_cast<uint32_t>(m.bytes.size()));
    }
    // The trailers are never read; they are written as zeros.
    appendLe32(files.directory, 0);
    appendLe32(files.names, 0);
    return files;
}

bool ArchiveReader::open(const std::string& basePath, std::string& error) {
    ArchiveFiles f;
    if (!readWhole(basePath + ".at2", f.directory, error) ||
        !readWhole(basePath + ".nme", f.names, error) ||
        !readWhole(basePath + ".det", f.data, error)) {
        return false;
    }
    if (f.directory.size() < kArchiveTrailerSize || f.names.size() < kArchiveTrailerSize) {
        error = "the directory or name file of " + basePath + " is truncated";
        return false;
    }
    files_ = std::move(f);
    return true;
}

void ArchiveReader::assign(ArchiveFiles files) { files_ = std::move(files); }

std::span<const uint8_t> ArchiveReader::directoryRecords() const {
    size_t n = files_.directory.size();
    return std::span<const uint8_t>(files_.directory.data(),
                                    n >= kArchiveTrailerSize ? n - kArchiveTrailerSize : 0);
}

std::span<const uint8_t> ArchiveReader::nameTable() const {
    size_t n = files_.names.size();
    return std::span<const uint8_t>(files_.names.data(),
                                    n >= kArchiveTrailerSize ? n - kArchiveTrailerSize : 0);
}

std::optional<std::string_view> ArchiveReader::name(size_t index) const {
    return archiveNameAt(nameTable(), entry(index).nameOffset);
}

int32_t ArchiveReader::find(std::string_view name) const {
    return searchArchiveLinear(ArchiveDirectory(directoryRecords()), nameTable(), name);
}

bool ArchiveReader::extract(size_t index, std::vector<uint8_t>& out, std::string& error) const {
    ArchiveEntry e = entry(index);
    out.clear();
    if (!entryDataInside(e, files_.data.size())) {
        error = "member data lies outside the data file";
        return false;
    }
    if (e.unpackedSize > INT32_MAX) {
        error = "member size is out of range";
        return false;
    }
    out.resize(e.unpackedSize);
    UnpackResult r =
        unpackLz(std::span<const uint8_t>(files_.data.data() + e.dataOffset, e.packedSize), out);
    if (!r.ok || r.produced != out.size()) {
        error = r.ok ? "member unpacks to fewer bytes than its size" : "member data is malformed";
        out.resize(r.produced);
        return false;
    }
    return true;
}

}  // namespace rs::data
