#include "app/windows/task_flows.h"
#include "dialogs/insert_task_dlg.h"
#include "tests/app/windows/shell_fixture.h"
#include "treelist/tree_list_layout.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <json/json.h>

namespace orb {
namespace {

// Home: Milk; Bread (due 12-10); Project (due 12-20) > Child (completed) > Grandchild. Work: Report.
constexpr const char* kTaskSeed = R"({"tasks": {"taskLists": [
    {"id": "L1", "title": "Home", "tasks": [
        {"id": "p1", "title": "Project", "due": "2026-12-20T00:00:00.000Z"},
        {"id": "c1", "title": "Child", "parent": "p1", "status": "completed"},
        {"id": "g1", "title": "Grandchild", "parent": "c1"},
        {"id": "t2", "title": "Bread", "due": "2026-12-10T00:00:00.000Z"}]},
    {"id": "L2", "title": "Work", "tasks": [{"id": "r1", "title": "Report"}]}]}})";

// Home holds 24 tasks n01..n24, n05 with a subtask, so that the tree scrolls in a small window.
std::string LongSeed()
{
    std::string tasks;
    for (int i = 1; i <= 24; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        tasks += R"({"id": "n)" + number + R"(", "title": "Task )" + number + R"("},)";
    }
    return R"({"tasks": {"taskLists": [{"id": "L1", "title": "Home", "tasks": [)" + tasks +
           R"({"id": "n05a", "title": "Sub", "parent": "n05"}]}, {"id": "L2", "title": "Work", "tasks": []}]}})";
}

class TaskFlowsTest : public test::EditShellTest
{
protected:
    void Start() { EditShellTest::Start(kTaskSeed); }

    // The main window at its smallest: about a dozen rows fit.
    void StartLong()
    {
        EditShellTest::Start(LongSeed().c_str());
        frame->CalendarWindow()->hide();
        frame->MainWindow()->resize(CMainWindowMinimum());
        frame->MainWindow()->show();
        frame->MainWindow()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame->MainWindow()));
    }
    static QSize CMainWindowMinimum() { return {COrbCalenderDlg::kMinimumWidth, COrbCalenderDlg::kMinimumHeight}; }

    // A key as the main window gets it from the platform: for its focus widget. (Which
    // window the desktop sends keys to is the window manager's business; the desktop lane
    // checks that.)
    void Key(Qt::Key key) { QTest::keyClick(frame->MainWindow()->windowHandle(), key); }

    // A point on the row's text, scrolled into view: in a narrow tree a fixed share of the
    // cell may fall on the check box.
    QPoint TextPoint(const std::string& id)
    {
        CTreeListItem* row = Row(id);
        Tree().EnsureVisible(row);
        const QRect cell = Tree().CellRect(row, kNameColumn);
        for (int x = cell.left(); x < cell.right(); ++x) {
            if (Tree().HitTest({x, cell.center().y()}).area == tlht::kText)
                return {x + 4, cell.center().y()};
        }
        ADD_FAILURE() << "no text on " << id;
        return cell.center();
    }

    int TopRow() const { return Tree().ScrollPosition(ScrollOrientation::Vertical); }
    bool InView(const CTreeListItem* row) const
    {
        const int at = Tree().Model().RowOfItem(row);
        return at >= TopRow() && at < TopRow() + Tree().Layout().RowsPerPage();
    }
    std::string SelectedId() const
    {
        const CTreeListItem* row = Tree().GetFirstSelectedItem();
        return row ? row->texts[kIdColumn] : "<none>";
    }
    std::string SelectedName() const
    {
        const CTreeListItem* row = Tree().GetFirstSelectedItem();
        return row ? row->texts[kNameColumn] : "<none>";
    }

    CTreeListCtrl& Tree() const { return *frame->MainWindow()->Tree(); }

    // The editor opened by `act`, filled and confirmed.
    void Insert(const std::function<void()>& act, const std::string& title, const std::string& notes = {},
                const QDate& due = {})
    {
        WithEditor<CInsertTaskDlg>(act, [&](CInsertTaskDlg& editor) {
            editor.findChild<QLineEdit*>("1000")->setText(QString::fromStdString(title));
            if (!notes.empty())
                editor.findChild<QPlainTextEdit*>("1009")->setPlainText(QString::fromStdString(notes));
            if (due.isValid()) {
                editor.findChild<QCheckBox*>("1017")->setChecked(true);
                editor.findChild<QDateEdit*>("1013")->setDate(due);
            }
            editor.findChild<QPushButton*>("1006")->click();
        });
    }

    // Ids of the rows directly under the row `id`, in tree order.
    std::vector<std::string> ChildIds(const std::string& id) const
    {
        std::vector<std::string> ids;
        for (const CTreeListItem* row = Row(id)->firstChild; row; row = row->nextSibling)
            ids.push_back(row->texts[kIdColumn]);
        return ids;
    }

    std::string StoredStatus(const std::string& taskId) const
    {
        return frame->MainWindow()->Store().Read([&](const LocalStore::Data& data) {
            for (const TaskListInfo& list : data.taskLists) {
                if (const TaskNode* node = list.tree->FindNode(taskId))
                    return node->task.status;
            }
            return std::string("<gone>");
        });
    }

    // A real click on the row's check box.
    void ClickCheck(const std::string& id)
    {
        CTreeListItem* row = Row(id);
        ASSERT_NE(row, nullptr) << id;
        Tree().EnsureVisible(row);
        const QRect cell = Tree().CellRect(row, kNameColumn);
        for (int x = cell.left(); x < cell.right(); ++x) {
            const QPoint at(x, cell.center().y());
            if (Tree().HitTest(at).area == tlht::kCheckBox) {
                QTest::mouseClick(&Tree(), Qt::LeftButton, {}, at);
                QCoreApplication::processEvents();
                return;
            }
        }
        FAIL() << "no check box on " << id;
    }

    // A left-button drag of the row `from` onto the row `to`, as the mouse sends it.
    void DragRow(const std::string& from, const std::string& to, bool release = true)
    {
        const QPoint start = Tree().mapToGlobal(TextPoint(from));
        const QPoint end = Tree().mapToGlobal(TextPoint(to));
        Mouse(QEvent::MouseButtonPress, start);
        Mouse(QEvent::MouseMove, start + QPoint(0, QApplication::startDragDistance() + 1));
        Mouse(QEvent::MouseMove, end);
        if (release)
            Mouse(QEvent::MouseButtonRelease, end);
    }
    void Mouse(QEvent::Type type, const QPoint& global)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, Tree().mapFromGlobal(QPointF(global)), QPointF(global), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&Tree(), &event);
    }
};

TEST_F(TaskFlowsTest, InsertsOnTheRootAListRowAndATaskRowLandInOrder)
{
    Start();
    Tree().SelectItem(Tree().GetRootItem()->firstChild->nextSibling);
    Insert([&] { frame->RunCommand(Command::InsertButton); }, "Errands");
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].target, "/tasks/v1/users/@me/lists");
    EXPECT_EQ(Body(writes[0])["title"].asString(), "Errands");
    EXPECT_EQ(TopLevelTexts().back(), kTaskBranch);
    const CTreeListItem* taskBranch = Tree().GetRootItem()->firstChild->nextSibling;
    ASSERT_NE(taskBranch->firstChild->nextSibling->nextSibling, nullptr);
    EXPECT_EQ(taskBranch->firstChild->nextSibling->nextSibling->texts[kNameColumn], "0xEF0000Errands");

    // On a list row: one POST, members in their fixed order, typed text round-trips.
    service.ClearRequests();
    const std::string typed = "tab\tq\"uote\" back\\slash \xED\x95\x9C\xEA\xB8\x80 \x01";
    Select("L1");
    Insert([&] { frame->RunCommand(Command::InsertTask); }, typed, "one\ntwo", QDate(2026, 12, 15));
    writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].method, "POST");
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks");
    const Json::Value body = Body(writes[0]);
    EXPECT_EQ(body.getMemberNames().size(), 6u);
    const std::string& raw = writes[0].body;
    EXPECT_LT(raw.find("\"kind\""), raw.find("\"title\""));
    EXPECT_LT(raw.find("\"title\""), raw.find("\"updated\""));
    EXPECT_LT(raw.find("\"notes\""), raw.find("\"status\""));
    EXPECT_LT(raw.find("\"status\""), raw.find("\"due\""));
    EXPECT_EQ(body["title"].asString(), typed);
    EXPECT_EQ(body["notes"].asString(), "one\ntwo");
    std::vector<std::string> homeRows = ChildIds("L1");
    // No due first, then 12-10, the new 12-15, 12-20.
    ASSERT_EQ(homeRows.size(), 4u);
    EXPECT_EQ(homeRows[1], "t2");
    EXPECT_EQ(Row(homeRows[2])->texts[kNameColumn], "0xEF0000" + typed);
    EXPECT_EQ(homeRows[3], "p1");

    // On a task row: the POST, then the move under it.
    service.ClearRequests();
    Select("p1");
    Insert([&] { frame->RunCommand(Command::InsertButton); }, "Sub");
    writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks");
    EXPECT_EQ(writes[1].method, "POST");
    EXPECT_EQ(writes[1].target.rfind("/tasks/v1/lists/L1/tasks/", 0), 0u) << writes[1].target;
    EXPECT_NE(writes[1].target.find("/move?parent=p1"), std::string::npos) << writes[1].target;
    const std::vector<std::string> underProject = ChildIds("p1");
    ASSERT_EQ(underProject.size(), 2u);
    EXPECT_EQ(Row(underProject[1])->texts[kNameColumn], "0xEF0000Sub"); // equal dues keep their order
    EXPECT_EQ(TopLevelTexts().back(), kTaskBranch);
}

TEST_F(TaskFlowsTest, DoubleClicksEditTheTaskOrRenameTheList)
{
    Start();
    const auto doubleClick = [&](const std::string& id) {
        return [this, id] {
            CTreeListItem* row = Row(id);
            Tree().EnsureVisible(row);
            QTest::mouseDClick(&Tree(), Qt::LeftButton, {}, Tree().CellRect(row, kNameColumn).center());
        };
    };
    WithEditor<CInsertTaskDlg>(doubleClick("c1"), [&](CInsertTaskDlg& editor) {
        EXPECT_TRUE(editor.updateMode);
        EXPECT_EQ(editor.findChild<QLineEdit*>("1000")->text(), "Child");
        editor.findChild<QLineEdit*>("1000")->setText("Child \"renamed\"");
        editor.findChild<QPushButton*>("1006")->click();
    });
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].method, "PUT");
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks/c1");
    const Json::Value body = Body(writes[0]);
    EXPECT_EQ(body["title"].asString(), "Child \"renamed\"");
    EXPECT_EQ(body["parent"].asString(), "p1");
    EXPECT_EQ(body["status"].asString(), "completed");
    EXPECT_EQ(Row("c1")->texts[kNameColumn], "0xEF0000Child \"renamed\"");

    service.ClearRequests();
    WithEditor<CInsertTaskDlg>(doubleClick("L2"), [&](CInsertTaskDlg& editor) {
        EXPECT_TRUE(editor.listMode);
        editor.findChild<QLineEdit*>("1000")->setText("Office");
        editor.findChild<QPushButton*>("1006")->click();
    });
    writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].target, "/tasks/v1/users/@me/lists/L2");
    EXPECT_EQ(Row("L2")->texts[kNameColumn], "0xEF0000Office");
    EXPECT_EQ(TopLevelTexts().back(), kTaskBranch);
}

TEST_F(TaskFlowsTest, ASubtaskWhoseMoveFailsShowsAtTheTopLevelOnceEvenAfterAReload)
{
    Start();
    Select("p1");
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 404, {}, "/move"});
    Insert([&] { frame->RunCommand(Command::InsertButton); }, "Orphan");
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"할일 Move 실패 : Not Found"});
    const auto countOrphans = [&] {
        int count = 0;
        for (const std::string& id : ChildIds("L1"))
            count += Row(id)->texts[kNameColumn] == "0xEF0000Orphan" ? 1 : 0;
        return count;
    };
    EXPECT_EQ(countOrphans(), 1);
    frame->RunCommand(Command::Synchronizing);
    WaitForIdleShell();
    EXPECT_EQ(countOrphans(), 1);
}

TEST_F(TaskFlowsTest, ARefusalShowsTheOperationsPrefixAndTheServicesReasonAndALostAnswerNamesTheRecord)
{
    Start();
    frame->CalendarWindow()->hide(); // the drop target is found under the pointer
    frame->MainWindow()->show();
    const std::vector<std::string> homeRows = ChildIds("L1");
    const auto doubleClick = [&](const std::string& id) {
        return [this, id] {
            CTreeListItem* row = Row(id);
            Tree().EnsureVisible(row);
            QTest::mouseDClick(&Tree(), Qt::LeftButton, {}, Tree().CellRect(row, kNameColumn).center());
        };
    };
    const auto rename = [&](const std::string& id, const std::string& title) {
        WithEditor<CInsertTaskDlg>(doubleClick(id), [&](CInsertTaskDlg& editor) {
            editor.findChild<QLineEdit*>("1000")->setText(QString::fromStdString(title));
            editor.findChild<QPushButton*>("1006")->click();
        });
    };
    // 403 is "Rate Limit Exceeded" in the service's words; every request below is refused once.
    const fake::Fault refused{fake::FaultKind::Status, 403, {}, "/tasks/v1/"};
    const std::vector<std::pair<std::string, std::function<void()>>> edits = {
        {"할일 생성 실패 : Rate Limit Exceeded",
         [&] {
             Select("L1");
             Insert([&] { frame->RunCommand(Command::InsertTask); }, "Refused");
         }},
        {"할일 생성 실패 : Rate Limit Exceeded", [&] { rename("t2", "Not renamed"); }},
        {"할일리스트 생성 실패 : Rate Limit Exceeded",
         [&] {
             Tree().SelectItem(Tree().GetRootItem()->firstChild->nextSibling);
             Insert([&] { frame->RunCommand(Command::InsertButton); }, "No list");
         }},
        {"할일 리스트 업데이트 실패 : Rate Limit Exceeded", [&] { rename("L2", "Not renamed"); }},
        {"할일 Move 실패 : Rate Limit Exceeded", [&] { DragRow("t2", "p1"); }},
    };
    for (const auto& [message, edit] : edits) {
        prompter.messages.clear();
        service.FailNext(1, refused);
        edit();
        EXPECT_EQ(prompter.messages, std::vector<std::string>{message});
    }
    EXPECT_EQ(Row("t2")->texts[kNameColumn], "0xEF0000Bread");
    EXPECT_EQ(Row("t2")->parent, Row("L1"));
    EXPECT_EQ(Row("L2")->texts[kNameColumn], "0xEF0000Work");
    EXPECT_EQ(ChildIds("L1"), homeRows);

    // An answer lost on the way is no refusal: the message names the list and what to do.
    prompter.messages.clear();
    service.FailNext(1, fake::Fault{fake::FaultKind::Drop, 0, {}, "/lists/L2"});
    rename("L2", "Maybe renamed");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].rfind("The task list 'Work' was not changed: The change may or may not have been "
                                         "applied: ",
                                         0),
              0u)
        << prompter.messages[0];
}

TEST_F(TaskFlowsTest, TheWaitSaysWhenAListIsUpdatedOrDeletedAndEveryEditEndsWithThreadExit)
{
    Start();
    auto* wait = frame->MainWindow()->findChild<CWaitDlg*>("waitDialog");
    ASSERT_NE(wait, nullptr);
    // Each message line the wait showed while a call ran, in order.
    std::vector<std::string> shown;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (wait->IsWaiting() && (shown.empty() || shown.back() != wait->WaitMessage()))
            shown.push_back(wait->WaitMessage());
    });
    watch.start(5);
    // Long enough for the watch to see each call.
    service.SetLatency(std::chrono::milliseconds(100));

    const auto open = [&](const std::string& id) {
        return [this, id] {
            frame->MainWindow()->OnTreeListNotify({&Tree(), kTreeControlId, TreeListCode::DoubleClick, Row(id), 0});
        };
    };
    WithEditor<CInsertTaskDlg>(open("t2"),
                               [](CInsertTaskDlg& editor) { editor.findChild<QPushButton*>("1006")->click(); });
    WithEditor<CInsertTaskDlg>(open("L2"), [](CInsertTaskDlg& editor) {
        editor.findChild<QLineEdit*>("1000")->setText("Office");
        editor.findChild<QPushButton*>("1006")->click();
    });
    prompter.QueueAnswer(true);
    Select("L2");
    frame->RunCommand(Command::DeleteTask);

    EXPECT_EQ(shown, (std::vector<std::string>{"", "Updating Task List . . .", "Deleting Task List . . ."}));
    EXPECT_EQ(wait->WaitMessage(), "");
    EXPECT_EQ(Writes().size(), 3u);
    const std::vector<std::string> lines = diagnostics.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Thread Exit"), 3);
}

TEST_F(TaskFlowsTest, DeletesGoDeepestFirstAndAFailureKeepsTheTaskItsAncestorsAndTheList)
{
    Start();
    prompter.QueueAnswer(true);
    Select("p1");
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 503, {}, "/tasks/c1"});
    frame->RunCommand(Command::DeleteTask);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0], "정말로 'Project' Task를 삭제하시겠습니까?");
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks/g1");
    EXPECT_EQ(writes[1].target, "/tasks/v1/lists/L1/tasks/c1");
    EXPECT_EQ(StoredStatus("g1"), "<gone>");
    EXPECT_EQ(StoredStatus("c1"), "completed");
    EXPECT_NE(Row("p1"), nullptr);
    EXPECT_EQ(Row("g1"), nullptr);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Task Deleted Fail!!\nBackend Error"});

    // Asked again, the rest goes.
    service.ClearRequests();
    prompter.QueueAnswer(true);
    Select("p1");
    frame->RunCommand(Command::DeleteTask);
    writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].target, "/tasks/v1/lists/L1/tasks/p1");
    EXPECT_EQ(Row("p1"), nullptr);

    // A list the service did not delete stays.
    prompter.messages.clear();
    prompter.QueueAnswer(true);
    Select("L2");
    service.FailNext(1, fake::Fault{fake::FaultKind::Drop, 0, {}, "/lists/L2"});
    frame->RunCommand(Command::DeleteTask);
    EXPECT_NE(Row("L2"), nullptr);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].rfind("The task list 'Work' was not deleted: ", 0), 0u) << prompter.messages[0];
    prompter.QueueAnswer(true);
    Select("L2");
    frame->RunCommand(Command::DeleteTask);
    EXPECT_EQ(Row("L2"), nullptr);
    EXPECT_EQ(TopLevelTexts().back(), kTaskBranch);
}

TEST_F(TaskFlowsTest, DeletingATaskOrListTheServiceNoLongerHoldsRemovesItWithoutAMessage)
{
    Start();
    // Deleted on another device after the load: the service answers 404.
    std::string answer;
    ASSERT_EQ(
        transport.HttpDelete(config.apiBase + "/tasks/v1/lists/L1/tasks/t2", "", answer, session.AuthorizationLine())
            .status,
        204);
    service.ClearRequests();
    prompter.QueueAnswer(true);
    Select("t2");
    frame->RunCommand(Command::DeleteTask);
    EXPECT_EQ(StoredStatus("t2"), "<gone>");
    EXPECT_EQ(Row("t2"), nullptr);

    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 410, {}, "/lists/L2"});
    prompter.QueueAnswer(true);
    Select("L2");
    frame->RunCommand(Command::DeleteTask);
    EXPECT_EQ(Row("L2"), nullptr);

    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks/t2");
    EXPECT_EQ(writes[1].target, "/tasks/v1/users/@me/lists/L2");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(TaskFlowsTest, CheckMarksReachTheServiceInEveryViewModeAndAFailureKeepsTheMark)
{
    Start();
    // "Needs action" view: a task checked off leaves the tree, and the service hears of it.
    frame->RunCommand(Command::ViewNeedsAction);
    ClickCheck("t2");
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].method, "PUT");
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks/t2");
    EXPECT_EQ(Body(writes[0])["status"].asString(), "completed");
    EXPECT_EQ(Row("t2"), nullptr);
    EXPECT_EQ(StoredStatus("t2"), "completed");

    // All: the partly checked list row counts as checked, so everything becomes "needs
    // action", and only the tasks not already so are sent.
    frame->RunCommand(Command::ViewAll);
    service.ClearRequests();
    ASSERT_EQ(Tree().GetCheck(Row("L1")), 2);
    ClickCheck("L1");
    writes = Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks/t2");
    EXPECT_EQ(writes[1].target, "/tasks/v1/lists/L1/tasks/c1");
    EXPECT_EQ(StoredStatus("c1"), "needsAction");
    EXPECT_EQ(Tree().GetCheck(Row("L1")), 0);

    // A refused update: the row keeps its mark, the store its status, and the message names it.
    service.ClearRequests();
    service.FailNext(1, fake::Fault{fake::FaultKind::Status, 503, {}, "/tasks/r1"});
    ClickCheck("r1");
    EXPECT_EQ(Writes().size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(Tree().GetCheck(Row("r1")), 0);
    EXPECT_EQ(StoredStatus("r1"), "needsAction");
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"할일 생성 실패 : Backend Error"});

    // "Completed" view: unchecking a completed task sends it, and the row goes.
    ClickCheck("r1");
    ASSERT_EQ(StoredStatus("r1"), "completed");
    frame->RunCommand(Command::ViewCompleted);
    service.ClearRequests();
    ClickCheck("r1");
    writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(Body(writes[0])["status"].asString(), "needsAction");
    EXPECT_EQ(Row("r1"), nullptr);
}

TEST_F(TaskFlowsTest, AcceptedChangesAreWrittenThroughToTheCache)
{
    Start();
    ClickCheck("t2");
    prompter.QueueAnswer(true);
    Select("c1");
    frame->RunCommand(Command::DeleteTask);

    const std::vector<TaskListInfo> cached = ReadCache()->ReadTaskLists().value;
    ASSERT_EQ(cached.size(), 2u);
    const TaskNode* bread = cached[0].tree->FindNode("t2");
    ASSERT_NE(bread, nullptr);
    EXPECT_EQ(bread->task.status, "completed");
    EXPECT_EQ(cached[0].tree->FindNode("c1"), nullptr);
    EXPECT_EQ(cached[0].tree->FindNode("g1"), nullptr) << "with its subtask";
    EXPECT_NE(cached[0].tree->FindNode("p1"), nullptr);
}

TEST_F(TaskFlowsTest, DropsMoveTasksWithinTheirListAndRefuseEverythingElse)
{
    Start();
    frame->CalendarWindow()->hide(); // the drop target is found under the pointer
    frame->MainWindow()->show();
    // Onto another task: under it.
    DragRow("t2", "p1");
    auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].method, "POST");
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks/t2/move?parent=p1");
    EXPECT_EQ(Row("t2")->parent, Row("p1"));

    // Onto its own list row: to the top level, with no parent named.
    service.ClearRequests();
    DragRow("g1", "L1");
    writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].target, "/tasks/v1/lists/L1/tasks/g1/move");
    EXPECT_EQ(Row("g1")->parent, Row("L1"));

    // Another list's task, its own parent, below itself, a calendar row: the "no drop"
    // cursor, and nothing is sent.
    service.ClearRequests();
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"c1", "r1"}, {"c1", "p1"}, {"p1", "t2"}, {"t2", "work@example.com"}}) {
        DragRow(from, to, false);
        EXPECT_TRUE(Tree().IsDragging()) << from;
        EXPECT_FALSE(IsDrop(Tree().DropDecision())) << from << " onto " << to;
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor) << from << " onto " << to;
        // Esc ends the drag, not the window.
        QTest::keyClick(&Tree(), Qt::Key_Escape);
        EXPECT_FALSE(Tree().IsDragging());
        EXPECT_TRUE(frame->MainWindow()->isVisible());
        DragRow(from, to);
    }
    EXPECT_TRUE(Writes().empty());

    // A list row cannot be dragged at all.
    DragRow("L2", "L1", false);
    EXPECT_FALSE(Tree().IsDragging());
    Mouse(QEvent::MouseButtonRelease, QPoint());
}

TEST_F(TaskFlowsTest, ANewListTaskAndSubtaskEachShowExpandedSelectedAndInView)
{
    StartLong();
    ASSERT_GT(Tree().Model().VisibleRowCount(), Tree().Layout().RowsPerPage() + 10);
    Tree().SelectItem(Tree().GetRootItem()->firstChild->nextSibling);
    Tree().SetScrollPosition(ScrollOrientation::Vertical, 0);
    Insert([&] { frame->RunCommand(Command::InsertButton); }, "Errands");
    const CTreeListItem* list = Tree().GetFirstSelectedItem();
    ASSERT_EQ(SelectedName(), "0xEF0000Errands");
    EXPECT_EQ(list->level, kBranchChildLevel);
    EXPECT_TRUE(InView(list));
    EXPECT_GT(TopRow(), 0);

    Insert([&] { frame->RunCommand(Command::InsertButton); }, "Stamps");
    const CTreeListItem* task = Tree().GetFirstSelectedItem();
    ASSERT_EQ(SelectedName(), "0xEF0000Stamps");
    EXPECT_EQ(task->parent->texts[kNameColumn], "0xEF0000Errands");
    EXPECT_TRUE(task->parent->IsExpanded());
    EXPECT_TRUE(InView(task));

    const std::string taskId = task->texts[kIdColumn];
    Insert([&] { frame->RunCommand(Command::InsertButton); }, "Glue");
    ASSERT_EQ(SelectedName(), "0xEF0000Glue");
    EXPECT_EQ(Tree().GetFirstSelectedItem()->parent, Row(taskId));
    EXPECT_TRUE(Row(taskId)->IsExpanded());
    EXPECT_TRUE(InView(Tree().GetFirstSelectedItem()));

    // A new task of a list far above the view: the view goes to it.
    Select("L1");
    Tree().SetScrollPosition(ScrollOrientation::Vertical, 20);
    Insert([&] { frame->RunCommand(Command::InsertButton); }, "Yeast");
    ASSERT_EQ(SelectedName(), "0xEF0000Yeast");
    EXPECT_TRUE(InView(Tree().GetFirstSelectedItem()));
}

TEST_F(TaskFlowsTest, EditsInAScrolledTreeKeepItsScrollPositionExpansionAndSelection)
{
    StartLong();
    Tree().Expand(TreeListExpand::Collapse, Row("n05"));
    Tree().Expand(TreeListExpand::Expand, Row("work@example.com"));
    Select("n12");
    Tree().SetScrollPosition(ScrollOrientation::Vertical, 10);
    ASSERT_TRUE(InView(Row("n12")));
    const auto expectPlace = [&](const std::string& selected) {
        EXPECT_EQ(TopRow(), 10);
        EXPECT_EQ(SelectedId(), selected);
        EXPECT_FALSE(Row("n05")->IsExpanded());
        EXPECT_TRUE(Row("work@example.com")->IsExpanded());
    };

    WithEditor<CInsertTaskDlg>([&] { QTest::mouseDClick(&Tree(), Qt::LeftButton, {}, TextPoint("n12")); },
                               [&](CInsertTaskDlg& editor) {
                                   editor.findChild<QLineEdit*>("1000")->setText("Task 12 renamed");
                                   editor.findChild<QPushButton*>("1006")->click();
                               });
    EXPECT_EQ(Row("n12")->texts[kNameColumn], "0xEF0000Task 12 renamed");
    expectPlace("n12");

    ClickCheck("n14");
    EXPECT_EQ(StoredStatus("n14"), "completed");
    expectPlace("n12");

    prompter.QueueAnswer(true);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Row("n12"), nullptr);
    expectPlace("n13"); // the next sibling
}

TEST_F(TaskFlowsTest, AfterEveryDragOutcomeDeleteAndInsertKeysReachTaskAndListRows)
{
    StartLong();
    QWidget elsewhere; // takes the focus away in the middle of a drag
    const std::vector<std::pair<std::string, std::function<void()>>> outcomes = {
        {"accepted drop", [&] { DragRow("n03", "n02"); }},
        {"refused drop", [&] { DragRow("n04", "L2"); }},
        {"Esc",
         [&] {
             DragRow("n04", "n06", false);
             Key(Qt::Key_Escape);
             Mouse(QEvent::MouseButtonRelease, QPoint());
         }},
        {"focus loss",
         [&] {
             DragRow("n04", "n06", false);
             elsewhere.show();
             elsewhere.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
             elsewhere.hide();
             Mouse(QEvent::MouseButtonRelease, QPoint());
         }},
    };
    for (const auto& [outcome, drag] : outcomes) {
        drag();

        EXPECT_FALSE(Tree().IsDragging()) << outcome;
        for (const std::string id : {"n07", "L2"}) {
            Select(id);
            prompter.questions.clear();
            prompter.QueueAnswer(false);
            Key(Qt::Key_Delete);
            ASSERT_EQ(prompter.questions.size(), 1u) << outcome << " " << id;
            EXPECT_EQ(prompter.questions[0], id == "L2" ? "정말로 'Work' TaskList를 삭제하시겠습니까?"
                                                        : "정말로 'Task 07' Task를 삭제하시겠습니까?");
            WithEditor<CInsertTaskDlg>([&] { Key(Qt::Key_Insert); }, [](CInsertTaskDlg& editor) { editor.reject(); });
        }
    }
    EXPECT_EQ(Row("n03")->parent, Row("n02"));
}

} // namespace
} // namespace orb
