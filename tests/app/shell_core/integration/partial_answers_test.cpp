#include "app/shell_core/load_pass.h"
#include "tests/app/shell_core/integration/pass_doubles.h"
#include "tests/support/stand_in.h"

#include <gtest/gtest.h>

#include <tuple>

namespace orb {
namespace {

using test::RecordingTreeSink;
using test::ScriptedPassUi;

// Every member the program reads is set, next to members it does not read (htmlLink,
// organizer, iCalUID, an attendee's email, a task's links), so that a member left out of
// a listing's selector loses data here and the two stores differ.
constexpr const char* kSeed = R"({
  "oauth": {"accessTokens": ["t1"], "refreshTokens": ["r1"]},
  "calendar": {"calendars": [
    {"id": "me@example.com", "summary": "Me", "description": "Own calendar", "timeZone": "Asia/Seoul",
     "colorId": "14", "backgroundColor": "#9fe1e7", "foregroundColor": "#000000", "accessRole": "owner",
     "selected": true, "primary": true, "summaryOverride": "unread", "notificationSettings": {"notifications": []},
     "defaultReminders": [{"method": "popup", "minutes": 10}, {"method": "email", "minutes": 30}],
     "events": [
       {"id": "e1", "etag": "\"3301\"", "status": "confirmed", "summary": "Review", "description": "Notes",
        "location": "Room 1", "colorId": "5", "created": "2026-11-01T10:00:00.000Z",
        "updated": "2026-11-02T10:00:00.000Z", "iCalUID": "e1@google.com", "sequence": 2,
        "creator": {"id": "c1", "email": "me@example.com", "displayName": "Me", "self": true},
        "organizer": {"email": "boss@example.com"},
        "start": {"dateTime": "2026-12-08T09:30:00+09:00", "timeZone": "Asia/Seoul"},
        "end": {"dateTime": "2026-12-08T10:00:00+09:00", "timeZone": "Asia/Seoul"},
        "reminders": {"useDefault": false, "overrides": [{"method": "popup", "minutes": 15}]},
        "attendees": [{"email": "boss@example.com", "responseStatus": "accepted"},
                      {"email": "me@example.com", "self": true, "responseStatus": "tentative", "comment": "maybe"}]},
       {"id": "e2", "summary": "Holiday", "start": {"date": "2026-12-09"}, "end": {"date": "2026-12-10"},
        "reminders": {"useDefault": true}},
       {"id": "e3", "summary": "Gone soon", "start": {"date": "2026-12-10"}, "end": {"date": "2026-12-11"}}]},
    {"id": "team@example.com", "summary": "Team", "accessRole": "reader", "selected": true, "colorId": "3",
     "events": [{"id": "t1", "summary": "Standup", "start": {"dateTime": "2026-12-09T09:00:00Z"},
                 "end": {"dateTime": "2026-12-09T09:15:00Z"}}]}
  ]},
  "tasks": {"taskLists": [
    {"id": "L1", "title": "Home", "tasks": [
      {"id": "shop", "title": "Shopping", "notes": "Market", "due": "2026-12-12T00:00:00.000Z"},
      {"id": "milk", "title": "Milk", "parent": "shop", "status": "completed", "completed": "2026-12-07T08:00:00.000Z"},
      {"id": "call", "title": "Call", "notes": "Mum"}]}
  ]}
})";

// Two stores loaded from the one stand-in: one asking for partial answers, one for whole ones.
class PartialAnswersTest : public ::testing::Test, protected test::StandInServices
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(StartStandIn(error)) << error;
        ASSERT_TRUE(service.SeedFromJson(kSeed, error)) << error;
        session.set_tokens("t1", "Bearer");
        session.set_refresh_token("r1");
        settings.nCal_from = 2;
        settings.nCal_to = 5;
        wholeConfig = config;
        wholeConfig.partialAnswers = false;
    }

    // Both passes, then the two stores, which must hold the same records.
    void LoadBoth()
    {
        service.ClearRequests();
        partial.FullLoad();
        EXPECT_GT(Listings(true), 0u);
        EXPECT_EQ(Listings(false), 0u);
        service.ClearRequests();
        whole.FullLoad();
        EXPECT_GT(Listings(false), 0u);
        EXPECT_EQ(Listings(true), 0u);
        const LocalStore::Data withFields = partialStore.Read([](const LocalStore::Data& data) { return Copy(data); });
        const LocalStore::Data without = wholeStore.Read([](const LocalStore::Data& data) { return Copy(data); });
        ASSERT_EQ(withFields.calendars, without.calendars);
        ASSERT_EQ(withFields.taskLists.size(), without.taskLists.size());
        for (std::size_t i = 0; i < without.taskLists.size(); ++i) {
            const TaskListInfo& a = withFields.taskLists[i];
            const TaskListInfo& b = without.taskLists[i];
            EXPECT_EQ(std::tie(a.kind, a.id, a.title, a.updated, a.selfLink, a.tasks),
                      std::tie(b.kind, b.id, b.title, b.updated, b.selfLink, b.tasks));
        }
    }

    // The listings of the last pass, with or without a selector; the sign-in's are not listings.
    std::size_t Listings(bool selected) const
    {
        std::size_t count = 0;
        for (const auto& request : service.Requests()) {
            const bool listing = request.method == "GET" && (request.target.rfind("/calendar/", 0) == 0 ||
                                                             request.target.rfind("/tasks/", 0) == 0);
            count += listing && (request.target.find("fields=") != std::string::npos) == selected ? 1 : 0;
        }
        return count;
    }

    static LocalStore::Data Copy(const LocalStore::Data& data)
    {
        LocalStore::Data copy;
        copy.calendars = data.calendars;
        for (const TaskListInfo& list : data.taskLists) {
            TaskListInfo& held = copy.taskLists.emplace_back();
            held.kind = list.kind;
            held.id = list.id;
            held.title = list.title;
            held.updated = list.updated;
            held.selfLink = list.selfLink;
            held.tasks = list.tasks;
        }
        return copy;
    }

    ServiceConfig wholeConfig;
    test::RecordingDiagnostics wholeDiagnostics;
    ServiceContext wholeContext{transport, session, wholeDiagnostics, prompter, clock, wholeConfig};
    AppSettings settings;
    RecordingTreeSink partialTree, wholeTree;
    ScriptedPassUi ui;
    test::RecordingUrlOpener opener;
    LocalStore partialStore, wholeStore;
    LoadPass partial{context, partialStore, settings, partialTree, ui, opener};
    LoadPass whole{wholeContext, wholeStore, settings, wholeTree, ui, opener};
};

TEST_F(PartialAnswersTest, ALoadAskingOnlyForWhatIsReadKeepsEveryRecordOfAWholeLoadAlsoIncrementally)
{
    LoadBoth();
    // The comparison means something only if what the readers read was there to lose.
    partialStore.Read([](const LocalStore::Data& data) {
        ASSERT_EQ(data.calendars.size(), 2u);
        const CalendarRecord& me = data.calendars[0];
        EXPECT_EQ(me.description, "Own calendar");
        EXPECT_EQ(me.timeZone, "Asia/Seoul");
        EXPECT_EQ(me.backgroundColor, "#9fe1e7");
        EXPECT_EQ(me.foregroundColor, "#000000");
        EXPECT_EQ(me.accessRole, "owner");
        EXPECT_EQ(me.selected, "true");
        EXPECT_TRUE(me.primary);
        EXPECT_EQ(me.defaultReminders, (std::vector<EventReminder>{{"popup", 10}, {"email", 30}}));
        ASSERT_EQ(me.events.size(), 3u);
        const EventRecord& review = me.events[0];
        EXPECT_EQ(review.etag, "\\\"3301\\\"");
        EXPECT_EQ(review.kind, "calendar#event");
        EXPECT_EQ(review.status, "confirmed");
        EXPECT_EQ(review.location, "Room 1");
        EXPECT_EQ(review.colorText, "#FBD75B");
        EXPECT_EQ(review.created, "2026-11-01T10:00:00.000Z");
        EXPECT_EQ(review.updated, "2026-11-02T10:00:00.000Z");
        EXPECT_EQ(review.creator.id, "c1");
        EXPECT_EQ(review.creator.displayName, "Me");
        EXPECT_EQ(review.creator.self, "true");
        EXPECT_EQ(review.end.timeZone, "Asia/Seoul");
        EXPECT_EQ(review.remindersUseDefault, "false");
        EXPECT_EQ(review.reminderOverrides, (std::vector<EventReminder>{{"popup", 15}}));
        EXPECT_EQ(review.selfResponseStatus, "tentative");
        ASSERT_EQ(data.taskLists.size(), 1u);
        const TaskListInfo& home = data.taskLists[0];
        EXPECT_EQ(home.kind, "tasks#taskList");
        EXPECT_FALSE(home.selfLink.empty());
        EXPECT_FALSE(home.updated.empty());
        ASSERT_EQ(home.tasks.size(), 3u);
        const TaskInfo& milk = home.tasks[1];
        EXPECT_EQ(milk.parent, "shop");
        EXPECT_EQ(milk.status, "completed");
        EXPECT_FALSE(milk.position.empty());
        EXPECT_FALSE(milk.selfLink.empty());
        EXPECT_EQ(home.tasks[0].notes, "Market");
        EXPECT_EQ(home.tasks[0].due, "2026-12-12T00:00:00.000Z");
    });

    // The incremental listings read more: cancelled events and deleted tasks.
    ASSERT_EQ(service
                  .FromAnotherDevice("PATCH", "/calendar/v3/calendars/me%40example.com/events/e1",
                                     R"({"summary": "Review moved", "location": "Room 2"})")
                  .status,
              200);
    ASSERT_EQ(service.FromAnotherDevice("DELETE", "/calendar/v3/calendars/me%40example.com/events/e3", "").status, 204);
    ASSERT_EQ(service.FromAnotherDevice("DELETE", "/tasks/v1/lists/L1/tasks/call", "").status, 204);
    LoadBoth();
    partialStore.Read([](const LocalStore::Data& data) {
        ASSERT_EQ(data.calendars[0].events.size(), 2u);
        EXPECT_EQ(data.calendars[0].events[0].location, "Room 2");
        EXPECT_EQ(data.taskLists[0].tasks.size(), 2u);
    });
    EXPECT_GT(CountRequests("syncToken="), 0u);
    EXPECT_GT(CountRequests("updatedMin="), 0u);
}

} // namespace
} // namespace orb
