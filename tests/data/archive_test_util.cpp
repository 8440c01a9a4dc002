#include "data/archive_test_util.h"

#include <gtest/gtest.h>

#include "data/archive_format.h"

namespace rs::test {

void writeArchive(const TempDir& dir, const std::string& base,
                  std::vector<data::ArchiveMember> members) {
    std::string error;
    auto files = data::buildArchive(std::move(members), error);
    ASSERT_TRUE(files) << error;
    dir.write(base + ".at2", textOf(files->directory));
    dir.write(base + ".nme", textOf(files->names));
    dir.write(base + ".det", textOf(files->data));
}

std::string rawDirectory(const std::vector<RawEntry>& entries) {
    std::string out;
    for (const RawEntry& e : entries) {
        uint8_t rec[20] = {};
        data::writeLe32(rec, e.nameOffset);
        data::writeLe32(rec + 4, e.dataOffset);
        data::writeLe32(rec + 8, e.packedSize);
        data::writeLe32(rec + 16, e.unpackedSize);
        out.append(reinterpret_cast<const char*>(rec), sizeof rec);
    }
    return out + "TRLR";
}

std::string rawNames(const std::vector<std::string>& names, std::vector<uint32_t>* offsets) {
    std::string out;
    for (const std::string& n : names) {
        if (offsets) offsets->push_back(static_cast<uint32_t>(out.size()));
        out += n;
        out += '\0';
    }
    return out + "TRLR";
}

LookupFixture::LookupFixture() : shared_(std::make_shared<Shared>()) {}

data::ResourceContext LookupFixture::context(bool withDataFolder) {
    data::ResourceContext ctx;
    ctx.programFolder = game.path();
    if (withDataFolder) ctx.dataFolder = data.path();
    ctx.paths = &paths;
    auto shared = shared_;
    ctx.log = [shared](std::string_view title, std::string_view text) {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->log.push_back(std::string(title) + "|" + std::string(text));
    };
    ctx.alert = [shared](std::string_view text, std::string_view caption) {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->alerts.push_back(std::string(caption) + "|" + std::string(text));
    };
    return ctx;
}

std::pair<int32_t, std::string> LookupFixture::load(std::string_view name, bool withDataFolder) {
    std::unique_ptr<uint8_t[]> bytes;
    int32_t n = data::LoadResource(context(withDataFolder), name, bytes);
    std::string text;
    if (n > 0 && bytes)
        text.assign(reinterpret_cast<const char*>(bytes.get()), static_cast<size_t>(n));
    if (n <= 0) {
        EXPECT_EQ(bytes, nullptr) << "a failed load hands out no buffer";
    }
    return {n, text};
}

std::vector<std::string> LookupFixture::logTexts() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->log;
}

std::vector<std::string> LookupFixture::alerts() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->alerts;
}

}  // namespace rs::test
