#pragma once

#include "cache/local_cache.h"
#include "tests/support/core_doubles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace orb::test {

// A fresh folder per test with the cache file's path in it.
class CacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir =
            std::filesystem::temp_directory_path() / ("orb-cache-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        path = (dir / "orbcalender-cache.sqlite").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::unique_ptr<LocalCache> OpenCache(const std::string& account = "me@example.com")
    {
        CacheOpening opening = LocalCache::Open(path, account, clock);
        EXPECT_TRUE(opening.cache) << opening.reason;
        return std::move(opening.cache);
    }

    static std::string ReadBytes(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void WriteBytes(const std::string& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::filesystem::path dir;
    std::string path;
    FixedClock clock; // 2026-12-08 09:30:00
};

// A text no column may change: both quotes and SQL of its own, every control byte but NUL,
// Korean, bytes that are not UTF-8, and (with `length`) more than a database page holds.
inline std::string Hostile(const std::string& name, std::size_t length = 0)
{
    std::string text = name + " 'it''s' \"q\" ); DROP TABLE events; --";
    for (char c = 1; c < 0x20; ++c)
        text += c;
    text += "\x7f 한국어 일정 \xff\xfe\xc3";
    if (text.size() < length)
        text.append(length - text.size(), 'L');
    return text;
}

inline std::vector<std::string> Ids(const auto& records)
{
    std::vector<std::string> ids;
    for (const auto& record : records)
        ids.push_back(record.id);
    return ids;
}

inline SyncState Token(const std::string& syncToken)
{
    SyncState state;
    state.syncToken = syncToken;
    return state;
}

inline SyncState Since(const std::string& updatedMin)
{
    SyncState state;
    state.updatedMin = updatedMin;
    return state;
}

} // namespace orb::test
