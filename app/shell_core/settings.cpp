#include "app/shell_core/settings.h"

#include "app/shell_core/cp949.h"
#include "app/shell_core/profile_file.h"
#include "core/atomic_file.h"
#include "core/clock.h"
#include "core/shorten_text.h"
#include "core/sync_minutes.h"
#include "service/text_codec.h"
#include "service/trusted_certificates.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

namespace orb {

namespace {

constexpr std::size_t kIntSize = 4;
constexpr std::size_t kRectSize = 16;

void PutInt(std::vector<std::uint8_t>& out, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

std::int32_t GetInt(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | bytes[offset + static_cast<std::size_t>(i)];
    return static_cast<std::int32_t>(bits);
}

// The entries of [Login], in the order they are written: the one place that lists them.
template <class Settings, class Entries> void ForEachEntry(Settings& settings, Entries&& entries)
{
    entries.Text("KEY", settings.KEY, false);
    entries.Text("U", settings.U, true);
    entries.Text("P", settings.P, true);
    entries("WindowPos", settings.WindowPos);
    entries("Zorder", settings.Zorder);
    entries("Alpha", settings.Alpha);
    entries("nCal_from", settings.nCal_from);
    entries("nCal_to", settings.nCal_to);
    entries("nTaskViewMode", settings.nTaskViewMode);
    entries("bAllExpend", settings.bAllExpend);
    entries("bDueHide", settings.bDueHide);
    entries("defaultFont", settings.defaultFont);
    entries("defaultCalendarFont", settings.defaultCalendarFont);
    entries("WindowPosCalendar", settings.WindowPosCalendar);
    entries("ZorderCalendar", settings.ZorderCalendar);
    entries("bShowCalendar", settings.bShowCalendar);
    entries("bShowList", settings.bShowList);
    entries("CalendarShowRow", settings.CalendarShowRow);
    entries("bReminders", settings.bReminders);
    entries("nTaskReminderTime", settings.nTaskReminderTime);
    entries("nSyncMinutes", settings.nSyncMinutes, ClampSyncMinutes);
    entries("bWindowSystemTold", settings.bWindowSystemTold);
}

// A struct entry that is missing or malformed leaves its field as it is.
struct EntryReader
{
    const ProfileFile& file;

    void Text(const char* key, std::string& field, bool scrambled) const
    {
        const std::string text = file.GetString(SettingsFile::kSection, key).value_or("");
        field = scrambled ? ScrambleText(text) : text;
    }
    void operator()(const char* key, std::int32_t& field) const
    {
        if (const auto bytes = file.GetStruct(SettingsFile::kSection, key, kIntSize))
            field = GetInt(*bytes, 0);
    }
    // A hand-edited value outside the range the options offer reads as the nearest it offers.
    void operator()(const char* key, std::int32_t& field, int (*clamp)(long long)) const
    {
        (*this)(key, field);
        field = clamp(field);
    }
    void operator()(const char* key, WindowRect& rect) const
    {
        if (const auto bytes = file.GetStruct(SettingsFile::kSection, key, kRectSize))
            rect = {GetInt(*bytes, 0), GetInt(*bytes, 4), GetInt(*bytes, 8), GetInt(*bytes, 12)};
    }
    void operator()(const char* key, LogFont& font) const
    {
        if (const auto bytes = file.GetStruct(SettingsFile::kSection, key, kLogFontSize))
            font = LogFontFromBytes(*bytes);
    }
};

struct EntryWriter
{
    ProfileFile& file;

    void Text(const char* key, const std::string& field, bool scrambled) const
    {
        file.SetString(SettingsFile::kSection, key, scrambled ? ScrambleText(field) : field);
    }
    void operator()(const char* key, std::int32_t value) const
    {
        std::vector<std::uint8_t> bytes;
        PutInt(bytes, value);
        file.SetStruct(SettingsFile::kSection, key, bytes);
    }
    void operator()(const char* key, std::int32_t value, int (*)(long long)) const { (*this)(key, value); }
    void operator()(const char* key, const WindowRect& rect) const
    {
        std::vector<std::uint8_t> bytes;
        for (const std::int32_t value : {rect.left, rect.top, rect.right, rect.bottom})
            PutInt(bytes, value);
        file.SetStruct(SettingsFile::kSection, key, bytes);
    }
    void operator()(const char* key, const LogFont& font) const
    {
        file.SetStruct(SettingsFile::kSection, key, LogFontToBytes(font));
    }
};

// Cuts UTF-8 to at most `limit` bytes without splitting a character.
std::string CutUtf8(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

std::vector<std::uint8_t> LogFontToBytes(const LogFont& font)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kLogFontSize);
    for (const std::int32_t value : {font.lfHeight, font.lfWidth, font.lfEscapement, font.lfOrientation, font.lfWeight})
        PutInt(bytes, value);
    for (const std::uint8_t value : {font.lfItalic, font.lfUnderline, font.lfStrikeOut, font.lfCharSet,
                                     font.lfOutPrecision, font.lfClipPrecision, font.lfQuality, font.lfPitchAndFamily})
        bytes.push_back(value);
    const std::string face = CutUtf8(font.lfFaceName, kLogFontFaceSize - 1);
    bytes.insert(bytes.end(), face.begin(), face.end());
    bytes.resize(kLogFontSize, 0);
    return bytes;
}

LogFont LogFontFromBytes(const std::vector<std::uint8_t>& bytes)
{
    LogFont font;
    if (bytes.size() != kLogFontSize)
        return font;
    font.lfHeight = GetInt(bytes, 0);
    font.lfWidth = GetInt(bytes, 4);
    font.lfEscapement = GetInt(bytes, 8);
    font.lfOrientation = GetInt(bytes, 12);
    font.lfWeight = GetInt(bytes, 16);
    font.lfItalic = bytes[20];
    font.lfUnderline = bytes[21];
    font.lfStrikeOut = bytes[22];
    font.lfCharSet = bytes[23];
    font.lfOutPrecision = bytes[24];
    font.lfClipPrecision = bytes[25];
    font.lfQuality = bytes[26];
    font.lfPitchAndFamily = bytes[27];
    const auto* face = reinterpret_cast<const char*>(bytes.data() + 28);
    const std::string raw(face, strnlen(face, kLogFontFaceSize));
    font.lfFaceName = IsValidUtf8(raw) ? raw : Cp949ToUtf8(raw);
    return font;
}

std::string ScrambleText(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(static_cast<std::uint8_t>(c) ^ kScrambleMask);
    return out;
}

std::string SettingsFile::PathIn(const std::string& directory)
{
    if (directory.empty() || directory.back() == '/')
        return directory + kFileName;
    return directory + "/" + kFileName;
}

namespace {

// A settings file that cannot be read is kept under its name plus this and the local time.
constexpr const char* kUnreadableSuffix = ".unreadable-";
constexpr const char* kLeftAsItIs = "; it is left as it is";
constexpr const char* kServiceIgnoredMessage =
    "The [Service] section of the settings file is ignored and Google's own addresses are used: %s.";
constexpr const char* kRefusedAddressMessage =
    "The settings file's [Service] %s is not used: a service address must begin with https://, or with "
    "http:// for 127.0.0.1, [::1] or localhost.";
constexpr const char* kCaFileUnusedMessage =
    "The settings file's [Service] CaFile is not used, so only the system's certificates are trusted: %s.";

// Reads `path` into `file`. A file whose bytes are no settings text is renamed out of the way
// first, so nothing is ever saved over it; one that could not be read at all (no descriptors,
// an I/O error, no permission) may be fine, so it is left alone: false, with why.
bool ReadOrMoveAside(const std::string& path, ProfileFile& file, std::string* movedAside, std::string* failure)
{
    std::string why;
    const ProfileFile::LoadResult result = file.Read(path, &why);
    if (result == ProfileFile::LoadResult::Failed) {
        if (failure)
            *failure = why;
        return false;
    }
    // Only a file is moved: anything else in its place makes the save fail instead.
    std::error_code failed;
    if (result != ProfileFile::LoadResult::Refused || !std::filesystem::is_regular_file(path, failed))
        return true;
    const std::string stamp = FormatLocal(SystemClock().Now(), "%Y%m%d-%H%M%S");
    std::string movedTo;
    std::string error;
    if (MoveAside(path, kUnreadableSuffix + stamp, movedTo, error) && movedAside)
        *movedAside = movedTo;
    return true;
}

} // namespace

bool SettingsFile::Load(const std::string& path, AppSettings& settings, std::string* movedAside, std::string* failure)
{
    ProfileFile file;
    if (!ReadOrMoveAside(path, file, movedAside, failure))
        return false;
    ReadEntries(file, settings);
    return true;
}

bool SettingsFile::ReadBack(const std::string& path, AppSettings& settings, std::string* failure)
{
    ProfileFile file;
    std::string why;
    switch (file.Read(path, &why)) {
    case ProfileFile::LoadResult::Read:
        ReadEntries(file, settings);
        return true;
    case ProfileFile::LoadResult::Missing:
        why = "cannot read " + path + ": it is gone";
        break;
    case ProfileFile::LoadResult::Refused:
        why = "cannot read " + path + ": it holds no settings text";
        break;
    case ProfileFile::LoadResult::Failed:
        break;
    }
    if (failure)
        *failure = why;
    return false;
}

bool SettingsFile::Save(const std::string& path, const AppSettings& settings, std::string* error)
{
    // Keeps [Service] and any other section as it was; never writes over what it cannot read.
    ProfileFile file;
    std::string why;
    if (!ReadOrMoveAside(path, file, nullptr, &why)) {
        if (error)
            *error = why + kLeftAsItIs;
        return false;
    }
    WriteEntries(file, settings);
    return file.SaveAtomically(path, error);
}

void SettingsFile::RemoveStaleTemporaries(const std::string& path)
{
    orb::RemoveStaleTemporaries(path);
}

ServiceConfig SettingsFile::LoadServiceConfig(const std::string& path, const ServiceConfig& defaults,
                                              std::vector<std::string>* problems)
{
    ProfileFile file;
    if (!file.Load(path) || !file.HasSection(kServiceSection))
        return defaults;
    // Another user, or anyone who can write here, could send the sign-in elsewhere.
    std::string why;
    if (!OnlyOwnerCanChange(path, why)) {
        if (problems)
            problems->push_back(WithTitle(kServiceIgnoredMessage, why));
        return defaults;
    }
    return ServiceConfigFrom(file, defaults, problems);
}

void SettingsFile::ReadEntries(const ProfileFile& file, AppSettings& settings)
{
    ForEachEntry(settings, EntryReader{file});
}

void SettingsFile::WriteEntries(ProfileFile& file, const AppSettings& settings)
{
    ForEachEntry(settings, EntryWriter{file});
}

ServiceConfig SettingsFile::ServiceConfigFrom(const ProfileFile& file, const ServiceConfig& defaults,
                                              std::vector<std::string>* problems)
{
    ServiceConfig config = defaults;
    // A value that fails `allowed` keeps the default, and the key is named.
    const auto take = [&](const char* key, bool (*allowed)(const std::string&)) -> std::optional<std::string> {
        std::optional<std::string> value = file.GetString(kServiceSection, key);
        if (value && allowed && !allowed(*value)) {
            if (problems)
                problems->push_back(WithTitle(kRefusedAddressMessage, key));
            return std::nullopt;
        }
        return value;
    };
    const auto read = [&](const char* key, std::string& field, bool (*allowed)(const std::string&)) {
        if (const auto value = take(key, allowed))
            field = *value;
    };
    if (const auto base = take("AccountsBase", IsServiceAddress))
        config.SetAccountsBase(*base);
    read("AuthUri", config.authUri, IsServiceAddress);
    read("TokenUri", config.tokenUri, IsServiceAddress);
    read("RevokeUri", config.revokeUri, IsServiceAddress);
    read("ApiBase", config.apiBase, IsServiceAddress);
    read("ClientId", config.clientId, nullptr);
    read("ClientSecret", config.clientSecret, nullptr);
    read("RedirectUri", config.redirectUri, IsRedirectAddress);
    read("StartPage", config.startPage, [](const std::string& page) { return page.empty() || IsServiceAddress(page); });
    if (const auto caFile = file.GetString(kServiceSection, "CaFile"); caFile && !caFile->empty()) {
        std::string why;
        if (ReadCaFile(*caFile, config.caCertificates, why))
            config.caFile = *caFile;
        else if (problems)
            problems->push_back(WithTitle(kCaFileUnusedMessage, why));
    }
    return config;
}

} // namespace orb
