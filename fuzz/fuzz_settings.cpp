// The settings file as any editor, disk fault or other program may leave it. Whatever is
// read must survive being saved and read again unchanged. And whatever the program itself
// holds, typed or pasted into the options or handed over by the service, must come back
// exactly from the file it writes.
#include "app/shell_core/profile_file.h"
#include "app/shell_core/settings.h"
#include "core/sync_minutes.h"
#include "service/text_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string EntriesText(const orb::AppSettings& settings)
{
    orb::ProfileFile file;
    orb::SettingsFile::WriteEntries(file, settings);
    return file.Serialize();
}

// Takes the fuzzer's bytes apart into values.
class Values
{
public:
    explicit Values(const std::string& bytes) : bytes_(bytes) {}

    std::string Text()
    {
        const std::size_t length = Byte();
        std::string text = bytes_.substr(std::min(at_, bytes_.size()), length);
        at_ += length;
        return text;
    }
    std::int32_t Int()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | Byte();
        return static_cast<std::int32_t>(value);
    }
    std::uint8_t Byte() { return at_ < bytes_.size() ? static_cast<std::uint8_t>(bytes_[at_++]) : 0; }
    orb::WindowRect Rect() { return {Int(), Int(), Int(), Int()}; }
    // Fonts come from the toolkit: valid UTF-8 that fits the record's 31 bytes, no NUL.
    orb::LogFont Font()
    {
        orb::LogFont font;
        font.lfHeight = Int();
        font.lfWeight = Int();
        font.lfItalic = Byte();
        font.lfCharSet = Byte();
        std::string face = orb::DecodeUtf8Text(Text());
        face.erase(std::remove(face.begin(), face.end(), '\0'), face.end());
        while (face.size() > orb::kLogFontFaceSize - 1 || !orb::IsValidUtf8(face))
            face.pop_back(); // never splits a character it keeps
        font.lfFaceName = face;
        return font;
    }

private:
    const std::string& bytes_;
    std::size_t at_ = 0;
};

void CheckValuesReadBack(const std::string& bytes)
{
    Values values(bytes);
    orb::AppSettings set;
    set.KEY = values.Text();
    set.U = values.Text();
    set.P = values.Text();
    set.WindowPos = values.Rect();
    for (std::int32_t* field :
         {&set.Zorder, &set.Alpha, &set.nCal_from, &set.nCal_to, &set.nTaskViewMode, &set.bAllExpend, &set.bDueHide})
        *field = values.Int();
    set.defaultFont = values.Font();
    set.defaultCalendarFont = values.Font();
    set.WindowPosCalendar = values.Rect();
    for (std::int32_t* field : {&set.ZorderCalendar, &set.bShowCalendar, &set.bShowList, &set.CalendarShowRow})
        *field = values.Int();
    // The options and the reader keep it within range, so the program never holds another.
    set.nSyncMinutes = static_cast<std::int32_t>(static_cast<std::uint32_t>(values.Int()) % (orb::kMaxSyncMinutes + 1));

    const std::optional<orb::ProfileFile> written = orb::ProfileFile::FromFileBytes(EntriesText(set));
    if (!written)
        std::abort(); // the reader refused what the writer wrote
    orb::AppSettings read;
    orb::SettingsFile::ReadEntries(*written, read);
    if (read.KEY != set.KEY || read.U != set.U || read.P != set.P || read.defaultFont != set.defaultFont ||
        read.defaultCalendarFont != set.defaultCalendarFont || EntriesText(read) != EntriesText(set))
        std::abort(); // a value did not come back as it was set
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckValuesReadBack(bytes);

    std::optional<orb::ProfileFile> file = orb::ProfileFile::FromFileBytes(bytes);
    if (!file)
        return 0;
    orb::AppSettings read;
    orb::SettingsFile::ReadEntries(*file, read);
    orb::SettingsFile::ServiceConfigFrom(*file, orb::ServiceConfig::Defaults());

    // Saved over the same file, as the exit does, then read back.
    orb::SettingsFile::WriteEntries(*file, read);
    const std::optional<orb::ProfileFile> saved = orb::ProfileFile::FromFileBytes(file->Serialize());
    if (!saved)
        std::abort(); // the program could not read what it wrote
    orb::AppSettings reread;
    orb::SettingsFile::ReadEntries(*saved, reread);
    if (EntriesText(read) != EntriesText(reread))
        std::abort(); // a save changed a setting
    return 0;
}
