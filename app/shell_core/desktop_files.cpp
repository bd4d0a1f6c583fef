#include "app/shell_core/desktop_files.h"

#include "core/atomic_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orb {

namespace {

constexpr const char* kFolderName = "orbcalender";
constexpr const char* kAutostartFolder = "autostart";
constexpr const char* kAutostartFile = "orbcalender.desktop";
constexpr mode_t kOwnerOnly = 0700;

// A desktop entry's Exec argument, quoted so that any folder name survives. The file's
// string escapes are undone before the quoting rules, so a reserved character takes a
// doubled backslash and a backslash four.
std::string QuotedExecArgument(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        else if (c == '\\')
            quoted += "\\\\\\";
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

DesktopFolders DesktopFolders::FromEnvironment()
{
    return From(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

DesktopFolders DesktopFolders::From(const char* xdgConfigHome, const char* home)
{
    DesktopFolders folders;
    // A relative $XDG_CONFIG_HOME is invalid and to be ignored.
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        folders.configHome = xdgConfigHome;
    else if (home && home[0] == '/')
        folders.configHome = std::string(home) + "/.config";
    return folders;
}

std::string DesktopFolders::SettingsFolder() const
{
    return configHome.empty() ? std::string() : configHome + "/" + kFolderName;
}

std::string DesktopFolders::AutostartEntry() const
{
    return configHome.empty() ? std::string() : configHome + "/" + kAutostartFolder + "/" + kAutostartFile;
}

bool EnterFolder(const std::string& folder, std::string& error)
{
    if (folder.empty()) {
        error = "neither XDG_CONFIG_HOME nor HOME names a folder";
        return false;
    }
    std::error_code failed;
    const std::filesystem::path path(folder);
    std::filesystem::create_directories(path.parent_path(), failed);
    // Made here, it is the owner's alone; one that is there keeps the mode its owner gave.
    if (mkdir(folder.c_str(), kOwnerOnly) != 0 && errno != EEXIST) {
        error = folder + ": " + std::strerror(errno);
        return false;
    }
    if (chdir(folder.c_str()) != 0) {
        error = folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string AutostartEntryText(const std::string& program)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=OrbCalender\n"
           "Comment=Your Google Calendar and Google Tasks on the desktop\n"
           "Exec=" +
           QuotedExecArgument(program) + " " + kConfigFolderOption +
           "\n"
           "Icon=orbcalender\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool HasAutostartEntry(const std::string& entry)
{
    std::error_code failed;
    return !entry.empty() && std::filesystem::exists(entry, failed);
}

bool SetAutostartEntry(const std::string& entry, bool on, const std::string& program, std::string& error)
{
    if (entry.empty()) {
        error = "neither XDG_CONFIG_HOME nor HOME names a folder";
        return false;
    }
    std::error_code failed;
    if (!on) {
        if (std::filesystem::remove(entry, failed) || !failed)
            return true;
        error = entry + ": " + failed.message();
        return false;
    }
    std::filesystem::create_directories(std::filesystem::path(entry).parent_path(), failed);
    if (failed) {
        error = std::filesystem::path(entry).parent_path().string() + ": " + failed.message();
        return false;
    }
    return WriteFileAtomically(entry, AutostartEntryText(program), error);
}

} // namespace orb
