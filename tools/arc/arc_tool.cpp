#include "arc/arc_tool.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/tool_support.h"
#include "data/archive_file.h"
#include "platform/encoding.h"
#include "platform/host_path.h"

namespace rs::tools {

namespace fs = std::filesystem;

namespace {

const char* kUsage =
    "Usage: rs-arc list BASE\n"
    "       rs-arc extract BASE [MEMBER...] -C DIR\n"
    "       rs-arc create DIR BASE\n"
    "BASE is the archive's path without extension (BASE.at2, BASE.nme, BASE.det).\n"
    "Member names are shown and written in UTF-8; inside the archive they are Shift-JIS.\n";

std::string shown(std::string_view member) { return platform::cp932ToUtf8(member); }

std::string ratio(uint64_t packed, uint64_t unpacked) {
    char buf[32];
    if (unpacked == 0) return "    -";
    std::snprintf(buf, sizeof buf, "%5.1f%%",
                  100.0 * static_cast<double>(packed) / static_cast<double>(unpacked));
    return buf;
}

bool writeFile(const fs::path& path, const std::vector<uint8_t>& bytes, std::ostream& err) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) {
        err << "rs-arc: cannot write " << path.string() << "\n";
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> memberNameFromHostPath(std::string_view relative) {
    std::string out;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string_view::npos) end = relative.size();
        std::string_view part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        std::optional<std::string> converted = platform::utf8ToCp932(part);
        if (!converted) {
            // A name stored on disk in code page 932 already.
            if (!platform::cp932ToUtf8Strict(part)) return std::nullopt;
            converted = std::string(part);
        }
        if (!out.empty()) out += '\\';
        out += *converted;
    }
    if (out.empty()) return std::nullopt;
    return out;
}

std::optional<std::string> hostPathFromMemberName(std::string_view member) {
    std::string out;
    for (const std::string& part : platform::splitGamePath(member)) {
        if (part == "." || part == "..") return std::nullopt;
        std::optional<std::string> utf8 = platform::cp932ToUtf8Strict(part);
        if (!out.empty()) out += '/';
        out += utf8 ? *utf8 : part;
    }
    if (out.empty()) return std::nullopt;
    return out;
}

int arcList(const std::string& base, std::ostream& out, std::ostream& err) {
    data::ArchiveReader archive;
    std::string error;
    if (!archive.open(base, error)) {
        err << "rs-arc: " << error << "\n";
        return 1;
    }
    uint64_t totalPacked = 0;
    uint64_t totalUnpacked = 0;
    char line[64];
    out << "  unpacked     packed  ratio  name\n";
    for (size_t i = 0; i < archive.count(); ++i) {
        data::ArchiveEntry e = archive.entry(i);
        auto name = archive.name(i);
        std::snprintf(line, sizeof line, "%10u %10u %s  ", e.unpackedSize, e.packedSize,
                      ratio(e.packedSize, e.unpackedSize).c_str());
        out << line << (name ? shown(*name) : std::string("(name outside the name file)")) << "\n";
        totalPacked += e.packedSize;
        totalUnpacked += e.unpackedSize;
    }
    std::snprintf(
        line, sizeof line, "%10llu %10llu %s  ", static_cast<unsigned long long>(totalUnpacked),
        static_cast<unsigned long long>(totalPacked), ratio(totalPacked, totalUnpacked).c_str());
    out << line << archive.count() << " members\n";
    return 0;
}

int arcExtract(const std::string& base, const std::vector<std::string>& members,
               const std::string& dir, std::ostream& out, std::ostream& err) {
    data::ArchiveReader archive;
    std::string error;
    if (!archive.open(base, error)) {
        err << "rs-arc: " << error << "\n";
        return 1;
    }
    std::vector<size_t> chosen;
    int status = 0;
    if (members.empty()) {
        for (size_t i = 0; i < archive.count(); ++i) chosen.push_back(i);
    }
    for (const std::string& m : members) {
        std::optional<std::string> name = memberNameFromHostPath(m);
        int32_t index = name ? archive.find(*name) : -1;
        if (index < 0) {
            err << "rs-arc: no member " << m << "\n";
            status = 1;
            continue;
        }
        chosen.push_back(static_cast<size_t>(index));
    }
    for (size_t i : chosen) {
        auto name = archive.name(i);
        std::optional<std::string> relative = name ? hostPathFromMemberName(*name) : std::nullopt;
        if (!relative) {
            err << "rs-arc: member " << i << " has a name that cannot be extracted safely\n";
            status = 1;
            continue;
        }
        std::vector<uint8_t> bytes;
        if (!archive.extract(i, bytes, error)) {
            err << "rs-arc: " << *relative << ": " << error << "\n";
            status = 1;
            continue;
        }
        fs::path target = fs::path(dir) / *relative;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (!writeFile(target, bytes, err)) {
            status = 1;
            continue;
        }
        out << *relative << "\n";
    }
    return status;
}

int arcCreate(const std::string& dir, const std::string& base, std::ostream& out,
              std::ostream& err) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        err << "rs-arc: " << dir << " is not a folder\n";
        return 1;
    }
    std::vector<data::ArchiveMember> members;
    uint64_t totalUnpacked = 0;
    for (auto it = fs::recursive_directory_iterator(dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        std::string relative = fs::relative(it->path(), dir).generic_string();
        std::optional<std::string> name = memberNameFromHostPath(relative);
        if (!name) {
            err << "rs-arc: " << relative << ": the name has no Shift-JIS form\n";
            return 1;
        }
        std::optional<std::vector<uint8_t>> bytes =
            readInputFile("rs-arc", it->path().string(), err);
        if (!bytes) return 1;
        data::ArchiveMember m;
        m.name = *name;
        m.bytes = std::move(*bytes);
        totalUnpacked += m.bytes.size();
        members.push_back(std::move(m));
    }
    if (ec) {
        err << "rs-arc: cannot list " << dir << ": " << ec.message() << "\n";
        return 1;
    }
    size_t count = members.size();
    std::string error;
    std::optional<data::ArchiveFiles> files = data::buildArchive(std::move(members), error);
    if (!files) {
        err << "rs-arc: " << shown(error) << "\n";
        return 1;
    }
    if (!writeFile(base + ".at2", files->directory, err) ||
        !writeFile(base + ".nme", files->names, err) ||
        !writeFile(base + ".det", files->data, err)) {
        return 1;
    }
    out << count << " members, " << totalUnpacked << " bytes packed to " << files->data.size()
        << " (" << ratio(files->data.size(), totalUnpacked) << ")\n";
    return 0;
}

int arcMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    int answered = answerCommonOptions("rs-arc", args, kUsage, out, err);
    if (answered >= 0) return answered;
    const std::string& command = args[0];
    if (command == "list" && args.size() == 2) return arcList(args[1], out, err);
    if (command == "create" && args.size() == 3) return arcCreate(args[1], args[2], out, err);
    if (command == "extract" && args.size() >= 2) {
        std::vector<std::string> members;
        std::string dir;
        for (size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "-C" && i + 1 < args.size()) {
                dir = args[++i];
            } else {
                members.push_back(args[i]);
            }
        }
        if (!dir.empty()) return arcExtract(args[1], members, dir, out, err);
    }
    err << kUsage;
    return 2;
}

}  // namespace rs::tools
