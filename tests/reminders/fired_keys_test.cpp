#include "reminders/fired_keys.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace orb {
namespace {

TEST(FiredKeys, HostileIdsReadBackAsTheSameKeysAndJunkLinesAreSkipped)
{
    // Ids come from the service: a tab, a line break or an escape of ours must neither
    // break a line nor make two keys one.
    const std::string hostile = MakeReminderKey({"event", "a\tb", "c\nd%09", "\r\x01\xff", ""});
    const std::string plain = MakeReminderKey({"event", "a", "b\tc%0Ad", "", ""});
    EXPECT_NE(hostile, MakeReminderKey({"event", "a", "b\tc\nd", "", ""}));
    FiredKeys keys;
    keys.Add(hostile, -5);
    keys.Add(plain, 1772463000);
    const FiredKeys back = FiredKeys::FromText(keys.Text());
    EXPECT_EQ(back.size(), 2u);
    EXPECT_TRUE(back.Has(hostile));
    EXPECT_TRUE(back.Has(plain));
    EXPECT_EQ(back.Text(), keys.Text());

    const FiredKeys junk = FiredKeys::FromText("12\tgood\nno tab\n12x\tbad\n\t\n99\t\n-3\tlast");
    EXPECT_EQ(junk.size(), 2u);
    EXPECT_TRUE(junk.Has("good"));
    EXPECT_TRUE(junk.Has("last"));
}

TEST(FiredKeys, PruningForgetsOnlyKeysDueMoreThanFourDaysAgo)
{
    FiredKeys keys;
    const Instant now = 1'000'000'000;
    keys.Add("old", now - 4 * 86400 - 1);
    keys.Add("edge", now - 4 * 86400);
    keys.Add("future", now + 60);
    EXPECT_TRUE(keys.Prune(now));
    EXPECT_FALSE(keys.Has("old"));
    EXPECT_TRUE(keys.Has("edge"));
    EXPECT_TRUE(keys.Has("future"));
    EXPECT_FALSE(keys.Prune(now));
}

TEST(FiredKeys, TheFileIsOwnerOnlyReadsBackAndMayBeMissing)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "orb-fired-keys-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / FiredKeys::kFileName).string();

    FiredKeys keys;
    std::string error;
    keys.Add("stale", 1);
    ASSERT_TRUE(FiredKeys::Load(path, keys, error)) << error;
    EXPECT_EQ(keys.size(), 0u); // no file yet: nothing shown

    keys.Add(MakeReminderKey({"task", "home", "milk", "2026-03-02"}), 7);
    ASSERT_TRUE(keys.Save(path, error)) << error;
    struct stat info
    {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    FiredKeys back;
    ASSERT_TRUE(FiredKeys::Load(path, back, error)) << error;
    EXPECT_EQ(back.Text(), "7\ttask\thome\tmilk\t2026-03-02\n");

    // A folder where the file should be cannot be read: the failure is told, not hidden.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(FiredKeys::Load(path, back, error));
    EXPECT_FALSE(error.empty());
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace orb
