#include "app/shell_core/desktop_files.h"

#include "core/atomic_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orb {
namespace {

namespace fs = std::filesystem;

TEST(DesktopFolders, FollowTheBaseDirectoryRules)
{
    EXPECT_EQ(DesktopFolders::From("/x/conf", "/home/me").SettingsFolder(), "/x/conf/orbcalender");
    EXPECT_EQ(DesktopFolders::From("/x/conf", "/home/me").AutostartEntry(), "/x/conf/autostart/orbcalender.desktop");
    // Unset, empty or relative: ~/.config.
    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/conf"})
        EXPECT_EQ(DesktopFolders::From(xdg, "/home/me").SettingsFolder(), "/home/me/.config/orbcalender");
    EXPECT_EQ(DesktopFolders::From(nullptr, nullptr).SettingsFolder(), "");
    EXPECT_EQ(DesktopFolders::From(nullptr, "").AutostartEntry(), "");
}

class DesktopFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("orb-desktop-files-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::current_path(start);
        fs::remove_all(dir);
    }

    const fs::path start = fs::current_path();
    fs::path dir;
};

TEST_F(DesktopFilesTest, TheSettingsFolderIsMadeOwnerOnlyAndBecomesTheWorkingFolder)
{
    const fs::path folder = dir / "conf" / "orbcalender";
    std::string error;
    ASSERT_TRUE(EnterFolder(folder.string(), error)) << error;
    EXPECT_EQ(fs::current_path(), folder);
    struct stat info
    {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // One that is there keeps its mode; a file in its place is an error that says where.
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    fs::current_path(start);
    ASSERT_TRUE(EnterFolder(folder.string(), error)) << error;
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0750u);
    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(EnterFolder((dir / "file").string(), error));
    EXPECT_NE(error.find((dir / "file").string()), std::string::npos) << error;
    EXPECT_FALSE(EnterFolder("", error));
}

TEST_F(DesktopFilesTest, TheAutostartEntryStartsThisProgramInItsSettingsFolderAndPassesTheValidator)
{
    const fs::path entry = dir / "autostart" / "orbcalender.desktop";
    std::string error;
    ASSERT_TRUE(SetAutostartEntry(entry.string(), true, "/opt/a \"b\" $HOME\\c/orbcalender", error)) << error;
    EXPECT_TRUE(HasAutostartEntry(entry.string()));
    std::string text;
    bool missing = false;
    ASSERT_TRUE(ReadWholeFile(entry.string(), text, missing, error));
    EXPECT_NE(text.find(R"(Exec="/opt/a \\"b\\" \\$HOME\\\\c/orbcalender" --config-folder)"), std::string::npos)
        << text;
    const std::string validate = "desktop-file-validate '" + entry.string() + "' >&2";
    EXPECT_EQ(std::system(validate.c_str()), 0) << text;

    ASSERT_TRUE(SetAutostartEntry(entry.string(), false, "", error)) << error;
    EXPECT_FALSE(HasAutostartEntry(entry.string()));
    EXPECT_TRUE(SetAutostartEntry(entry.string(), false, "", error)) << "already off";
}

} // namespace
} // namespace orb
