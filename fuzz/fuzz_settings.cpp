// The settings file as any editor, disk fault or other program may leave it. Whatever is
// read must survive being saved and read again unchanged.
#include "app/profile_file.h"
#include "app/settings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string EntriesText(const orb::AppSettings& settings)
{
    orb::ProfileFile file;
    orb::SettingsFile::WriteEntries(file, settings);
    return file.Serialize();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
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
