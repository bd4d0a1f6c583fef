#include "app/notifications/reminder_driver.h"
#include "app/notifications/reminder_window.h"
#include "app/shell_core/settings.h"
#include "app/shell_core/store.h"
#include "tests/support/core_doubles.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace orb {
namespace {

class ReminderDriverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // No notification service and no tray: the reminder has to come in our own window.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orb-no-bus");
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        EventRecord event;
        event.id = "e1";
        event.summary = "Standup";
        event.start.dateTime = "2026-03-02T10:00:00";
        event.end.dateTime = "2026-03-02T11:00:00";
        event.reminderOverrides = {{"popup", 10}};
        CalendarRecord calendar;
        calendar.id = "work";
        calendar.summary = "Work";
        calendar.selected = "true";
        calendar.events = {event};
        store.Write([&](LocalStore::Data& data) { data.calendars = {calendar}; });
    }

    void TearDown() override
    {
        for (QWidget* window : Windows())
            delete window;
        std::filesystem::remove_all(folder);
    }

    static std::vector<QWidget*> Windows()
    {
        std::vector<QWidget*> found;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == CReminderWindow::kObjectName && widget->isVisible())
                found.push_back(widget);
        }
        return found;
    }

    static void Click(const char* button)
    {
        ASSERT_EQ(Windows().size(), 1u);
        QTest::mouseClick(Windows()[0]->findChild<QPushButton*>(button), Qt::LeftButton);
        QApplication::processEvents();
    }

    std::filesystem::path folder = std::filesystem::temp_directory_path() / "orb-reminder-driver-test";
    std::string firedPath = (folder / "reminders-shown.dat").string();
    LocalStore store;
    AppSettings settings;
    test::FixedClock clock{{2026, 3, 2, 9, 49, 59}};
    test::RecordingDiagnostics diagnostics;
};

TEST_F(ReminderDriverTest, WithoutServiceOrTrayTheReminderComesOnceInOurOwnWindowAndSnoozeBringsItBack)
{
    ReminderDriver driver(store, settings, clock, diagnostics, firedPath);
    driver.Start();
    EXPECT_TRUE(Windows().empty());
    clock.Set({2026, 3, 2, 9, 50, 0});
    driver.Pass();
    ASSERT_EQ(Windows().size(), 1u);
    QStringList texts;
    for (const QLabel* label : Windows()[0]->findChildren<QLabel*>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        texts << label->text();
    }
    EXPECT_EQ(texts, (QStringList{"Standup", "2026-03-02 10:00 - 11:00\nWork"}));
    QStringList buttons;
    for (const QPushButton* button : Windows()[0]->findChildren<QPushButton*>())
        buttons << button->text();
    EXPECT_EQ(buttons, (QStringList{"Open", "Snooze 5 min", "Dismiss"}));
    EXPECT_EQ(diagnostics.Lines(), (std::vector<std::string>{"Reminder shown in a window: Standup"}));
    driver.Pass();
    EXPECT_EQ(Windows().size(), 1u);

    // Snoozed: gone now, back five minutes later, and "Open" asks for the event.
    Click(CReminderWindow::kSnoozeName);
    EXPECT_TRUE(Windows().empty());
    clock.Set({2026, 3, 2, 9, 54, 59});
    driver.Pass();
    EXPECT_TRUE(Windows().empty());
    clock.Set({2026, 3, 2, 9, 55, 0});
    driver.Pass();
    QSignalSpy opened(&driver, &ReminderDriver::openRequested);
    Click(CReminderWindow::kOpenName);
    ASSERT_TRUE(opened.size() == 1 || opened.wait(1000));
    EXPECT_EQ(opened.at(0).at(0).value<Reminder>().itemId, "e1");
}

TEST_F(ReminderDriverTest, AReminderShownBeforeARestartIsNotShownAgainAndTheOptionTurnsThemOff)
{
    clock.Set({2026, 3, 2, 9, 50, 0});
    {
        ReminderDriver first(store, settings, clock, diagnostics, firedPath);
        first.Start();
        ASSERT_EQ(Windows().size(), 1u);
        Click(CReminderWindow::kDismissName);
    }
    ReminderDriver second(store, settings, clock, diagnostics, firedPath);
    second.Start();
    EXPECT_TRUE(Windows().empty());

    // An event added later with reminders off stays quiet, and speaks once they are on.
    store.Write([](LocalStore::Data& data) {
        EventRecord added = data.calendars[0].events[0];
        added.id = "e2";
        data.calendars[0].events.push_back(added);
    });
    settings.bReminders = 0;
    second.Pass();
    EXPECT_TRUE(Windows().empty());
    settings.bReminders = 1;
    second.Pass();
    EXPECT_EQ(Windows().size(), 1u);
}

} // namespace
} // namespace orb
