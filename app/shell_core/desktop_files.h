#pragma once

#include <string>

namespace orb {

// The folders of the freedesktop base directory rules that the program uses. Empty when
// neither $XDG_CONFIG_HOME (absolute) nor $HOME gives one.
struct DesktopFolders
{
    std::string configHome; // $XDG_CONFIG_HOME, or ~/.config

    static DesktopFolders FromEnvironment();
    static DesktopFolders From(const char* xdgConfigHome, const char* home);

    // Where a start from the application menu keeps info.dat.
    std::string SettingsFolder() const;
    // The freedesktop autostart entry that starts the program with the session.
    std::string AutostartEntry() const;
};

// The option that makes a menu start: keep the settings in the settings folder.
constexpr const char* kConfigFolderOption = "--config-folder";

// Creates `folder` (owner only) when it is missing and makes it the working folder.
bool EnterFolder(const std::string& folder, std::string& error);

// The autostart entry's text: starts `program` (an absolute path) in the settings folder.
std::string AutostartEntryText(const std::string& program);
bool HasAutostartEntry(const std::string& entry);
// Writes the entry (creating its folder) or removes it; true when it is as asked.
bool SetAutostartEntry(const std::string& entry, bool on, const std::string& program, std::string& error);

} // namespace orb
