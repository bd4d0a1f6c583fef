#include "app/shell_core/store_merge.h"

#include "tests/tasks/tree_text.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

CalendarRecord Calendar(const std::string& id, const std::string& selected, const std::string& zone = "UTC")
{
    CalendarRecord calendar;
    calendar.id = id;
    calendar.summary = "Cal " + id;
    calendar.selected = selected;
    calendar.timeZone = zone;
    return calendar;
}

EventRecord Event(const std::string& id, const std::string& date, const std::string& summary = {})
{
    EventRecord event;
    event.id = id;
    event.summary = summary;
    event.start.date = date;
    return event;
}

std::vector<std::string> Ids(const auto& records)
{
    std::vector<std::string> ids;
    for (const auto& record : records)
        ids.push_back(record.id);
    return ids;
}

TEST(StoreMerge, TheCalendarListKeepsWhatTheUserSetAndSaysWhichEventsNoLongerHold)
{
    std::vector<CalendarRecord> calendars{Calendar("stay", "true"), Calendar("off", "true"), Calendar("zone", "true"),
                                          Calendar("gone", "true"), Calendar("back", "false")};
    for (CalendarRecord& calendar : calendars) {
        calendar.tag = 1;
        calendar.events = {Event(calendar.id + "-e", "2026-12-08")};
    }
    std::vector<CalendarRecord> listed{Calendar("new", "true"), Calendar("zone", "true", "Asia/Seoul"),
                                       Calendar("off", "false"), Calendar("stay", "true"), Calendar("back", "true")};
    listed[3].summary = "Renamed";

    const CalendarListMerge merge = MergeCalendarList(calendars, listed);
    EXPECT_EQ(Ids(calendars), (std::vector<std::string>{"new", "zone", "off", "stay", "back"}));
    EXPECT_EQ(calendars[3].summary, "Renamed");
    EXPECT_EQ(calendars[3].tag, 1);
    EXPECT_EQ(Ids(calendars[3].events), std::vector<std::string>{"stay-e"});
    EXPECT_TRUE(calendars[2].events.empty()) << "an unselected calendar shows no events";
    EXPECT_EQ(calendars[0].tag, 0);
    EXPECT_EQ(merge.added, std::vector<std::string>{"new"});
    EXPECT_EQ(merge.removed, std::vector<std::string>{"gone"});
    EXPECT_EQ(merge.emptied, std::vector<std::string>{"off"});
    EXPECT_EQ(merge.rezoned, std::vector<std::string>{"zone"});
    EXPECT_EQ(merge.shown, std::vector<std::string>{"back"});
    EXPECT_TRUE(merge.changed);

    const std::vector<CalendarRecord> same = CalendarsWithoutEvents(calendars);
    EXPECT_FALSE(MergeCalendarList(calendars, same).changed);
    EXPECT_EQ(Ids(calendars[3].events), std::vector<std::string>{"stay-e"}) << "events stay where they were";
}

TEST(StoreMerge, EventChangesReplaceAddAndDropByIdAndEndInStartOrder)
{
    CalendarRecord calendar = Calendar("c", "true");
    calendar.events = {Event("a", "2026-12-08"), Event("b", "2026-12-09"), Event("c", "2026-12-10")};
    EXPECT_FALSE(ApplyEventListing(calendar, {}, false));

    EventChanges changes;
    changes.upserts = {Event("c", "2026-12-01", "moved"), Event("n", "2026-12-09"), Event("b", "2026-12-09", "gone")};
    changes.deletions = {"b", "never-there"};
    EXPECT_TRUE(ApplyEventListing(calendar, changes, false));
    EXPECT_EQ(Ids(calendar.events), (std::vector<std::string>{"c", "a", "n"}));
    EXPECT_EQ(calendar.events[0].summary, "moved");

    changes.upserts = {Event("z", "2026-12-02"), Event("y", "2026-12-02")};
    changes.deletions.clear();
    EXPECT_TRUE(ApplyEventListing(calendar, changes, true));
    EXPECT_EQ(Ids(calendar.events), (std::vector<std::string>{"y", "z"})) << "whole: nothing else stays";
}

TEST(StoreMerge, TaskChangesRebuildTheHierarchyKeepingEachTasksExpansion)
{
    const auto task = [](const std::string& id, const std::string& parent, const std::string& position) {
        TaskInfo made;
        made.id = id;
        made.parent = parent;
        made.position = position;
        return made;
    };
    TaskListInfo list;
    list.tasks = {task("p", "", "1"), task("c1", "p", "1"), task("c2", "p", "2"), task("q", "", "2")};
    AddTasksToTree(*list.tree, list.tasks, {1, 0, 0, 0});
    list.tree->FindNode("q")->expanded = 0;
    bool changed = true;
    ApplyTaskListing(list, {{task("p", "", "1")}, {}}, false, changed);
    EXPECT_FALSE(changed) << "the same task again changes nothing";

    // c2 moves under q and first among the tops; c1 goes; n is new.
    TaskChanges changes{{task("c2", "q", "0"), task("n", "", "0")}, {"c1"}};
    const TaskPlacement placement = ApplyTaskListing(list, changes, false, changed);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(placement.missingParent.empty());
    EXPECT_EQ(test::TreeText(list.root()), "n,p,q(c2)");
    EXPECT_EQ(Ids(list.tasks), (std::vector<std::string>{"p", "c2", "q", "n"}));
    EXPECT_EQ(list.tree->FindNode("p")->expanded, 1);
    EXPECT_EQ(list.tree->FindNode("q")->expanded, 0) << "closed by the user, it stays closed";
    EXPECT_EQ(list.tree->FindNode("n")->expanded, 1) << "new, so expanded as a load expands it";
}

} // namespace
} // namespace orb
