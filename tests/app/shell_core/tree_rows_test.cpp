#include "app/shell_core/settings.h"
#include "app/shell_core/store.h"
#include "app/shell_core/tree_rows.h"
#include "tests/support/doubles.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

EventRecord Event(const std::string& id, const std::string& date, const std::string& dateTime = "")
{
    EventRecord event;
    event.id = id;
    event.summary = "Event " + id;
    event.description = "memo " + id;
    event.start.date = date;
    event.start.dateTime = dateTime;
    return event;
}

CalendarRecord Calendar(const std::string& selected = "true")
{
    CalendarRecord calendar;
    calendar.id = "cal@example.com";
    calendar.summary = "Work";
    calendar.backgroundColor = "#9fe1e7";
    calendar.selected = selected;
    return calendar;
}

TEST(CalendarRows, ColumnsPrefixesAndDueForms)
{
    CalendarRecord calendar = Calendar();
    calendar.events.push_back(Event("e1", "", "2012-05-20T09:30:00+09:00"));
    calendar.events.push_back(Event("e2", "2012-05-21"));
    calendar.events.back().colorText = "#DC2127";
    calendar.events.push_back(Event("e3", "", ""));

    const auto rows = CalendarRows(calendar, "2012-05-20", FillMode::Load, true);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].level, 2);
    EXPECT_EQ(rows[0].texts[kNameColumn], "0x9fe1e7Work");
    EXPECT_EQ(rows[0].texts[kIdColumn], "cal@example.com");
    EXPECT_FALSE(rows[0].checked.has_value());

    EXPECT_EQ(rows[1].level, 3);
    EXPECT_EQ(rows[1].texts[kNameColumn], "0x9fe1e7Event e1"); // the calendar's colour
    EXPECT_EQ(rows[1].texts[kDueColumn], "05-20 09:30");
    EXPECT_EQ(rows[1].texts[kMemoColumn], "memo e1");
    EXPECT_EQ(rows[1].texts[kIdColumn], "e1");
    EXPECT_EQ(rows[2].texts[kNameColumn], "0xDC2127Event e2"); // the event's own colour
    EXPECT_EQ(rows[2].texts[kDueColumn], "2012-05-21");
    EXPECT_EQ(rows[3].texts[kDueColumn], "");
}

TEST(CalendarRows, StartBeforeTodayIsCheckedByText)
{
    CalendarRecord calendar = Calendar();
    calendar.events.push_back(Event("yesterday", "2026-12-07"));
    calendar.events.push_back(Event("today", "2026-12-08"));
    calendar.events.push_back(Event("timed-yesterday", "", "2026-12-07T23:59:00+09:00"));
    calendar.events.push_back(Event("timed-today", "", "2026-12-08T00:00:00+09:00"));
    // Compared by text, so single-digit months and days must be zero-padded.
    EXPECT_EQ(TodayIsoDate(test::FixedClock({2027, 1, 5, 23, 59, 59})), "2027-01-05");
    const auto rows =
        CalendarRows(calendar, TodayIsoDate(test::FixedClock({2026, 12, 8, 9, 0, 0})), FillMode::Load, true);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1].checked, true);
    EXPECT_EQ(rows[2].checked, false);
    EXPECT_EQ(rows[3].checked, true);
    EXPECT_EQ(rows[4].checked, false);
}

TEST(CalendarRows, UnselectedCalendarHasNoRowsAndShortTextsNeverCrash)
{
    CalendarRecord hidden = Calendar("false");
    hidden.events.push_back(Event("e", "2026-12-08"));
    EXPECT_TRUE(CalendarRows(hidden, "2026-12-08", FillMode::Load, true).empty());

    CalendarRecord odd = Calendar();
    odd.backgroundColor = "#12";
    odd.events.push_back(Event("e", "", "2026-1"));
    const auto rows = CalendarRows(odd, "2026-12-08", FillMode::Load, true);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].texts[kNameColumn], "0x12Work");
    EXPECT_EQ(rows[1].texts[kDueColumn], "1- :");
}

TEST(CalendarRows, ExpansionOnLoadAndRebuild)
{
    CalendarRecord calendar = Calendar();
    EXPECT_TRUE(CalendarRows(calendar, "", FillMode::Load, true)[0].expanded);
    EXPECT_EQ(calendar.tag, 1);
    calendar.tag = 0; // the user collapsed it
    EXPECT_FALSE(CalendarRows(calendar, "", FillMode::Rebuild, true)[0].expanded);
    calendar.tag = 1;
    EXPECT_TRUE(CalendarRows(calendar, "", FillMode::Rebuild, false)[0].expanded);
    // A load without "expand all" leaves the row and the remembered state collapsed.
    CalendarRecord fresh = Calendar();
    EXPECT_FALSE(CalendarRows(fresh, "", FillMode::Load, false)[0].expanded);
    EXPECT_EQ(fresh.tag, 0);
}

class TaskRows : public ::testing::Test
{
protected:
    TaskNode& Add(TaskNode& parent, const std::string& id, const std::string& status, const std::string& due = "")
    {
        TaskInfo task;
        task.id = id;
        task.title = "T " + id;
        task.notes = "n " + id;
        task.status = status;
        task.due = due;
        list.tasks.push_back(task);
        return list.tree->AppendChild(parent, task);
    }

    std::vector<std::string> Ids(const std::vector<TreeRow>& rows)
    {
        std::vector<std::string> ids;
        for (const TreeRow& row : rows)
            ids.push_back(std::to_string(row.level) + ":" + row.texts[kIdColumn]);
        return ids;
    }

    TaskListInfo list = [] {
        TaskListInfo l;
        l.id = "L1";
        l.title = "Home";
        return l;
    }();
};

TEST_F(TaskRows, HierarchyOrderColumnsAndChecks)
{
    TaskNode& parent = Add(list.root(), "p", "needsAction", "2012-05-20T00:00:00.000Z");
    Add(parent, "c1", "completed");
    TaskNode& c2 = Add(parent, "c2", "needsAction");
    Add(c2, "g", "needsAction");
    Add(list.root(), "q", "completed");

    const auto rows = TaskListRows(list, kTaskViewAll, FillMode::Load, true);
    EXPECT_EQ(Ids(rows), (std::vector<std::string>{"2:L1", "3:p", "4:c1", "4:c2", "5:g", "3:q"}));
    EXPECT_EQ(rows[0].texts[kNameColumn], "0xEF0000Home");
    EXPECT_FALSE(rows[0].checked.has_value());
    EXPECT_EQ(rows[1].texts[kNameColumn], "0xEF0000T p");
    EXPECT_EQ(rows[1].texts[kDueColumn], "2012-05-20");
    EXPECT_EQ(rows[1].texts[kMemoColumn], "n p");
    EXPECT_EQ(rows[1].checked, false);
    EXPECT_EQ(rows[2].checked, true);
}

TEST_F(TaskRows, ViewModeSkipsAHiddenNodeWithAllItsDescendants)
{
    TaskNode& parent = Add(list.root(), "p", "needsAction");
    Add(parent, "c1", "completed");
    Add(parent, "c2", "completed");
    Add(list.root(), "done", "completed");
    TaskNode& open = Add(list.root(), "open", "needsAction");
    Add(open, "open-child", "needsAction");

    EXPECT_EQ(Ids(TaskListRows(list, kTaskViewCompleted, FillMode::Load, true)),
              (std::vector<std::string>{"2:L1", "3:done"}));
    EXPECT_EQ(Ids(TaskListRows(list, kTaskViewNeedsAction, FillMode::Load, true)),
              (std::vector<std::string>{"2:L1", "3:p", "3:open", "4:open-child"}));
    EXPECT_EQ(TaskListRows(list, 0, FillMode::Load, true).size(), 1u);
}

TEST_F(TaskRows, LoadExpandsTasksAlwaysAndListsOnlyWithExpandAll)
{
    TaskNode& parent = Add(list.root(), "p", "needsAction");
    Add(parent, "c", "needsAction");
    auto rows = TaskListRows(list, kTaskViewAll, FillMode::Load, false);
    EXPECT_FALSE(rows[0].expanded);
    EXPECT_EQ(list.expanded, 0);
    EXPECT_TRUE(rows[1].expanded);
    EXPECT_EQ(parent.expanded, 1);

    // The user collapses the task and expands the list: a rebuild shows just that.
    parent.expanded = 0;
    list.expanded = 1;
    rows = TaskListRows(list, kTaskViewAll, FillMode::Rebuild, false);
    EXPECT_TRUE(rows[0].expanded);
    EXPECT_FALSE(rows[1].expanded);
}

TEST(Store, EmptyingReleasesTreesSharedWithCopies)
{
    LocalStore store;
    SharedTaskTree tree;
    store.Write([&](LocalStore::Data& data) {
        CalendarRecord calendar;
        calendar.events.resize(3);
        data.calendars.push_back(calendar);
        TaskListInfo list;
        TaskInfo task;
        task.id = "t";
        list.tree->AppendChild(list.root(), task);
        tree = list.tree;
        data.taskLists.push_back(list);
    });
    EXPECT_EQ(tree->size(), 1u);
    store.Empty();
    EXPECT_EQ(tree->size(), 0u); // the hierarchy was released, not just forgotten
    store.Read([](const LocalStore::Data& data) {
        EXPECT_TRUE(data.calendars.empty());
        EXPECT_TRUE(data.taskLists.empty());
    });
}

} // namespace
} // namespace orb
