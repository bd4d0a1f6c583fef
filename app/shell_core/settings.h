#pragma once

#include "core/log_font.h"
#include "service/service_context.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orb {

class ProfileFile;

constexpr std::size_t kLogFontSize = 60;
constexpr std::size_t kLogFontFaceSize = 32;

std::vector<std::uint8_t> LogFontToBytes(const LogFont& font);
LogFont LogFontFromBytes(const std::vector<std::uint8_t>& bytes); // expects kLogFontSize bytes

struct WindowRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// Window mode codes shared by both windows.
enum WindowMode : std::int32_t
{
    kWindowModeBottom = 1,
    kWindowModeTop = 2,
    kWindowModeResizing = 3,
    kWindowModeNormal = 4,
};

// Task view mode bits.
constexpr std::int32_t kTaskViewCompleted = 1;
constexpr std::int32_t kTaskViewNeedsAction = 2;
constexpr std::int32_t kTaskViewAll = 3;

// The user's settings, filled with defaults before anything else runs.
struct AppSettings
{
    std::string KEY; // refresh token; empty means signed out
    std::string U;
    std::string P;
    WindowRect WindowPos{100, 100, 600, 800};
    std::int32_t Zorder = kWindowModeTop;
    std::int32_t Alpha = 150;
    std::int32_t nCal_from = 7;
    std::int32_t nCal_to = 31;
    std::int32_t nTaskViewMode = kTaskViewAll;
    std::int32_t bAllExpend = 1;
    std::int32_t bDueHide = 0;
    LogFont defaultFont = DefaultDialogFont();
    LogFont defaultCalendarFont = DefaultDialogFont();
    WindowRect WindowPosCalendar{100, 100, 800, 600};
    std::int32_t ZorderCalendar = kWindowModeTop;
    std::int32_t bShowCalendar = 0;
    std::int32_t bShowList = 1;
    std::int32_t CalendarShowRow = 6;
    std::int32_t bReminders = 1;
    std::int32_t nTaskReminderTime = 9 * 60; // minutes after local midnight on a task's due day
    std::int32_t nSyncMinutes = 0;           // minutes between passes the program starts itself; 0 never
    std::int32_t bWindowSystemTold = 0;      // the user was told what this window system cannot do
};

// The settings file "info.dat": section [Login] for the user's settings, and an optional
// [Service] section that is read but never changed.
class SettingsFile
{
public:
    static constexpr const char* kFileName = "info.dat";
    static constexpr const char* kSection = "Login";
    static constexpr const char* kServiceSection = "Service";

    // "<dir>/info.dat".
    static std::string PathIn(const std::string& directory);

    // Reads every entry in order. A missing text reads as empty; a missing or malformed
    // struct entry leaves its field as it is. A missing file is no error. A file whose bytes
    // are no settings text is moved aside first, so nothing is ever saved over it;
    // `movedAside` then receives its new name. False, with the settings untouched and
    // `failure` saying why, when the file is there but reading it failed: it may be fine,
    // so it is neither moved nor to be saved over.
    static bool Load(const std::string& path, AppSettings& settings, std::string* movedAside = nullptr,
                     std::string* failure = nullptr);
    // Reads back a file just saved; never moves it aside. False, the values kept, when it
    // cannot be read.
    static bool ReadBack(const std::string& path, AppSettings& settings, std::string* failure = nullptr);
    // Writes every [Login] entry in order, keeping every other line of the file. Refuses
    // (false) to write over a file it could not read.
    static bool Save(const std::string& path, const AppSettings& settings, std::string* error = nullptr);
    // What an interrupted save left behind; run once at start.
    static void RemoveStaleTemporaries(const std::string& path);
    // The [Service] section over the built-in defaults. The section is ignored when the file
    // is not the user's own or others can change it; an address that is not https (or http
    // to this machine) keeps its default. Either is told in `problems`.
    static ServiceConfig LoadServiceConfig(const std::string& path, const ServiceConfig& defaults,
                                           std::vector<std::string>* problems = nullptr);

    // What Load, Save and LoadServiceConfig do once the file is read.
    static void ReadEntries(const ProfileFile& file, AppSettings& settings);
    static void WriteEntries(ProfileFile& file, const AppSettings& settings);
    static ServiceConfig ServiceConfigFrom(const ProfileFile& file, const ServiceConfig& defaults,
                                           std::vector<std::string>* problems = nullptr);
};

// "U" and "P" are stored with every byte XORed with this mask.
constexpr std::uint8_t kScrambleMask = 0x1F;
std::string ScrambleText(const std::string& text);

} // namespace orb
