// Resource lookup: every piece of game data read by name comes through LoadResource, which takes
// a loose file when there is one and otherwise the member of an archive. The part of the name
// before its first '\' names the archive (files <part>.at2, .nme and .det), the rest names the
// member. Two places are searched in turn: the game folder, then the data folder given with -path.
//
// Lookups keep no state between calls and share nothing but the path resolver (which locks), so
// they may run on the main thread and on loader threads at the same time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/host_file.h"

namespace rs::platform {
class PathResolver;
}

namespace rs::data {

// What a lookup needs, handed over explicitly so that a worker thread can hold its own copy.
struct ResourceContext {
    std::string programFolder;  // host folder of the game: relative names start here
    std::string
        dataFolder;  // host folder of -path (relative ones start at the game folder), or empty
    platform::PathResolver* paths = nullptr;
    // Appends an error-log entry (title, text); called from any thread.
    std::function<void(std::string_view, std::string_view)> log;
    // Shows a message box without owner window (text, caption); called from any thread.
    std::function<void(std::string_view, std::string_view)> alert;
};

// The text of the log entry written when an archive's directory or name file cannot be read.
constexpr const char* kFileErrorTitle = "ファイル操作中にエラーが発生しました";

// The host path of a loose file: the name in the game folder, else in the data folder.
std::optional<std::string> findLooseFile(const ResourceContext& ctx, std::string_view name);

// OpenLooseFile: the loose file opened for reading (a folder does not open); closed when none.
HostFile OpenLooseFile(const ResourceContext& ctx, std::string_view name);

// LooseFileExists: a file or folder of that name in either place.
bool LooseFileExists(const ResourceContext& ctx, std::string_view name);

// LoadResource: the whole resource in a new buffer owned by the caller; returns its size (> 0).
// 0 or less means not loaded: 0 for an empty loose file or one too large for memory (after the
// "メモリ確保が出来ません" box), -1 for a missing name, an unreadable file or a malformed archive.
int32_t LoadResource(const ResourceContext& ctx, std::string_view name,
                     std::unique_ptr<uint8_t[]>& data);

// ResourceExists: a loose file, else an archive member found by FindArchiveEntry.
bool ResourceExists(const ResourceContext& ctx, std::string_view name);

// FindArchiveEntry: the index of the first directory record, in file order, naming the member;
// -1 when there is none (no archive, no '\' in the name, unreadable tables).
int32_t FindArchiveEntry(const ResourceContext& ctx, std::string_view name);

// What a read-only check of one archive found.
struct ArchiveCheck {
    bool readable = false;  // the directory and the names read, and every member lies in the data
    size_t members = 0;
    std::string folder;   // host folder the directory file was found in
    std::string problem;  // in plain English when not readable
};

// Reads the tables of the archive `base` (files <base>.at2, .nme, .det) the way lookups do, and
// checks that every member's packed bytes lie inside the data file. Writes nothing.
ArchiveCheck checkArchive(const ResourceContext& ctx, std::string_view base);

// Splits a resource name at its first '\' that is not the second byte of a double-byte
// character: archive part and member part. nullopt when there is no separator.
std::optional<std::pair<std::string_view, std::string_view>> splitArchiveName(
    std::string_view name);

}  // namespace rs::data
