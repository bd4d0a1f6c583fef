#include "core/diagnostics.h"
#include "dialogs/insert_task_dlg.h"
#include "tests/app/windows/shell_fixture.h"
#include "treelist/tree_list_static_ctrl.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>

namespace orb {
namespace {

// Texts a shared calendar's other writers choose: markup that would blow a label up to
// 40 px letters and a 2000 px picture, and a terminal colour change.
constexpr const char* kCalendarName = "<img width=2000 src=x><b style=font-size:40px>Big</b>\x1b[31m";
constexpr const char* kSummary = "<b style=font-size:40px>Big</b> <img width=2000 src=x> \x1b[31mparty";
constexpr const char* kTaskTitle = "<b style=font-size:40px>Chores</b>\x1b[31m";

constexpr const char* kSeed = R"({
  "calendar": {"calendars": [
    {"id": "team@example.com", "summary": "Team", "colorId": "14", "accessRole": "owner", "selected": true,
     "events": [{"id": "e1", "summary": "<b style=font-size:40px>Big</b> <img width=2000 src=x> \u001b[31mparty",
                 "start": {"date": "2026-12-08"}, "end": {"date": "2026-12-09"}}]},
    {"id": "shared@example.com", "summary": "<img width=2000 src=x><b style=font-size:40px>Big</b>\u001b[31m",
     "colorId": "3", "accessRole": "reader", "selected": true, "events": []}]},
  "tasks": {"taskLists": [{"id": "L7", "title": "Shared",
                           "tasks": [{"id": "c7", "title": "<b style=font-size:40px>Chores</b>\u001b[31m"}]}]}
})";

// What the user would read in a message box, taken before it is closed.
struct SeenBox
{
    QString text;
    Qt::TextFormat format = Qt::AutoText;
};

// The shell as the program wires it: message boxes from the Qt prompter and diagnostic
// lines on standard output, which the test reads back.
class ServiceTextTest : public test::EditShellTest
{
protected:
    void TearDown() override
    {
        if (capturing_)
            ::testing::internal::GetCapturedStdout();
        EditShellTest::TearDown();
    }

    void StartLive()
    {
        std::string error;
        ASSERT_TRUE(service.SeedFromJson(kSeed, error)) << error;
        StoreKey("stored-refresh");
        InstallTokenRenewal(live);
        ::testing::internal::CaptureStdout();
        capturing_ = true;
        frame = std::make_unique<CMainFrame>(ShellServices{settings, live, login, opener, path,
                                                           (dir / "autostart" / "orbcalender.desktop").string(),
                                                           "/opt/Orb Calender/orbcalender"});
        frame->terminateNow = [this] { terminated = true; };
        ASSERT_TRUE(frame->Create());
        WaitForIdleShell();
        // Wide enough that the problem line is not cut short.
        frame->MainWindow()->resize(1600, 700);
        QCoreApplication::processEvents();
    }

    std::string TakeStdout()
    {
        capturing_ = false;
        return ::testing::internal::GetCapturedStdout();
    }

    // Reads and closes every message box while `act` runs.
    std::vector<SeenBox> BoxesDuring(const std::function<void()>& act)
    {
        std::vector<SeenBox> boxes;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes.push_back({box->text(), box->textFormat()});
                box->reject();
            }
        });
        watch.start(20);
        act();
        QTest::qWait(100);
        return boxes;
    }

    QtPrompter livePrompter;
    StdoutDiagnostics liveDiagnostics;
    ServiceContext live{transport, session, liveDiagnostics, livePrompter, clock, config};

private:
    bool capturing_ = false;
};

TEST_F(ServiceTextTest, NamesSummariesAndRefusalsReadAsWrittenAndNeverReachTheTerminalRaw)
{
    service.FailNext(
        1, fake::Fault{fake::FaultKind::Status, 403, std::chrono::seconds(60), "/shared%40example.com/events"});
    StartLive();
    // Taken before any check, whose failure text would land in it too.
    const std::string written = TakeStdout();
    COrbCalenderDlg& window = *frame->MainWindow();

    // The problem line under the tree: the literal line, at the size of one line of text.
    const QString problem = QString::fromStdString(std::string("Not everything could be loaded: calendar '") +
                                                   kCalendarName + "' (Rate Limit Exceeded)");
    const auto* line = window.findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(line, nullptr);
    ASSERT_TRUE(line->isVisibleTo(&window));
    EXPECT_EQ(line->textFormat(), Qt::PlainText);
    EXPECT_EQ(line->text(), problem);
    // The markup asked for 40 px letters and a 2000 px picture.
    EXPECT_LT(line->sizeHint().height(), 40);
    EXPECT_LT(line->sizeHint().width(), 2000);
    // Its tool tip is markup Qt will render, and what it renders is every failure as written.
    const QString tip = line->toolTip();
    EXPECT_TRUE(Qt::mightBeRichText(tip)) << EscapeControlCharacters(tip.toStdString());
    QTextDocument rendered;
    rendered.setHtml(tip);
    EXPECT_EQ(rendered.toPlainText().toStdString(),
              std::string("Not everything could be loaded:\ncalendar '") + kCalendarName + "' (Rate Limit Exceeded)");

    // F2 on the event's row: the read-only static shows the summary itself.
    Select("e1");
    QTest::keyClick(window.Tree(), Qt::Key_F2);
    const CTreeListStaticCtrl* cell = window.Tree()->StaticCtrl();
    ASSERT_TRUE(cell->isVisible());
    EXPECT_EQ(cell->textFormat(), Qt::PlainText);
    EXPECT_TRUE(cell->text().endsWith(QString::fromUtf8(kSummary)))
        << EscapeControlCharacters(cell->text().toStdString());
    EXPECT_LT(cell->sizeHint().height(), 40);
    EXPECT_LT(cell->sizeHint().width(), 2000);
    QTest::keyClick(window.Tree()->StaticCtrl(), Qt::Key_Escape);

    // A rename whose answer was lost: the message box names the task as written.
    service.FailNext(1, fake::Fault{fake::FaultKind::Drop, 0, {}, "/tasks/c7"});
    const std::vector<SeenBox> boxes = BoxesDuring([&] {
        WithEditor<CInsertTaskDlg>(
            [&] {
                CTreeListItem* row = Row("c7");
                ASSERT_NE(row, nullptr);
                window.Tree()->EnsureVisible(row);
                QTest::mouseDClick(window.Tree(), Qt::LeftButton, {},
                                   window.Tree()->CellRect(row, kNameColumn).center());
            },
            [&](CInsertTaskDlg& editor) {
                editor.findChild<QLineEdit*>("1000")->setText("Renamed");
                editor.findChild<QPushButton*>("1006")->click();
            });
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].format, Qt::PlainText);
    const QString refused = QString::fromUtf8(std::string("The task '") + kTaskTitle + "' was not changed: ");
    EXPECT_TRUE(boxes[0].text.startsWith(refused)) << EscapeControlCharacters(boxes[0].text.toStdString());

    // Standard output named the calendar that failed, its escape sequence spelled out.
    EXPECT_NE(written.find("<img width=2000 src=x><b style=font-size:40px>Big</b>\\x1b[31m (shared@example.com)"),
              std::string::npos)
        << EscapeControlCharacters(written);
    EXPECT_EQ(written.find('\x1b'), std::string::npos) << EscapeControlCharacters(written);
}

} // namespace
} // namespace orb
