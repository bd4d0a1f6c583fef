#include "app/shell_core/profile_file.h"
#include "app/shell_core/settings.h"
#include "tools/fake-service/self_signed_certificate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// What this test program syncs, when asked: only a real sync shows that a write survives a crash.
namespace {
bool recordSyncs = false;
std::vector<std::string> synced;
} // namespace

extern "C" int fsync(int fd)
{
    static const auto realSync = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    if (recordSyncs) {
        char target[4096] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        if (::readlink(link.c_str(), target, sizeof target - 1) > 0)
            synced.emplace_back(target);
    }
    return realSync(fd);
}

namespace orb {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("orb-settings-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = SettingsFile::PathIn(dir.string());
    }
    void TearDown() override { fs::remove_all(dir); }

    void WriteFile(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }
    std::string ReadFile() const
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    fs::path dir;
    std::string path;
};

AppSettings ChangedSettings()
{
    AppSettings s;
    s.KEY = "1//0gRefresh-Token_x";
    s.U = "user@example.com";
    s.P = " p?a=ss\"word \xED\x95\x9C ";
    s.WindowPos = {-20, 30, 520, 930};
    s.Zorder = 1;
    s.Alpha = 255;
    s.nCal_from = 14;
    s.nCal_to = 62;
    s.nTaskViewMode = 2;
    s.bAllExpend = 0;
    s.bDueHide = 1;
    s.defaultFont.lfHeight = -15;
    s.defaultFont.lfWeight = 700;
    s.defaultFont.lfItalic = 1;
    s.defaultFont.lfFaceName = "\xEB\xA7\x91\xEC\x9D\x80 \xEA\xB3\xA0\xEB\x94\x95"; // 맑은 고딕
    s.defaultCalendarFont.lfHeight = -20;
    s.defaultCalendarFont.lfFaceName = "DejaVu Sans";
    s.WindowPosCalendar = {0, 0, 1280, 800};
    s.ZorderCalendar = 4;
    s.bShowCalendar = 1;
    s.bShowList = 0;
    s.CalendarShowRow = 3;
    s.bReminders = 0;
    s.nTaskReminderTime = 14 * 60 + 30;
    s.nSyncMinutes = 1440;
    s.bWindowSystemTold = 1;
    return s;
}

void ExpectSame(const AppSettings& a, const AppSettings& b)
{
    EXPECT_EQ(a.KEY, b.KEY);
    EXPECT_EQ(a.U, b.U);
    EXPECT_EQ(a.P, b.P);
    EXPECT_EQ(a.WindowPos, b.WindowPos);
    EXPECT_EQ(a.Zorder, b.Zorder);
    EXPECT_EQ(a.Alpha, b.Alpha);
    EXPECT_EQ(a.nCal_from, b.nCal_from);
    EXPECT_EQ(a.nCal_to, b.nCal_to);
    EXPECT_EQ(a.nTaskViewMode, b.nTaskViewMode);
    EXPECT_EQ(a.bAllExpend, b.bAllExpend);
    EXPECT_EQ(a.bDueHide, b.bDueHide);
    EXPECT_EQ(a.defaultFont, b.defaultFont);
    EXPECT_EQ(a.defaultCalendarFont, b.defaultCalendarFont);
    EXPECT_EQ(a.WindowPosCalendar, b.WindowPosCalendar);
    EXPECT_EQ(a.ZorderCalendar, b.ZorderCalendar);
    EXPECT_EQ(a.bShowCalendar, b.bShowCalendar);
    EXPECT_EQ(a.bShowList, b.bShowList);
    EXPECT_EQ(a.CalendarShowRow, b.CalendarShowRow);
    EXPECT_EQ(a.bReminders, b.bReminders);
    EXPECT_EQ(a.nTaskReminderTime, b.nTaskReminderTime);
    EXPECT_EQ(a.nSyncMinutes, b.nSyncMinutes);
    EXPECT_EQ(a.bWindowSystemTold, b.bWindowSystemTold);
}

TEST_F(SettingsFileTest, MissingFileKeepsEveryDefault)
{
    AppSettings loaded;
    EXPECT_TRUE(SettingsFile::Load(path, loaded));
    ExpectSame(loaded, AppSettings{});
    EXPECT_EQ(loaded.WindowPos, (WindowRect{100, 100, 600, 800}));
    EXPECT_EQ(loaded.WindowPosCalendar, (WindowRect{100, 100, 800, 600}));
    EXPECT_EQ(loaded.Zorder, kWindowModeTop);
    EXPECT_EQ(loaded.Alpha, 150);
    EXPECT_EQ(loaded.CalendarShowRow, 6);
    EXPECT_EQ(loaded.bReminders, 1);
    EXPECT_EQ(loaded.nTaskReminderTime, 540); // 09:00
    EXPECT_EQ(loaded.nSyncMinutes, 0) << "no pass of its own unless asked for";
}

TEST_F(SettingsFileTest, EveryFieldSurvivesARoundTrip)
{
    const AppSettings saved = ChangedSettings();
    ASSERT_TRUE(SettingsFile::Save(path, saved));
    AppSettings loaded;
    SettingsFile::Load(path, loaded);
    ExpectSame(loaded, saved);
}

TEST_F(SettingsFileTest, EntriesAreWrittenInTableOrderWithCrLf)
{
    ASSERT_TRUE(SettingsFile::Save(path, ChangedSettings()));
    const std::string text = ReadFile();
    const char* keys[] = {"KEY=",
                          "U=",
                          "P=",
                          "WindowPos=",
                          "Zorder=",
                          "Alpha=",
                          "nCal_from=",
                          "nCal_to=",
                          "nTaskViewMode=",
                          "bAllExpend=",
                          "bDueHide=",
                          "defaultFont=",
                          "defaultCalendarFont=",
                          "WindowPosCalendar=",
                          "ZorderCalendar=",
                          "bShowCalendar=",
                          "bShowList=",
                          "CalendarShowRow=",
                          "bReminders=",
                          "nTaskReminderTime=",

                          "nSyncMinutes=",
                          "bWindowSystemTold="};
    std::size_t last = 0;
    for (const char* key : keys) {
        const std::size_t at = text.find(std::string("\r\n") + key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key;
        last = at;
    }
    EXPECT_EQ(text.find("\n\n"), std::string::npos);
    // The refresh token is plain text; the account name is not.
    EXPECT_NE(text.find("\r\nKEY=1//0gRefresh-Token_x\r\n"), std::string::npos);
    EXPECT_EQ(text.find("user@example.com"), std::string::npos);
    // Alpha 255 as four little-endian bytes and their checksum.
    EXPECT_NE(text.find("\r\nAlpha=FF000000FF\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ReadsAFileWrittenByTheWindowsProfileFunctions)
{
    // LF-only lines, lower-case key spelling, a Windows struct for WindowPos
    // (10, 20, 330, 440) and a CP949 face name.
    std::vector<std::uint8_t> font(kLogFontSize, 0);
    font[0] = 0xF4; // -12
    font[1] = font[2] = font[3] = 0xFF;
    font[16] = 0x90; // weight 400
    font[17] = 0x01;
    const std::string cp949Face = "\xB8\xBC\xC0\xBA \xB0\xED\xB5\xF1"; // 맑은 고딕
    std::copy(cp949Face.begin(), cp949Face.end(), font.begin() + 28);
    ProfileFile written;
    written.SetStruct("Login", "defaultFont", font);
    const std::string fontLine = written.Serialize().substr(written.Serialize().find("defaultFont="));

    WriteFile("[Login]\nkey=abc\nWindowPos=0A00000014000000"
              "4A010000B801000022\n" +
              fontLine.substr(0, fontLine.find('\r')) + "\n");
    AppSettings loaded;
    SettingsFile::Load(path, loaded);
    EXPECT_EQ(loaded.KEY, "abc");
    EXPECT_EQ(loaded.WindowPos, (WindowRect{10, 20, 330, 440}));
    EXPECT_EQ(loaded.defaultFont.lfHeight, -12);
    EXPECT_EQ(loaded.defaultFont.lfWeight, 400);
    EXPECT_EQ(loaded.defaultFont.lfFaceName, "\xEB\xA7\x91\xEC\x9D\x80 \xEA\xB3\xA0\xEB\x94\x95");
}

TEST_F(SettingsFileTest, BadEntriesLeaveTheirFieldsAndTheRestIsRead)
{
    WriteFile("[Login]\r\n"
              "Alpha=FF000000FE\r\n"           // wrong checksum
              "Zorder=01000000\r\n"            // too short
              "nCal_from=0E0000000E00\r\n"     // too long
              "nCal_to=ZZ0000000E\r\n"         // not hex
              "defaultFont=F4FFFFFF\r\n"       // a font of the wrong length
              "CalendarShowRow=0300000003\r\n" // good
              "bShowList\r\n");                // no value at all
    AppSettings loaded;
    SettingsFile::Load(path, loaded);
    EXPECT_EQ(loaded.Alpha, 150);
    EXPECT_EQ(loaded.Zorder, kWindowModeTop);
    EXPECT_EQ(loaded.nCal_from, 7);
    EXPECT_EQ(loaded.nCal_to, 31);
    EXPECT_EQ(loaded.defaultFont, DefaultDialogFont());
    EXPECT_EQ(loaded.CalendarShowRow, 3);
    EXPECT_EQ(loaded.bShowList, 1);
}

TEST_F(SettingsFileTest, SyncMinutesOutsideTheOfferedRangeReadAsTheNearestOffered)
{
    // Little-endian bytes and their checksum: 1441, -1 and 15.
    for (const auto& [entry, minutes] : {std::pair{"A1050000A6", 1440}, {"FFFFFFFFFC", 0}, {"0F0000000F", 15}}) {
        WriteFile(std::string("[Login]\r\nnSyncMinutes=") + entry + "\r\n");
        AppSettings loaded;
        ASSERT_TRUE(SettingsFile::Load(path, loaded));
        EXPECT_EQ(loaded.nSyncMinutes, minutes) << entry;
    }
}

TEST_F(SettingsFileTest, ANonTextFileIsMovedAsideAndNeverSavedOver)
{
    static constexpr char kPngStart[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR[Login]\nKEY=x\n";
    const std::string png(kPngStart, sizeof kPngStart - 1);
    WriteFile(png);
    AppSettings loaded;
    loaded.KEY = "before";
    std::string movedAside;
    SettingsFile::Load(path, loaded, &movedAside);
    ExpectSame(loaded, AppSettings{});
    ASSERT_EQ(movedAside.rfind(path + ".unreadable-", 0), 0u) << movedAside;
    EXPECT_FALSE(fs::exists(path));

    ASSERT_TRUE(SettingsFile::Save(path, ChangedSettings()));
    std::ifstream kept(movedAside, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), png);
}

TEST_F(SettingsFileTest, LoneCarriageReturnsAndStrayNulsAreStillRead)
{
    WriteFile(std::string("[Login]\rKEY=ke\0y\rnCal_from=0900000009\r", 38));
    AppSettings loaded;
    std::string movedAside;
    SettingsFile::Load(path, loaded, &movedAside);
    EXPECT_EQ(loaded.KEY, "key");
    EXPECT_EQ(loaded.nCal_from, 9);
    EXPECT_EQ(movedAside, "");
}

TEST_F(SettingsFileTest, SavingLeavesAReadOnlyFileWritesThroughALinkAndClearsOldTemporaries)
{
    WriteFile("[Login]\r\nKEY=mine\r\n");
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_FALSE(SettingsFile::Save(path, ChangedSettings()));
    EXPECT_EQ(ReadFile(), "[Login]\r\nKEY=mine\r\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read);

    fs::remove(path);
    fs::create_directories(dir / "real");
    const fs::path target = dir / "real" / "settings.ini";
    fs::create_symlink(target, path);
    ASSERT_TRUE(SettingsFile::Save(path, ChangedSettings()));
    EXPECT_TRUE(fs::is_symlink(path));
    AppSettings loaded;
    SettingsFile::Load(target.string(), loaded);
    ExpectSame(loaded, ChangedSettings());
}

TEST_F(SettingsFileTest, StartUpCleaningRemovesOnlyOurOwnOldTemporariesBesideTheFile)
{
    const auto make = [&](const fs::path& file, bool old) {
        std::ofstream(file) << "x";
        if (old)
            fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(2));
    };
    const std::string ours = path + ".orbcalender-tmp-Ab1xyz";
    make(ours, true);
    make(path + ".orbcalender-tmp-Cd2xyz", false); // a second instance may be writing it
    for (const char* users : {".bak001", ".2024ab", ".tmp-mine01", ".Ab12Cd", ".orbcalender-tmp-Ef3xyz7"})
        make(path + users, true);
    fs::create_symlink(dir / "elsewhere", path + ".orbcalender-tmp-Ln4xyz");
    fs::create_directories(dir / "real");
    const std::string inTarget = (dir / "real" / "info.dat.orbcalender-tmp-Gh5xyz").string();
    make(inTarget, true);
    WriteFile("[Login]\r\n");
    fs::rename(path, dir / "real" / "info.dat");
    fs::create_symlink(dir / "real" / "info.dat", path);

    SettingsFile::RemoveStaleTemporaries(path);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"info.dat", "info.dat.2024ab", "info.dat.Ab12Cd", "info.dat.bak001",
                                              "info.dat.orbcalender-tmp-Cd2xyz", "info.dat.orbcalender-tmp-Ef3xyz7",
                                              "info.dat.orbcalender-tmp-Ln4xyz", "info.dat.tmp-mine01", "real"}));
    EXPECT_TRUE(fs::exists(inTarget)) << "a link is never followed into its target's folder";

    // Another user's file of our name is not ours to remove (root can hand one over).
    if (::geteuid() == 0) {
        make(ours, true);
        ASSERT_EQ(::lchown(ours.c_str(), 65534, 65534), 0);
        SettingsFile::RemoveStaleTemporaries(path);
        EXPECT_TRUE(fs::exists(ours));
    }
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadIsLeftAloneAndNeverSavedOver)
{
    ASSERT_TRUE(SettingsFile::Save(path, ChangedSettings()));
    const std::string before = ReadFile();
    // Out of descriptors, as a busy process may be: the file itself is fine.
    struct rlimit oldLimit
    {};
    ::getrlimit(RLIMIT_NOFILE, &oldLimit);
    struct rlimit few = oldLimit;
    few.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    std::vector<int> held;
    for (int fd = ::dup(0); fd >= 0; fd = ::dup(0))
        held.push_back(fd);
    AppSettings loaded;
    std::string movedAside;
    std::string failure;
    const bool read = SettingsFile::Load(path, loaded, &movedAside, &failure);
    std::string saveError;
    const bool saved = SettingsFile::Save(path, AppSettings{}, &saveError);
    for (const int fd : held)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &oldLimit);

    EXPECT_FALSE(read);
    EXPECT_NE(failure.find("Too many open files"), std::string::npos) << failure;
    EXPECT_EQ(movedAside, "");
    ExpectSame(loaded, AppSettings{});
    EXPECT_FALSE(saved);
    EXPECT_NE(saveError.find("it is left as it is"), std::string::npos) << saveError;
    EXPECT_EQ(ReadFile(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, SaveKeepsOtherSectionsAndServiceConfiguration)
{
    WriteFile("; written by hand\r\n[Service]\r\nApiBase=http://127.0.0.1:9999\r\nStartPage=\r\n"
              "[Login]\r\nKEY=old\r\nUnknownKey=stays\r\n[Other]\r\nx=1\r\n");
    ASSERT_TRUE(SettingsFile::Save(path, ChangedSettings()));
    const std::string text = ReadFile();
    EXPECT_EQ(text.rfind("; written by hand\r\n[Service]\r\nApiBase=http://127.0.0.1:9999\r\nStartPage=\r\n", 0), 0u);
    EXPECT_NE(text.find("UnknownKey=stays\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Other]\r\nx=1\r\n"), std::string::npos);
    EXPECT_EQ(text.find("KEY=old"), std::string::npos);

    const ServiceConfig defaults = ServiceConfig::Defaults();
    const ServiceConfig config = SettingsFile::LoadServiceConfig(path, defaults);
    EXPECT_EQ(config.apiBase, "http://127.0.0.1:9999");
    EXPECT_EQ(config.accountsBase, defaults.accountsBase);
    EXPECT_EQ(config.startPage, "");
    // No redirect named: the browser sign-in, at Google's current addresses.
    EXPECT_FALSE(config.UsesLoginPage());
    EXPECT_EQ(config.authUri, "https://accounts.google.com/o/oauth2/v2/auth");
    EXPECT_EQ(config.tokenUri, "https://oauth2.googleapis.com/token");

    // A file of the earlier form: its accounts service keeps both addresses, its redirect
    // the login page.
    std::ofstream(path, std::ios::trunc) << "[Service]\r\nAccountsBase=https://127.0.0.1:7\r\n"
                                            "RedirectUri=urn:ietf:wg:oauth:2.0:oob:auto\r\n";
    const ServiceConfig older = SettingsFile::LoadServiceConfig(path, defaults);
    EXPECT_EQ(older.tokenUri, "https://127.0.0.1:7/o/oauth2/token");
    EXPECT_EQ(older.authUri, "https://127.0.0.1:7/o/oauth2/auth");
    EXPECT_TRUE(older.UsesLoginPage());
}

TEST_F(SettingsFileTest, ATabOrControlByteInIdOrPassSurvivesSaveAndTheReadBack)
{
    AppSettings typed = ChangedSettings();
    typed.U = "me\t@example.com";               // a pasted tab scrambles to a control byte
    typed.P = std::string("\x12\x15\x1F?`", 5); // CR, LF, NUL and a space once scrambled
    typed.KEY = "1//key\x1b[0m";
    ASSERT_TRUE(SettingsFile::Save(path, typed));
    AppSettings loaded;
    std::string movedAside;
    ASSERT_TRUE(SettingsFile::Load(path, loaded, &movedAside));
    EXPECT_EQ(movedAside, "");
    ExpectSame(loaded, typed);
    AppSettings readBack;
    ASSERT_TRUE(SettingsFile::ReadBack(path, readBack));
    ExpectSame(readBack, typed);

    // The read-back after a save never moves the file aside, even when it cannot read it.
    WriteFile(std::string("\x89PNG\r\n\x1a\n", 8));
    std::string failure;
    EXPECT_FALSE(SettingsFile::ReadBack(path, readBack, &failure));
    EXPECT_EQ(failure, "cannot read " + path + ": it holds no settings text");
    ExpectSame(readBack, typed);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, APlantedServiceSectionCannotSendTheSignInElsewhere)
{
    const ServiceConfig defaults = ServiceConfig::Defaults();
    WriteFile("[Service]\r\nTokenUri=http://collector.example/token\r\nAuthUri=--renderer-cmd-prefix=x https://a\r\n"
              "RevokeUri=https://127.0.0.1:9/revoke\r\nApiBase=http://[::1]:8080\r\nAccountsBase=ftp://x\r\n"
              "StartPage=javascript:alert(1)\r\nRedirectUri=https://collector.example/cb\r\nClientId=mine\r\n");
    std::vector<std::string> problems;
    ServiceConfig config = SettingsFile::LoadServiceConfig(path, defaults, &problems);
    EXPECT_EQ(config.tokenUri, "https://oauth2.googleapis.com/token");
    EXPECT_EQ(config.authUri, "https://accounts.google.com/o/oauth2/v2/auth");
    EXPECT_EQ(config.accountsBase, "https://accounts.google.com");
    EXPECT_EQ(config.startPage, "");
    EXPECT_EQ(config.redirectUri, "");
    EXPECT_EQ(config.revokeUri, "https://127.0.0.1:9/revoke");
    EXPECT_EQ(config.apiBase, "http://[::1]:8080");
    EXPECT_EQ(config.clientId, "mine");
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0], "The settings file's [Service] AccountsBase is not used: a service address must begin with "
                           "https://, or with http:// for 127.0.0.1, [::1] or localhost.");
    for (const char* key : {"AuthUri", "TokenUri", "RedirectUri", "StartPage"}) {
        EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [&](const std::string& problem) {
            return problem.find(std::string("[Service] ") + key + " is not used") != std::string::npos;
        })) << key;
    }

    // A file others could have written is not trusted at all, whatever it says.
    WriteFile("[Service]\r\nApiBase=https://api.example\r\n");
    fs::permissions(path, fs::perms::group_write, fs::perm_options::add);
    problems.clear();
    config = SettingsFile::LoadServiceConfig(path, defaults, &problems);
    EXPECT_EQ(config.apiBase, "https://www.googleapis.com");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "The [Service] section of the settings file is ignored and Google's own addresses are "
                           "used: others may write " +
                               path + ".");
    fs::permissions(path, fs::perms::group_write, fs::perm_options::remove);
    fs::permissions(dir, fs::perms::others_write, fs::perm_options::add);
    problems.clear();
    EXPECT_EQ(SettingsFile::LoadServiceConfig(path, defaults, &problems).apiBase, "https://www.googleapis.com");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("others may write in its folder"), std::string::npos) << problems[0];
    fs::permissions(dir, fs::perms::others_write, fs::perm_options::remove);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        problems.clear();
        EXPECT_EQ(SettingsFile::LoadServiceConfig(path, defaults, &problems).apiBase, "https://www.googleapis.com");
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find("belongs to another user"), std::string::npos) << problems[0];
        ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
    }
    problems.clear();
    EXPECT_EQ(SettingsFile::LoadServiceConfig(path, defaults, &problems).apiBase, "https://api.example");
    EXPECT_TRUE(problems.empty());
}

// Behind a TLS-inspecting proxy the user adds its certificate; whatever is named must hold
// certificates and be safe from others, or the user hears why it is not used.
TEST_F(SettingsFileTest, ACaFileAddsTrustOnlyWhenItHoldsCertificatesOnlyItsOwnerCanChange)
{
    const ServiceConfig defaults = ServiceConfig::Defaults();
    fake::TlsFiles files;
    std::string error;
    ASSERT_TRUE(fake::WriteSelfSignedCertificate(dir.string(), files, error)) << error;
    const auto loadWith = [&](const std::string& caFile, std::vector<std::string>& problems) {
        WriteFile("[Service]\r\nApiBase=https://proxy.example\r\nCaFile=" + caFile + "\r\n");
        problems.clear();
        return SettingsFile::LoadServiceConfig(path, defaults, &problems);
    };
    std::vector<std::string> problems;
    ServiceConfig config = loadWith(files.certificate, problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(config.caFile, files.certificate);
    std::ifstream certificate(files.certificate);
    EXPECT_EQ(config.caCertificates, std::string(std::istreambuf_iterator<char>(certificate), {}));

    const std::string prefix = "The settings file's [Service] CaFile is not used, so only the system's certificates "
                               "are trusted: ";
    const std::string missing = (dir / "missing.pem").string();
    const std::string notPem = (dir / "notes.txt").string();
    const std::string broken = (dir / "broken.pem").string();
    std::ofstream(notPem) << "company proxy certificate: ask IT\n";
    std::ofstream(broken) << "-----BEGIN CERTIFICATE-----\nbm90IGEgY2VydGlmaWNhdGU=\n-----END CERTIFICATE-----\n";
    const std::vector<std::pair<std::string, std::string>> refused{
        {missing, "cannot read " + missing + ": No such file or directory."},
        {notPem, notPem + " holds no PEM certificate."},
        {broken, broken + " holds a certificate that cannot be read."},
        {dir.string(), "cannot read " + dir.string() + ": Is a directory."},
        // The other file of the pair: a key is no certificate.
        {files.privateKey, files.privateKey + " holds no PEM certificate."}};
    for (const auto& [file, why] : refused) {
        config = loadWith(file, problems);
        ASSERT_EQ(problems.size(), 1u) << file;
        EXPECT_EQ(problems[0], prefix + why);
        EXPECT_EQ(config.caFile, "");
        EXPECT_EQ(config.caCertificates, "");
        EXPECT_EQ(config.apiBase, "https://proxy.example"); // the rest of the section still counts
    }

    // Whoever may write the file could read every request.
    fs::permissions(files.certificate, fs::perms::others_write, fs::perm_options::add);
    config = loadWith(files.certificate, problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], prefix + "others may write " + files.certificate + ".");
    EXPECT_EQ(config.caCertificates, "");
    fs::permissions(files.certificate, fs::perms::others_write, fs::perm_options::remove);

    // A planted settings file names no certificate either: its whole section is ignored.
    loadWith(files.certificate, problems);
    fs::permissions(path, fs::perms::group_write, fs::perm_options::add);
    config = SettingsFile::LoadServiceConfig(path, defaults, &problems);
    EXPECT_EQ(config.caFile, "");
    EXPECT_EQ(config.caCertificates, "");
    EXPECT_EQ(config.apiBase, "https://www.googleapis.com");
}

TEST_F(SettingsFileTest, WriteIsAtomicAndOwnerOnly)
{
    synced.clear();
    recordSyncs = true;
    ASSERT_TRUE(SettingsFile::Save(path, ChangedSettings()));
    recordSyncs = false;
    // The new file's bytes, then the folder that now names it.
    ASSERT_EQ(synced.size(), 2u);
    EXPECT_EQ(synced[0].rfind(fs::canonical(path).string() + ".orbcalender-tmp-", 0), 0u) << synced[0];
    EXPECT_EQ(synced[1], fs::canonical(dir).string());
    struct stat info
    {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const std::string before = ReadFile();

    // A write that fails part-way (the file size limit stands in for a full disk) fails
    // the save and leaves the old file whole.
    struct rlimit oldLimit
    {};
    ::getrlimit(RLIMIT_FSIZE, &oldLimit);
    struct rlimit small = oldLimit;
    small.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    AppSettings other = ChangedSettings();
    other.KEY = "new";
    const bool saved = SettingsFile::Save(path, other);
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(), before);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename(), "info.dat") << "temporary file left behind";
}

TEST(Scrambling, IsItsOwnInverseAndHidesTheText)
{
    const std::string text = "secret \xED\x95\x9C?";
    EXPECT_NE(ScrambleText(text), text);
    EXPECT_EQ(ScrambleText(ScrambleText(text)), text);
}

TEST(ProfileEntries, EveryValueReadsBackAndValuesOlderReadersReadAreWrittenAsBefore)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    const std::vector<std::pair<std::string, std::string>> cases = {
        // value, as the line holds it
        {"  padded  ", "\"  padded  \""},           {"\"quoted\"", "\"\"quoted\"\""},
        {"C:\\dir\\x41", "C:\\dir\\x41"},           {"tab\tinside", "tab\tinside"},
        {"two\r\nlines", "\"two\\x0D\\x0Alines\""}, {" \x16\\\"", "\"\\x20\\x16\\\\\\x22\""},
        {std::string("nul\0", 4), "\"nul\\x00\""},  {everyByte, ""},
    };
    ProfileFile file;
    for (std::size_t i = 0; i < cases.size(); ++i)
        file.SetString("S", "k" + std::to_string(i), cases[i].first);
    const std::optional<ProfileFile> reread = ProfileFile::FromFileBytes(file.Serialize());
    ASSERT_TRUE(reread.has_value()) << "the reader refused what the writer wrote";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string key = "k" + std::to_string(i);
        EXPECT_EQ(reread->GetString("s", key).value_or("?"), cases[i].first) << key;
        if (!cases[i].second.empty()) {
            EXPECT_NE(file.Serialize().find(key + "=" + cases[i].second + "\r\n"), std::string::npos) << key;
        }
    }
    EXPECT_FALSE(reread->GetString("S", "missing").has_value());
    // Written by hand: a quoted value with backslashes and no control byte reads as it always did.
    EXPECT_EQ(ProfileFile::Parse("[S]\nCaFile=\"C:\\\\certs\\x41\"\n").GetString("S", "CaFile").value_or("?"),
              "C:\\\\certs\\x41");
}

TEST(LogFontBytes, LayoutIsSixtyBytesWithTheFaceCutAtACharacter)
{
    LogFont font;
    font.lfHeight = -13;
    font.lfWeight = 700;
    font.lfUnderline = 1;
    font.lfFaceName = std::string(30, 'a') + "\xED\x95\x9C"; // 33 bytes, the last character does not fit
    const auto bytes = LogFontToBytes(font);
    ASSERT_EQ(bytes.size(), 60u);
    EXPECT_EQ(bytes[0], 0xF3);
    EXPECT_EQ(bytes[16], 0xBC);
    EXPECT_EQ(bytes[17], 0x02);
    EXPECT_EQ(bytes[21], 1);
    const LogFont back = LogFontFromBytes(bytes);
    EXPECT_EQ(back.lfFaceName, std::string(30, 'a'));
    EXPECT_EQ(back.lfHeight, -13);
    EXPECT_EQ(back.lfUnderline, 1);
}

} // namespace
} // namespace orb
