#include "app/qt_helpers/periodic_sync_timer.h"
#include "core/atomic_file.h"
#include "dialogs/option_dlg.h"
#include "dialogs/search_dlg.h"
#include "tests/app/windows/shell_fixture.h"

#include "dialogs/insert_event_dlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace orb {
namespace {

namespace fs = std::filesystem;

// Work (from the base seed, "Review"), Team with two matches and one long before the
// loaded days, Hidden not shown.
constexpr const char* kSearchSeed = R"({"calendar": {"calendars": [
    {"id": "team@example.com", "summary": "Team", "colorId": "7", "accessRole": "owner", "selected": true,
     "events": [{"id": "m1", "summary": "Review budget", "description": "a&b #c", "start": {"date": "2026-12-10"},
                 "end": {"date": "2026-12-11"}},
                {"id": "m2", "summary": "a&b #c standup", "start": {"dateTime": "2026-12-11T09:30:00+09:00"},
                 "end": {"dateTime": "2026-12-11T10:00:00+09:00"}},
                {"id": "o1", "summary": "Old planning", "start": {"date": "2020-01-06"},
                 "end": {"date": "2020-01-07"}}]},
    {"id": "hidden@example.com", "summary": "Hidden", "colorId": "3", "accessRole": "owner", "selected": false,
     "events": [{"id": "h1", "summary": "a&b #c", "start": {"date": "2026-12-10"}, "end": {"date": "2026-12-11"}}]}]}})";

class SearchAndOptionsTest : public test::EditShellTest
{
protected:
    void Start() { EditShellTest::Start(kSearchSeed); }

    // Types `text`, presses Search and waits for every answer.
    static void Search(CSearchDlg& dialog, const std::string& text)
    {
        dialog.findChild<QLineEdit*>("1000")->setText(QString::fromStdString(text));
        dialog.findChild<QPushButton*>("1034")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.IsSearching(); }, 10000));
    }

    // "Calendar's" children: each calendar row's text with its children's texts.
    static std::vector<std::vector<std::string>> Results(const CSearchDlg& dialog)
    {
        std::vector<std::vector<std::string>> rows;
        const CTreeListItem* root = dialog.Results()->GetRootItem()->firstChild;
        for (const CTreeListItem* calendar = root ? root->firstChild : nullptr; calendar;
             calendar = calendar->nextSibling) {
            rows.push_back({calendar->texts[0]});
            for (const CTreeListItem* event = calendar->firstChild; event; event = event->nextSibling)
                rows.back().push_back(event->texts[0] + "|" + event->texts[1]);
        }
        return rows;
    }

    static CTreeListItem* FoundRow(const CSearchDlg& dialog, const std::string& id)
    {
        return test::FindRowById(*dialog.Results(), id);
    }

    // Double-clicks the found event and renames it in the editor that opens.
    void RenameFound(CSearchDlg& dialog, const std::string& id, const char* summary)
    {
        CTreeListItem* row = FoundRow(dialog, id);
        ASSERT_NE(row, nullptr) << id;
        WithEditor<CInsertEventDlg>(
            [&] {
                QTest::mouseDClick(dialog.Results(), Qt::LeftButton, {}, dialog.Results()->CellRect(row, 0).center());
            },
            [&](CInsertEventDlg& editor) {
                EXPECT_EQ(editor.parentWidget(), &dialog) << "the editor opens above the search";
                editor.findChild<QLineEdit*>("1021")->setText(summary);
                editor.findChild<QPushButton*>("1019")->click();
            });
    }

    bool StoreHolds(const std::string& eventId, const std::string& summary) const
    {
        return frame->MainWindow()->Store().Read([&](const LocalStore::Data& data) {
            for (const CalendarRecord& calendar : data.calendars) {
                for (const EventRecord& event : calendar.events) {
                    if (event.id == eventId)
                        return event.summary == summary;
                }
            }
            return false;
        });
    }

    std::vector<std::string> SearchTargets() const
    {
        std::vector<std::string> targets;
        for (const auto& request : service.Requests()) {
            if (request.target.find("?q=") != std::string::npos)
                targets.push_back(request.target);
        }
        return targets;
    }
};

TEST_F(SearchAndOptionsTest, SearchAsksEachShownCalendarOnceAndListsThemInOrder)
{
    Start();
    WithEditor<CSearchDlg>([&] { frame->RunCommand(Command::SearchCalendar); },
                           [&](CSearchDlg& dialog) {
                               Search(dialog, "a&b #c");
                               const std::vector<std::string> targets = SearchTargets();
                               ASSERT_EQ(targets.size(), 2u);
                               for (const std::string& target : targets)
                                   EXPECT_NE(target.find("?q=a%26b%20%23c"), std::string::npos) << target;
                               const auto rows = Results(dialog);
                               ASSERT_EQ(rows.size(), 2u);
                               EXPECT_EQ(rows[0], std::vector<std::string>{rows[0][0]}); // Work: no match
                               EXPECT_EQ(rows[0][0].substr(8), "Work");
                               ASSERT_EQ(rows[1].size(), 3u);
                               EXPECT_EQ(rows[1][1].substr(8), "Review budget|2026-12-10");
                               EXPECT_EQ(rows[1][2].substr(8), "a&b #c standup|12-11 09:30");

                               // Pressed again while the first runs: one set of rows.
                               service.ClearRequests();
                               dialog.findChild<QPushButton*>("1034")->click();
                               dialog.findChild<QPushButton*>("1034")->click();
                               ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.IsSearching(); }, 10000));
                               EXPECT_EQ(SearchTargets().size(), 2u);
                               EXPECT_EQ(Results(dialog), rows);
                               dialog.reject();
                           });
}

// The dark dialog has an edge in the tree header's grey. A found event opens in the editor
// with a double-click; the change reaches the service, the store, the tree and the found
// row, as an edit from the tree does. One outside the loaded days is edited all the same
// and stays out of the store, as the next pass would leave it.
TEST_F(SearchAndOptionsTest, AFoundEventIsEditedFromTheResultsLikeARowOfTheTree)
{
    Start();
    WithEditor<CSearchDlg>(
        [&] { frame->RunCommand(Command::SearchCalendar); },
        [&](CSearchDlg& dialog) {
            const QImage image = dialog.grab().toImage();
            const int w = image.width(), h = image.height();
            for (const QPoint edge : {QPoint(0, 0), QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, 0),
                                      QPoint(w / 2, h - 1), QPoint(w - 1, h - 1)})
                EXPECT_EQ(image.pixelColor(edge), QColor(48, 48, 48)) << edge.x() << "," << edge.y();
            EXPECT_EQ(image.pixelColor(1, h / 2), QColor(34, 34, 34)) << "the edge is one pixel wide";

            Search(dialog, "Review");
            RenameFound(dialog, "m1", "Budget review");
            std::vector<fake::RecordedRequest> writes = Writes();
            ASSERT_EQ(writes.size(), 1u);
            EXPECT_EQ(writes[0].method, "PATCH");
            EXPECT_EQ(writes[0].target.rfind("/calendar/v3/calendars/team%40example.com/events/m1", 0), 0u);
            EXPECT_EQ(Body(writes[0])["summary"].asString(), "Budget review");
            EXPECT_TRUE(StoreHolds("m1", "Budget review"));
            EXPECT_TRUE(Row("m1")->texts[kNameColumn].ends_with("Budget review"));
            EXPECT_TRUE(FoundRow(dialog, "m1")->texts[0].ends_with("Budget review"));

            service.ClearRequests();
            Search(dialog, "Old planning");
            RenameFound(dialog, "o1", "Older planning");
            writes = Writes();
            ASSERT_EQ(writes.size(), 1u);
            EXPECT_EQ(writes[0].target.rfind("/calendar/v3/calendars/team%40example.com/events/o1", 0), 0u);
            EXPECT_FALSE(StoreHolds("o1", "Older planning"));
            EXPECT_EQ(Row("o1"), nullptr);
            EXPECT_TRUE(FoundRow(dialog, "o1")->texts[0].ends_with("Older planning"));
            // The found row keeps the service's answer: a second edit names the new etag.
            RenameFound(dialog, "o1", "Oldest planning");
            writes = Writes();
            ASSERT_EQ(writes.size(), 2u);
            const std::string secondTag = Body(writes[1])["etag"].asString();
            EXPECT_FALSE(secondTag.empty());
            EXPECT_NE(secondTag, Body(writes[0])["etag"].asString());
            EXPECT_TRUE(FoundRow(dialog, "o1")->texts[0].ends_with("Oldest planning"));
            EXPECT_TRUE(prompter.messages.empty()) << prompter.messages.front();
            dialog.reject();
        });
}

TEST_F(SearchAndOptionsTest, AFailedOrSlowSearchNeitherFreezesNorHidesTheOthers)
{
    Start();
    WithEditor<CSearchDlg>(
        [&] { frame->RunCommand(Command::SearchCalendar); },
        [&](CSearchDlg& dialog) {
            service.FailNext(1, fake::Fault{fake::FaultKind::Status, 500, {}, "/calendars/work%40example.com"});
            Search(dialog, "Review");
            const auto rows = Results(dialog);
            ASSERT_EQ(rows.size(), 2u);
            ASSERT_EQ(rows[0].size(), 2u);
            EXPECT_EQ(rows[0][1].rfind("search failed: ", 0), 0u) << rows[0][1];
            EXPECT_EQ(rows[1].size(), 2u); // Team's "Review budget"

            // With a slow service the click returns at once and the dialog goes on painting.
            service.SetLatency(std::chrono::milliseconds(400));
            dialog.findChild<QPushButton*>("1034")->click();
            EXPECT_TRUE(dialog.IsSearching());
            EXPECT_TRUE(Results(dialog).empty());
            ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.IsSearching(); }, 10000));
            EXPECT_EQ(Results(dialog).size(), 2u);
            // Closed while searching: the rest is abandoned, nothing crashes.
            dialog.findChild<QPushButton*>("1034")->click();
            dialog.reject();
        });
    service.SetLatency(std::chrono::milliseconds(0));
    ExitAndWait();
}

TEST_F(SearchAndOptionsTest, ExitDuringAStalledSearchCancelsItInsteadOfWaiting)
{
    Start();
    service.FailNext(2, fake::Fault{fake::FaultKind::Stall, 200, std::chrono::seconds(60), "?q="});
    std::chrono::steady_clock::time_point exitAsked;
    WithEditor<CSearchDlg>([&] { frame->RunCommand(Command::SearchCalendar); },
                           [&](CSearchDlg& dialog) {
                               dialog.findChild<QLineEdit*>("1000")->setText("Review");
                               dialog.findChild<QPushButton*>("1034")->click();
                               ASSERT_TRUE(QTest::qWaitFor([&] { return service.InFlightCount() > 0; }, 5000));
                               exitAsked = std::chrono::steady_clock::now();
                               frame->RunCommand(Command::Exit);
                           });
    WaitForExit();
    // The stall lasts a minute and the pool was once waited on for the whole of it.
    EXPECT_LT(std::chrono::steady_clock::now() - exitAsked, std::chrono::seconds(30));
}

TEST_F(SearchAndOptionsTest, OptionsSaveThroughTheFileAndKeepTheValuesWhenItCannotBeWritten)
{
    Start();
    settings.nTaskViewMode = kTaskViewNeedsAction;
    WithEditor<COptionDlg>([&] { frame->RunCommand(Command::Option); },
                           [&](COptionDlg& dialog) {
                               EXPECT_TRUE(dialog.findChild<QRadioButton*>("1028")->isChecked());
                               dialog.findChild<QLineEdit*>("1000")->setText("10 days");
                               dialog.findChild<QPushButton*>("1031")->click();
                           });
    EXPECT_EQ(ReadBack().nCal_from, 10);
    EXPECT_EQ(ReadBack().nTaskViewMode, kTaskViewNeedsAction);

    // A file that cannot be written (a folder in its place, which stops root as well): the
    // values stay, the user is told why.
    fs::remove(path);
    fs::create_directory(path);
    WithEditor<COptionDlg>([&] { frame->RunCommand(Command::Option); },
                           [&](COptionDlg& dialog) {
                               dialog.findChild<QLineEdit*>("1042")->setText("new-key");
                               dialog.findChild<QLineEdit*>("1001")->setText("99999");
                               dialog.findChild<QRadioButton*>("1007")->click();
                               dialog.findChild<QPushButton*>("1031")->click();
                           });
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].rfind(CMainFrame::kSettingsNotSaved, 0), 0u) << prompter.messages[0];
    EXPECT_GT(prompter.messages[0].size(), std::string(CMainFrame::kSettingsNotSaved).size()) << "and why";
    EXPECT_EQ(settings.KEY, "new-key");
    EXPECT_EQ(settings.nCal_to, 3650);
    EXPECT_EQ(settings.nTaskViewMode, kTaskViewAll);
}

TEST_F(SearchAndOptionsTest, StartWithTheDesktopWritesAndRemovesTheAutostartEntry)
{
    Start();
    const fs::path entry = dir / "autostart" / "orbcalender.desktop";
    const auto setStart = [&](bool on) {
        WithEditor<COptionDlg>([&] { frame->RunCommand(Command::Option); },
                               [&](COptionDlg& dialog) {
                                   auto* box = dialog.findChild<QCheckBox*>("1044");
                                   EXPECT_EQ(box->isChecked(), fs::exists(entry)) << "it shows what is there";
                                   box->setChecked(on);
                                   dialog.findChild<QPushButton*>("1031")->click();
                               });
    };
    ASSERT_FALSE(fs::exists(entry)) << "off by default";
    setStart(true);
    std::string text;
    bool missing = false;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(entry.string(), text, missing, error)) << error;
    EXPECT_NE(text.find("Exec=\"/opt/Orb Calender/orbcalender\" --config-folder\n"), std::string::npos) << text;
    setStart(false);
    EXPECT_FALSE(fs::exists(entry));

    // A file where its folder should be: the user is told, and the box shows it is still off.
    fs::remove_all(dir / "autostart");
    std::ofstream(dir / "autostart") << "not a folder";
    setStart(true);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].rfind(CMainFrame::kAutostartNotChanged, 0), 0u) << prompter.messages[0];
    setStart(false);
    EXPECT_EQ(prompter.messages.size(), 1u) << "nothing to remove is no failure";
}

TEST_F(SearchAndOptionsTest, TheSyncIntervalChosenInOptionsIsSavedAndTakesEffectAtOnce)
{
    Start();
    PeriodicSyncTimer* timer = frame->findChild<PeriodicSyncTimer*>();
    ASSERT_NE(timer, nullptr);
    for (const auto& [shown, minutes, passes] : {std::tuple{"Never", 15, 1u}, {"15", 0, 1u}}) {
        WithEditor<COptionDlg>([&] { frame->RunCommand(Command::Option); },
                               [&](COptionDlg& dialog) {
                                   auto* box = dialog.findChild<QSpinBox*>("1047");
                                   EXPECT_EQ(box->text(), shown);
                                   box->setValue(minutes);
                                   dialog.findChild<QPushButton*>("1031")->click();
                               });
        EXPECT_EQ(ReadBack().nSyncMinutes, minutes);
        clock.Set(AddDays(clock.Now(), 1)); // a day later: due for any interval
        timer->Tick({});
        WaitForIdleShell();
        EXPECT_EQ(CountRequests("/calendarList"), passes) << minutes << " minutes";
    }
}

} // namespace
} // namespace orb
