#include "app/windows/edit_runner.h"
#include "dialogs/insert_cal_dlg.h"
#include "dialogs/insert_event_dlg.h"
#include "tests/app/windows/shell_fixture.h"
#include "tests/app/windows/tree_lookup.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <json/json.h>

namespace orb {
namespace {

constexpr const char* kMoreCalendars = R"({"calendar": {"calendars": [
    {"id": "team@example.com", "summary": "Team", "colorId": "7", "accessRole": "owner", "selected": true,
     "events": [{"id": "w1", "summary": "Review copy", "start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}]},
    {"id": "holidays@example.com", "summary": "Holidays", "colorId": "3", "accessRole": "reader", "selected": true,
     "events": [{"id": "h1", "summary": "Feast", "start": {"date": "2026-12-10"}, "end": {"date": "2026-12-11"}}]}]}})";

class EventFlowsTest : public test::EditShellTest
{
protected:
    void Start() { EditShellTest::Start(kMoreCalendars); }

    std::string StoredSummary(const std::string& calendarId, const std::string& eventId) const
    {
        return frame->MainWindow()->Store().Read([&](const LocalStore::Data& data) {
            for (const CalendarRecord& calendar : data.calendars) {
                for (const EventRecord& event : calendar.events) {
                    if (calendar.id == calendarId && event.id == eventId)
                        return event.summary;
                }
            }
            return std::string("<gone>");
        });
    }
    // What the service itself holds now, read past the program.
    Json::Value ServiceEvent(const std::string& encodedCalendarId, const std::string& eventId)
    {
        std::string answer;
        transport.HttpGet(config.apiBase + "/calendar/v3/calendars/" + encodedCalendarId + "/events", "", answer);
        Json::Value root;
        std::stringstream(answer) >> root;
        for (const Json::Value& item : root["items"]) {
            if (item["id"].asString() == eventId)
                return item;
        }
        return Json::Value();
    }

    // Opens the calendar's first event in the editor and lets `fill` change it before Update.
    void EditFirstEvent(const std::string& calendarId, const std::function<void(CInsertEventDlg&)>& fill)
    {
        Select(calendarId);
        CTreeListItem* row = Row(calendarId)->firstChild;
        ASSERT_NE(row, nullptr) << calendarId;
        WithEditor<CInsertEventDlg>(
            [&] {
                frame->MainWindow()->Tree()->SelectItem(row);
                frame->MainWindow()->OnTreeListNotify(
                    {frame->MainWindow()->Tree(), kTreeControlId, TreeListCode::DoubleClick, row, 0});
            },
            [&](CInsertEventDlg& editor) {
                fill(editor);
                editor.findChild<QPushButton*>("1019")->click();
            });
    }
};

TEST_F(EventFlowsTest, EachUpdateNamesTheEtagTheServiceGaveLast)
{
    Start();
    const std::string listed = ServiceEvent("work%40example.com", "w1")["etag"].asString();
    EditFirstEvent("work@example.com",
                   [](CInsertEventDlg& editor) { editor.findChild<QLineEdit*>("1021")->setText("First"); });
    const std::string afterFirst = ServiceEvent("work%40example.com", "w1")["etag"].asString();
    EditFirstEvent("work@example.com",
                   [](CInsertEventDlg& editor) { editor.findChild<QLineEdit*>("1021")->setText("Second"); });

    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(Body(writes[0])["etag"].asString(), listed);
    EXPECT_EQ(Body(writes[1])["etag"].asString(), afterFirst);
    EXPECT_NE(afterFirst, listed);
    EXPECT_EQ(StoredSummary("work@example.com", "w1"), "Second");
    EXPECT_TRUE(prompter.messages.empty());
}

// What the service accepted is in the cache at once, so a start before the next pass shows it.
TEST_F(EventFlowsTest, AcceptedChangesAreWrittenThroughToTheCacheAndRefusedOnesAreNot)
{
    Start();
    EditFirstEvent("work@example.com",
                   [](CInsertEventDlg& editor) { editor.findChild<QLineEdit*>("1021")->setText("Cached"); });
    prompter.QueueAnswer(true);
    Select("team@example.com");
    frame->MainWindow()->Tree()->SelectItem(Row("team@example.com")->firstChild);
    frame->RunCommand(Command::DeleteTask);
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 400, std::chrono::seconds(60), "/events/"});
    EditFirstEvent("work@example.com",
                   [](CInsertEventDlg& editor) { editor.findChild<QLineEdit*>("1021")->setText("Refused"); });

    const std::vector<CalendarRecord> cached = ReadCache()->ReadCalendars().value;
    ASSERT_EQ(cached.size(), 3u);
    ASSERT_EQ(cached[0].id, "work@example.com");
    ASSERT_EQ(cached[0].events.size(), 1u);
    EXPECT_EQ(cached[0].events[0].summary, "Cached");
    EXPECT_EQ(cached[1].id, "team@example.com");
    EXPECT_TRUE(cached[1].events.empty());
}

TEST_F(EventFlowsTest, NewEventsFromTheTreeAndTheMonthViewReachTheServiceOnceAndShowUp)
{
    Start();
    const std::string typed = "tab\there \"quoted\" back\\slash \xED\x95\x9C\xEA\xB8\x80";
    Select("work@example.com");
    WithEditor<CInsertEventDlg>([&] { frame->RunCommand(Command::InsertButton); },
                                [&](CInsertEventDlg& editor) {
                                    editor.findChild<QLineEdit*>("1021")->setText(QString::fromStdString(typed));
                                    editor.findChild<QPlainTextEdit*>("1002")->setPlainText("line one\nline two");
                                    editor.findChild<QPushButton*>("1019")->click();
                                });
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].method, "POST");
    EXPECT_EQ(writes[0].target, "/calendar/v3/calendars/work%40example.com/events");
    Json::Value body;
    std::stringstream(writes[0].body) >> body;
    EXPECT_EQ(body["summary"].asString(), typed);
    EXPECT_EQ(body["description"].asString(), "line one\nline two");
    // All-day on today: the end is the day after, exclusive.
    EXPECT_EQ(body["start"]["date"].asString(), "2026-12-08");
    EXPECT_EQ(body["end"]["date"].asString(), "2026-12-09");
    CTreeListItem* calendarRow = Row("work@example.com");
    bool inTree = false;
    for (CTreeListItem* row = calendarRow->firstChild; row; row = row->nextSibling)
        inTree = inTree || row->texts[kNameColumn].find(typed) != std::string::npos;
    EXPECT_TRUE(inTree);
    // Shown: its calendar row, collapsed after the load, opens, and the new row is selected.
    const CTreeListItem* shown = frame->MainWindow()->Tree()->GetFirstSelectedItem();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->parent, calendarRow);
    EXPECT_NE(shown->texts[kNameColumn].find(typed), std::string::npos);
    EXPECT_TRUE(calendarRow->IsExpanded());
    const std::string shownId = shown->texts[kIdColumn];

    // A double click on an empty part of a day in the month view.
    service.ClearRequests();
    COrbCalendarCtrl* view = frame->CalendarWindow()->MonthView();
    view->RenderImage();
    int cell = -1;
    for (std::size_t k = 0; k < view->cells().size(); ++k)
        cell = view->cells()[k].date == DateValue::FromCivil(2026, 12, 16) ? static_cast<int>(k) : cell;
    ASSERT_GE(cell, 0);
    const PixelRect r = view->cells()[static_cast<std::size_t>(cell)].rect;
    WithEditor<CInsertEventDlg>([&] { QTest::mouseDClick(view, Qt::LeftButton, {}, QPoint(r.left + 5, r.bottom - 5)); },
                                [&](CInsertEventDlg& editor) {
                                    editor.findChild<QLineEdit*>("1021")->setText("Dentist");
                                    editor.findChild<QPushButton*>("1019")->click();
                                });
    writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].method, "POST");
    view->RenderImage();
    bool inView = false;
    for (const EventEntry& entry : view->events())
        inView = inView || entry.event.summary == "Dentist";
    EXPECT_TRUE(inView);
    // The tree's selection is the user's own, not the month view's new event.
    ASSERT_NE(frame->MainWindow()->Tree()->GetFirstSelectedItem(), nullptr);
    EXPECT_EQ(frame->MainWindow()->Tree()->GetFirstSelectedItem()->texts[kIdColumn], shownId);
}

TEST_F(EventFlowsTest, ARefusedOrLostUpdateChangesNothingAndSaysSoPlainly)
{
    Start();
    // A refusal shows the service's reason alone; a lost answer says what to do.
    const std::vector<std::pair<fake::Fault, const char*>> faults = {
        {fake::Fault{fake::FaultKind::Status, 403, {}, "/events/w1"}, "Rate Limit Exceeded"},
        {fake::Fault{fake::FaultKind::Drop, 0, {}, "/events/w1"}, "The change may or may not have been applied: "},
    };
    for (const auto& [fault, prefix] : faults) {
        prompter.messages.clear();
        service.ClearRequests();
        EditFirstEvent("work@example.com", [&](CInsertEventDlg& editor) {
            editor.findChild<QLineEdit*>("1021")->setText("Renamed");
            service.FailNext(1, fault);
        });
        EXPECT_EQ(StoredSummary("work@example.com", "w1"), "Review");
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages[0].rfind(prefix, 0), 0u) << prompter.messages[0];
        EXPECT_EQ(prompter.messages[0].find('{'), std::string::npos) << "raw JSON shown";
        EXPECT_EQ(Writes().size(), 1u);
    }
}

TEST_F(EventFlowsTest, ARefusedInsertSaysEventInsertFailAndOtherRefusalsTheReasonAlone)
{
    Start();
    const fake::Fault refused{fake::FaultKind::Status, 404, {}, "/calendar/v3/"};
    service.FailNext(1, refused);
    Select("work@example.com");
    WithEditor<CInsertEventDlg>([&] { frame->RunCommand(Command::InsertButton); },
                                [&](CInsertEventDlg& editor) {
                                    editor.findChild<QLineEdit*>("1021")->setText("Refused");
                                    editor.findChild<QPushButton*>("1019")->click();
                                });
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Event Insert Fail\nNot Found"});
    EXPECT_EQ(Row("work@example.com")->firstChild->nextSibling, nullptr) << "nothing was added";

    prompter.messages.clear();
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 403, {}, "/calendar/v3/"});
    prompter.QueueAnswer(true);
    Select("w1");
    frame->RunCommand(Command::DeleteTask);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Rate Limit Exceeded"});
    EXPECT_EQ(StoredSummary("work@example.com", "w1"), "Review");

    prompter.messages.clear();
    service.FailNext(1, refused);
    WithEditor<CInsertCalDlg>(
        [&] {
            frame->MainWindow()->OnTreeListNotify(
                {frame->MainWindow()->Tree(), kTreeControlId, TreeListCode::DoubleClick, Row("work@example.com"), 0});
        },
        [](CInsertCalDlg& editor) {
            editor.findChild<QLineEdit*>("1000")->setText("Not renamed");
            editor.findChild<QPushButton*>("1038")->click();
        });
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Not Found"});
    EXPECT_EQ(Row("work@example.com")->texts[kNameColumn].find("Not renamed"), std::string::npos);
    EXPECT_EQ(Writes().size(), 3u);
}

TEST_F(EventFlowsTest, DeletesGoToTheCalendarTheUserChoseAndNeverToAReadersCalendar)
{
    Start();
    // "w1" is in both Work and Team: deleting Team's sends one DELETE, to Team.
    prompter.QueueAnswer(true);
    Select("team@example.com");
    CTreeListItem* teamCopy = Row("team@example.com")->firstChild;
    frame->MainWindow()->Tree()->SelectItem(teamCopy);
    frame->RunCommand(Command::DeleteTask);
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].method, "DELETE");
    EXPECT_EQ(writes[0].target, "/calendar/v3/calendars/team%40example.com/events/w1");
    EXPECT_EQ(StoredSummary("team@example.com", "w1"), "<gone>");
    EXPECT_EQ(StoredSummary("work@example.com", "w1"), "Review");
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0], "정말로 'Review copy' Event를 삭제하시겠습니까?");

    // A reader's event: no question, nothing sent.
    service.ClearRequests();
    Select("h1");
    frame->RunCommand(Command::DeleteTask);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(prompter.questions.size(), 1u);
}

// Free/busy access is read access too: the event opens read-only and is never deleted.
TEST_F(EventFlowsTest, AFreeBusyReadersEventOpensReadOnlyAndIsNeverDeleted)
{
    EditShellTest::Start(R"({"calendar": {"calendars": [
        {"id": "busy@example.com", "summary": "Busy", "accessRole": "freeBusyReader", "selected": true,
         "events": [{"id": "b1", "summary": "busy", "start": {"date": "2026-12-10"}, "end": {"date": "2026-12-11"}}]}]}})");
    CTreeListItem* row = Row("b1");
    ASSERT_NE(row, nullptr);
    WithEditor<CInsertEventDlg>(
        [&] {
            frame->MainWindow()->OnTreeListNotify(
                {frame->MainWindow()->Tree(), kTreeControlId, TreeListCode::DoubleClick, row, 0});
        },
        [&](CInsertEventDlg& editor) {
            EXPECT_FALSE(editor.findChild<QPushButton*>("1019")->isEnabled());
            EXPECT_TRUE(editor.findChild<QLineEdit*>("1021")->isReadOnly());
            editor.reject();
        });
    Select("b1");
    frame->RunCommand(Command::DeleteTask);
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(EventFlowsTest, AnEditThatPicksNoColourKeepsAColourIdTheSwatchesDoNotShow)
{
    std::string error;
    ASSERT_TRUE(service.SeedFromJson(R"({"calendar": {"calendars": [
        {"id": "paint@example.com", "summary": "Paint", "accessRole": "owner", "selected": true, "events": [
          {"id": "odd", "summary": "Odd", "colorId": "12", "start": {"date": "2026-12-09"}, "end": {"date": "2026-12-10"}}]}]}})",
                                     error))
        << error;
    Start();
    EditFirstEvent("paint@example.com", [](CInsertEventDlg& editor) {
        EXPECT_EQ(editor.ColourIndex(), -1) << "no swatch is checked";
        editor.findChild<QLineEdit*>("1021")->setText("Renamed");
    });
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_FALSE(Body(writes[0]).isMember("colorId")) << writes[0].body;
    const Json::Value stored = ServiceEvent("paint%40example.com", "odd");
    EXPECT_EQ(stored["summary"].asString(), "Renamed");
    EXPECT_EQ(stored["colorId"].asString(), "12");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(EventFlowsTest, DeletingAnEventTheServiceNoLongerHoldsRemovesItWithoutAMessage)
{
    Start();
    // Deleted on another device after the load: the service answers 410.
    std::string answer;
    ASSERT_EQ(transport
                  .HttpDelete(config.apiBase + "/calendar/v3/calendars/work%40example.com/events/w1", "", answer,
                              session.AuthorizationLine())
                  .status,
              204);
    service.ClearRequests();
    // Team's copy was never there as far as this answer goes: 404.
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 404, {}, "/team%40example.com/events/w1"});
    for (const char* calendarId : {"work@example.com", "team@example.com"}) {
        prompter.QueueAnswer(true);
        Select(calendarId);
        frame->MainWindow()->Tree()->SelectItem(Row(calendarId)->firstChild);
        frame->RunCommand(Command::DeleteTask);
        EXPECT_EQ(StoredSummary(calendarId, "w1"), "<gone>") << calendarId;
        EXPECT_EQ(Row(calendarId)->firstChild, nullptr) << calendarId;
    }
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].target, "/calendar/v3/calendars/work%40example.com/events/w1");
    EXPECT_EQ(writes[1].target, "/calendar/v3/calendars/team%40example.com/events/w1");
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(diagnostics.Contains("Delete: already gone on the service, HTTP 410"));
}

TEST_F(EventFlowsTest, EditsWaitForAPassAndExitWaitsForAnEdit)
{
    Start();
    service.SetLatency(std::chrono::milliseconds(300));
    frame->RunCommand(Command::Synchronizing);
    prompter.QueueAnswer(true);
    Select("w1");
    frame->RunCommand(Command::DeleteTask);
    EXPECT_TRUE(diagnostics.Contains(EditRunner::kRefusedLine));
    WaitForIdleShell();
    EXPECT_TRUE(Writes().empty());

    // Exit asked for during an edit goes ahead once the edit is over.
    service.ClearRequests();
    prompter.QueueAnswer(true);
    Select("w1");
    QTimer::singleShot(100, [&] { frame->RunCommand(Command::Exit); });
    frame->RunCommand(Command::DeleteTask);
    WaitForExit();
    ASSERT_EQ(Writes().size(), 1u);
    EXPECT_EQ(Writes()[0].method, "DELETE");
}

TEST_F(EventFlowsTest, CalendarEditorChangesAnOwnedCalendarThenItsEntryAndRecoloursSomeoneElses)
{
    Start();
    const auto edit = [&](const std::string& calendarId, const std::function<void(CInsertCalDlg&)>& fill) {
        WithEditor<CInsertCalDlg>(
            [&] {
                frame->MainWindow()->OnTreeListNotify(
                    {frame->MainWindow()->Tree(), kTreeControlId, TreeListCode::DoubleClick, Row(calendarId), 0});
            },
            [&](CInsertCalDlg& editor) {
                fill(editor);
                const PixelRect swatch = editor.Swatches().Rect(16);
                QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(swatch.left + 3, swatch.top + 3));
                editor.findChild<QPushButton*>("1038")->click();
            });
    };
    const std::string barBefore = Row("work@example.com")->texts[kNameColumn].substr(0, 8);
    edit("work@example.com", [](CInsertCalDlg& editor) {
        EXPECT_TRUE(editor.findChild<QPlainTextEdit*>("1039")->isEnabled());
        editor.findChild<QPlainTextEdit*>("1039")->setPlainText("a\nb");
    });
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].target, "/calendar/v3/calendars/work%40example.com");
    EXPECT_EQ(writes[0].body, R"({"summary":"Work","description":"a\nb"})");
    EXPECT_EQ(writes[1].target, "/calendar/v3/users/me/calendarList/work%40example.com");
    EXPECT_EQ(writes[1].body, R"({"colorId":"16"})");
    EXPECT_NE(Row("work@example.com")->texts[kNameColumn].substr(0, 8), barBefore) << "the colour bar follows";

    // A reader's calendar: its title is not offered, and its colour goes to the user's entry alone.
    service.ClearRequests();
    const std::string holidayBar = Row("holidays@example.com")->texts[kNameColumn].substr(0, 8);
    edit("holidays@example.com", [](CInsertCalDlg& editor) {
        EXPECT_TRUE(editor.findChild<QLineEdit*>("1000")->isReadOnly());
        EXPECT_TRUE(editor.findChild<QPlainTextEdit*>("1039")->isReadOnly());
    });
    writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].target, "/calendar/v3/users/me/calendarList/holidays%40example.com");
    EXPECT_EQ(writes[0].body, R"({"colorId":"16"})");
    EXPECT_NE(Row("holidays@example.com")->texts[kNameColumn].substr(0, 8), holidayBar);
    EXPECT_TRUE(prompter.messages.empty());
}

} // namespace
} // namespace orb
