#pragma once

#include "core/ui_text.h"

namespace orb {

// Menu and control command ids; every command is reachable by its id.
enum class Command : int
{
    About = 16,
    InsertButton = 1006,   // the "+" button
    ShowLastWindow = 1025, // tray double click
    Option = 32773,
    Exit = 32774,
    InsertTask = 32777,
    DeleteTask = 32778,
    ModeBottom = 32780,
    ModeTop = 32781,
    ModeNormal = 32782,
    SearchCalendar = 32785,
    Synchronizing = 32787,
    Logout = 32788,
    ViewAll = 32790,
    ViewCompleted = 32791,
    ViewNeedsAction = 32792,
    ModeResizing = 32793,
    ListFont = 32796,
    CalendarView = 32797,
    CalendarFont = 32799,
    TreeView = 32801,
};

// Control ids, kept as object names too so tests can find the controls.
constexpr int kTreeControlId = 1002;
constexpr int kOpacitySliderId = 1005;
constexpr int kInsertButtonId = 1006;
constexpr int kMonthViewId = 1044;

constexpr const char* kAppTitle = "Marlo's Calender";

// Labels of the tray menu's items; without a tray the "Control" menu offers them too.
constexpr const char* kOptionLabel = ORB_TEXT("OrbCalender", "Option");
constexpr const char* kLogoutLabel = ORB_TEXT("OrbCalender", "Logout");
constexpr const char* kExitLabel = ORB_TEXT("OrbCalender", "Exit");

// Every command, so that each can be run by id (tests do).
constexpr Command kAllCommands[] = {
    Command::About,        Command::InsertButton, Command::ShowLastWindow, Command::Option,
    Command::Exit,         Command::InsertTask,   Command::DeleteTask,     Command::ModeBottom,
    Command::ModeTop,      Command::ModeNormal,   Command::SearchCalendar, Command::Synchronizing,
    Command::Logout,       Command::ViewAll,      Command::ViewCompleted,  Command::ViewNeedsAction,
    Command::ModeResizing, Command::ListFont,     Command::CalendarView,   Command::CalendarFont,
    Command::TreeView,
};

} // namespace orb
