#include "tasks/tasks_client.h"

#include "tests/support/doubles.h"
#include "tests/tasks/load_whole.h"
#include "tests/tasks/tree_text.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

// The fixed clock's 2026-12-08 09:30:00, as every body stamps it.
constexpr const char* kStamp = "2026-12-08T09:30:00.000Z";
constexpr const char* kTokenCheckAnswer = R"({"expires_in": 3000})";
// The transport closes the caller's lines with "\r\n\r\n".
constexpr const char* kJsonHeaders = "Authorization: Bearer access-1\r\nContent-Type: application/json\r\n\r\n\r\n";
constexpr const char* kAuthorizationOnly = "Authorization: Bearer access-1\r\n\r\n\r\n";

class TasksClient : public ::testing::Test
{
protected:
    // Every operation starts with a token check.
    void QueueTokenCheck() { transport().Queue(kTokenCheckAnswer); }
    void Queue(const std::string& body, int status = 200) { transport().Queue(body, status); }

    test::ScriptedTransport& transport() { return fixture.transport; }
    // Requests after the token checks.
    std::vector<HttpRequest> ApiRequests() const
    {
        std::vector<HttpRequest> result;
        for (const HttpRequest& request : fixture.transport.requests) {
            if (request.target.rfind("/oauth2/", 0) != 0)
                result.push_back(request);
        }
        return result;
    }

    test::ScriptedServiceContext fixture;
    ServiceContext& context = fixture.context;
};

TaskInfo SampleTask()
{
    TaskInfo task;
    task.id = "t1";
    task.title = "장보기 \"우유\" C:\\temp\n둘째 줄";
    task.notes = "메모";
    task.status = kTaskStatusNeedsAction;
    return task;
}

TEST_F(TasksClient, InsertBodyEscapesTitleAndLeavesOutAnEmptyDue)
{
    QueueTokenCheck();
    Queue(R"({"id": "new", "title": "x"})");
    TaskInfo task = SampleTask();
    ASSERT_TRUE(InsertTask(context, task, "list1", "").created.Applied());

    const std::vector<HttpRequest> requests = ApiRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].verb, "POST");
    EXPECT_EQ(requests[0].url, "https://api.test/tasks/v1/lists/list1/tasks");
    EXPECT_EQ(requests[0].headerBlock, kJsonHeaders);
    EXPECT_EQ(requests[0].body,
              std::string("{\"kind\": \"tasks#task\",\"title\": \"장보기 \\\"우유\\\" C:\\\\temp\\n둘째 "
                          "줄\",\"updated\": \"") +
                  kStamp + "\",\"notes\": \"메모\",\"status\": \"needsAction\"}");
    EXPECT_EQ(task.id, "new");
    EXPECT_EQ(task.notes, ""); // the answer replaces what was sent
}

TEST_F(TasksClient, BodiesEndWithTheDueAndSendParentOnlyWhenSet)
{
    TaskInfo task = SampleTask();
    task.title = "t";
    task.due = "2026-12-09T00:00:00.000Z";
    EXPECT_EQ(TaskInsertBody(task, kStamp),
              std::string("{\"kind\": \"tasks#task\",\"title\": \"t\",\"updated\": \"") + kStamp +
                  "\",\"notes\": \"메모\",\"status\": \"needsAction\",\"due\": \"2026-12-09T00:00:00.000Z\"}");
    EXPECT_EQ(TaskUpdateBody(task, kStamp),
              std::string("{\"kind\": \"tasks#task\",\"id\": \"t1\",\"title\": \"t\",\"updated\": \"") + kStamp +
                  "\",\"notes\": \"메모\",\"status\": \"needsAction\",\"due\": \"2026-12-09T00:00:00.000Z\"}");
    task.parent = "p\"1";
    task.due.clear();
    task.notes.clear();
    EXPECT_EQ(
        TaskUpdateBody(task, kStamp),
        std::string("{\"kind\": \"tasks#task\",\"id\": \"t1\",\"parent\": \"p\\\"1\",\"title\": \"t\",\"updated\": "
                    "\"") +
            kStamp + "\",\"notes\": \"\",\"status\": \"needsAction\"}");
}

TEST_F(TasksClient, ListBodiesCarryKindIdTitleAndStamp)
{
    TaskListInfo list;
    list.id = "L1";
    list.title = "집안일 \\ \"A\"";
    EXPECT_EQ(TaskListInsertBody(list.title, kStamp),
              std::string("{\"kind\": \"tasks#taskList\",\"title\": \"집안일 \\\\ \\\"A\\\"\",\"updated\": \"") +
                  kStamp + "\"}");
    EXPECT_EQ(
        TaskListUpdateBody(list, kStamp),
        std::string("{\"kind\": \"tasks#taskList\",\"id\": \"L1\",\"title\": \"집안일 \\\\ \\\"A\\\"\",\"updated\": "
                    "\"") +
            kStamp + "\"}");
}

TEST_F(TasksClient, ControlCharactersOtherThanLineFeedAreEscapedSoTheBodyStaysJson)
{
    TaskInfo task = SampleTask();
    task.title = "a\tb\rc";
    task.notes = "\x01";
    const std::string body = TaskInsertBody(task, kStamp);
    EXPECT_NE(body.find("\"title\": \"a\\u0009b\\u000dc\""), std::string::npos) << body;
    EXPECT_NE(body.find("\"notes\": \"\\u0001\""), std::string::npos) << body;
}

TEST_F(TasksClient, IdsAreEncodedAndNoTokenGoesIntoAnyAddress)
{
    const std::string listId = "my list/..";
    const std::string taskId = "..";
    TaskInfo task = SampleTask();
    task.id = taskId;
    TaskListInfo list;
    list.id = listId;
    for (int i = 0; i < 6; ++i)
        QueueTokenCheck(), Queue(R"({"id": ".."})");
    UpdateTask(context, task, listId);
    MoveTask(context, listId, "p&q=1", taskId, task);
    DeleteTask(context, listId, taskId);
    UpdateTaskList(context, list); // takes the id ".." from the answer
    DeleteTaskList(context, listId);
    test::LoadWholeList(context, list);

    const std::vector<HttpRequest> requests = ApiRequests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[0].target, "/tasks/v1/lists/my%20list%2F../tasks/%2E%2E");
    EXPECT_EQ(requests[1].target, "/tasks/v1/lists/my%20list%2F../tasks/%2E%2E/move?parent=p%26q%3d1");
    EXPECT_EQ(requests[1].headerBlock, kAuthorizationOnly);
    EXPECT_EQ(requests[1].body, "");
    EXPECT_EQ(requests[2].verb, "DELETE");
    EXPECT_EQ(requests[2].headerBlock, kAuthorizationOnly);
    EXPECT_EQ(requests[3].target, "/tasks/v1/users/@me/lists/my%20list%2F..");
    EXPECT_EQ(requests[3].verb, "PUT");
    EXPECT_EQ(test::WithoutSelector(requests[5].target),
              "/tasks/v1/lists/%2E%2E/tasks?showCompleted=true&showHidden=true&maxResults=100");
    for (const HttpRequest& request : fixture.transport.requests)
        EXPECT_EQ(request.url.find("access_token"), std::string::npos) << request.url;
}

TEST_F(TasksClient, LoadTasksFollowsPagesAndPlacesAChildListedBeforeItsParent)
{
    QueueTokenCheck();
    Queue(R"({"items": [{"id": "child", "parent": "parent", "due": "2026-12-09T00:00:00.000Z"},
                        {"id": "late", "due": "2026-12-31T00:00:00.000Z"}],
              "nextPageToken": "page 2+"})");
    Queue(R"({"items": [{"id": "parent", "title": "부모", "status": "completed", "due": "2026-12-10T00:00:00.000Z"},
                        {"id": "sibling", "parent": "parent"}]})");
    TaskListInfo list;
    list.id = "L";
    ASSERT_TRUE(test::LoadWholeList(context, list));

    const std::vector<HttpRequest> requests = ApiRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(test::WithoutSelector(requests[0].target),
              "/tasks/v1/lists/L/tasks?showCompleted=true&showHidden=true&maxResults=100");
    EXPECT_EQ(test::WithoutSelector(requests[1].target),
              "/tasks/v1/lists/L/tasks?showCompleted=true&showHidden=true&maxResults=100&pageToken=page%202%2B");
    ASSERT_EQ(list.tasks.size(), 4u);
    EXPECT_EQ(list.tasks[2].title, "부모");
    EXPECT_EQ(test::TreeText(list.root()), "parent(sibling,child),late");
    EXPECT_TRUE(fixture.prompter.messages.empty());
}

TEST_F(TasksClient, LoadTasksShowsOrphansAndCyclesAtTheTopLevelInsteadOfLosingThem)
{
    QueueTokenCheck();
    Queue(R"({"items": [{"id": "orphan", "parent": "gone"},
                        {"id": "a", "parent": "b"}, {"id": "b", "parent": "a"},
                        {"id": "self", "parent": "self"}]})");
    TaskListInfo list;
    ASSERT_TRUE(test::LoadWholeList(context, list));
    EXPECT_EQ(fixture.prompter.messages, std::vector<std::string>{"error!!"});
    EXPECT_EQ(test::TreeText(list.root()), "orphan,b(a),self");
    EXPECT_EQ(list.tasks.size(), 4u);
    EXPECT_TRUE(fixture.diagnostics.Contains("loops"));
}

TEST_F(TasksClient, LoadTasksSkipsBadElementsWithADiagnosticLine)
{
    QueueTokenCheck();
    Queue(std::string(R"({"items": [{"title": "no id"}, 7, {"id": "x", "title": 5, "notes": {"a": 1}},)") +
          R"({"id": "x", "title": "again"}, {"id": "broken", "title": ")" + "\xc3" + R"("}]})");
    TaskListInfo list;
    ASSERT_TRUE(test::LoadWholeList(context, list));
    ASSERT_EQ(list.tasks.size(), 2u);
    EXPECT_EQ(list.tasks[0].title, "5");
    EXPECT_EQ(list.tasks[0].notes, "");
    EXPECT_EQ(list.tasks[1].title, "\xef\xbf\xbd");
    EXPECT_TRUE(fixture.diagnostics.Contains("without id : no id"));
    EXPECT_TRUE(fixture.diagnostics.Contains("not an object"));
    EXPECT_TRUE(fixture.diagnostics.Contains("skipped items listed before : 1"));
}

TEST_F(TasksClient, LoadTasksFailsOnAnAnswerItCannotRead)
{
    for (const std::string& answer : {std::string("<html>"), std::string("[1, 2]")}) {
        QueueTokenCheck();
        Queue(answer);
        TaskListInfo list;
        EXPECT_FALSE(test::LoadWholeList(context, list)) << answer;
        EXPECT_TRUE(fixture.diagnostics.Contains("unreadable answer : " + answer));
    }
    // An error document is JSON but no page of tasks.
    QueueTokenCheck();
    Queue(R"({"error": {"code": 500}})", 500);
    TaskListInfo list;
    EXPECT_FALSE(test::LoadWholeList(context, list));
    EXPECT_TRUE(fixture.diagnostics.Contains("LoadTasks : refused : HTTP 500"));
}

TEST_F(TasksClient, LoadTasksStopsWhenThePageTokenRepeats)
{
    QueueTokenCheck();
    Queue(R"({"items": [{"id": "a"}], "nextPageToken": "same"})");
    Queue(R"({"items": [{"id": "b"}], "nextPageToken": "same"})");
    Queue(R"({"items": [{"id": "c"}]})"); // never asked for
    TaskListInfo list;
    test::LoadWholeList(context, list);
    EXPECT_EQ(list.tasks.size(), 2u);
    EXPECT_EQ(ApiRequests().size(), 2u);
    EXPECT_TRUE(fixture.diagnostics.Contains("repeated a page token"));
}

TEST_F(TasksClient, PagesThatRepeatEarlierItemsUnderNewTokensAddNothingTwiceAndEndTheListing)
{
    QueueTokenCheck();
    Queue(R"({"items": [{"id": "a"}, {"id": "b"}], "nextPageToken": "1"})");
    Queue(R"({"items": [{"id": "b"}, {"id": "c"}], "nextPageToken": "2"})");
    Queue(R"({"items": [{"id": "a"}, {"id": "c"}], "nextPageToken": "3"})"); // nothing new
    Queue(R"({"items": [{"id": "d"}]})");                                    // never asked for
    TaskListInfo list;
    EXPECT_TRUE(test::LoadWholeList(context, list));
    EXPECT_EQ(test::TreeText(list.root()), "a,b,c");
    EXPECT_EQ(ApiRequests().size(), 3u);
    EXPECT_TRUE(fixture.diagnostics.Contains("Paging stopped : the service repeated a page"));
}

TEST_F(TasksClient, ChangesSinceAStampIncludeDeletedTasksAndMoveTheStampJustPastTheLatest)
{
    TaskListInfo list;
    list.id = "L";
    SyncState since;
    since.updatedMin = "2026-12-08T00:00:00.000Z";
    QueueTokenCheck();
    Queue(R"({"items": [{"id": "a", "title": "changed", "position": "00000000000000000003",
                         "updated": "2026-12-08T01:00:00.100Z"},
                        {"id": "b", "deleted": true, "updated": "2026-12-08T02:00:00.999Z"},
                        {"id": "c", "hidden": true, "status": "completed", "updated": "2026-12-08T00:30:00Z"}]})");
    TaskListing listing = LoadTaskChanges(context, list, since);
    ASSERT_EQ(ApiRequests().size(), 1u);
    EXPECT_EQ(test::WithoutSelector(ApiRequests()[0].target),
              "/tasks/v1/lists/L/tasks?showCompleted=true&showHidden=true&showDeleted=true"
              "&updatedMin=2026-12-08T00%3A00%3A00.000Z&maxResults=100");
    EXPECT_TRUE(listing.complete);
    EXPECT_FALSE(listing.whole);
    ASSERT_EQ(listing.changes.upserts.size(), 2u);
    EXPECT_EQ(listing.changes.upserts[0].position, "00000000000000000003");
    EXPECT_EQ(listing.changes.upserts[1].id, "c") << "a hidden task is still shown in the Completed view";
    EXPECT_EQ(listing.changes.deletions, std::vector<std::string>{"b"});
    // A millisecond on: the latest change is not listed again, and nothing later is missed.
    EXPECT_EQ(listing.state.updatedMin, "2026-12-08T02:00:01.000Z");

    // Nothing new keeps the stamp.
    QueueTokenCheck();
    Queue(R"({"items": []})");
    listing = LoadTaskChanges(context, list, since);
    EXPECT_TRUE(listing.complete);
    EXPECT_EQ(listing.state.updatedMin, since.updatedMin);
}

TEST_F(TasksClient, AWholeReadStampsTheListUnlessEmptyAndAStampRefusedAsTooOldReadsWhole)
{
    TaskListInfo list;
    list.id = "L";
    QueueTokenCheck();
    Queue(R"({"items": [{"id": "a", "updated": "2026-12-07T23:59:59.999Z"}, {"id": "b", "updated": "bad"}]})");
    TaskListing listing = LoadTaskChanges(context, list, {});
    EXPECT_TRUE(listing.whole);
    EXPECT_EQ(listing.changes.upserts.size(), 2u);
    EXPECT_EQ(listing.state.updatedMin, "2026-12-08T00:00:00.000Z");

    QueueTokenCheck();
    Queue(R"({"items": []})");
    EXPECT_EQ(LoadTaskChanges(context, list, {}).state.updatedMin, "") << "no stamp to go on: read whole again";

    SyncState since;
    since.updatedMin = "2020-01-01T00:00:00.000Z";
    QueueTokenCheck();
    Queue(R"({"error": {"code": 410, "message": "Gone"}})", 410);
    Queue(R"({"items": [{"id": "z", "updated": "2026-12-08T00:00:00Z"}]})");
    listing = LoadTaskChanges(context, list, since);
    const std::vector<HttpRequest> requests = ApiRequests();
    EXPECT_EQ(test::WithoutSelector(requests.back().target),
              "/tasks/v1/lists/L/tasks?showCompleted=true&showHidden=true&maxResults=100");
    EXPECT_TRUE(listing.complete);
    EXPECT_TRUE(listing.whole);
    EXPECT_EQ(listing.changes.upserts.size(), 1u);
    EXPECT_TRUE(fixture.diagnostics.Contains("LoadTasks : updatedMin refused as too old, reading the list whole : L"));

    QueueTokenCheck();
    transport().QueueFailure(wininet::kCannotConnect);
    listing = LoadTaskChanges(context, list, since);
    EXPECT_FALSE(listing.complete);
    EXPECT_TRUE(listing.failure.unreachable);
}

TEST_F(TasksClient, ListTaskListsFollowsPagesAndSkipsAListWithoutId)
{
    QueueTokenCheck();
    Queue(R"({"items": [{"id": "L1", "title": "첫째", "kind": "tasks#taskList"}], "nextPageToken": "n"})");
    Queue(R"({"items": [{"title": "no id"}, {"id": "L2", "title": "둘째"}]})");
    std::vector<TaskListInfo> lists(1); // appended to, not replaced
    ASSERT_TRUE(ListTaskLists(context, lists));
    ASSERT_EQ(lists.size(), 3u);
    EXPECT_EQ(lists[1].title, "첫째");
    EXPECT_EQ(lists[1].kind, "tasks#taskList");
    EXPECT_EQ(lists[2].id, "L2");
    EXPECT_TRUE(lists[1].tasks.empty()); // the tasks are LoadTasks's
    const std::vector<HttpRequest> requests = ApiRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(test::WithoutSelector(requests[0].target), "/tasks/v1/users/@me/lists?maxResults=100");
    EXPECT_EQ(test::WithoutSelector(requests[1].target), "/tasks/v1/users/@me/lists?maxResults=100&pageToken=n");
    EXPECT_TRUE(fixture.diagnostics.Contains("LoadTaskLists : skipped a task list without id : no id"));
}

TEST_F(TasksClient, ListTaskListsWithoutItemsIsAnEmptySuccessAndAFailedPageSaysWhatWasRead)
{
    QueueTokenCheck();
    Queue(R"({"kind": "tasks#taskLists"})");
    std::vector<TaskListInfo> lists;
    EXPECT_TRUE(ListTaskLists(context, lists));
    EXPECT_TRUE(lists.empty());

    QueueTokenCheck();
    Queue(R"({"items": [{"id": "L1"}], "nextPageToken": "n"})");
    transport().QueueFailure(wininet::kCannotConnect);
    ListingFailure failure;
    EXPECT_FALSE(ListTaskLists(context, lists, &failure));
    EXPECT_EQ(failure.text, "(Cannot connect)");
    EXPECT_TRUE(failure.unreachable);
    EXPECT_EQ(lists.size(), 1u);
    EXPECT_TRUE(fixture.diagnostics.Contains("(Cannot connect)12029"));
    EXPECT_TRUE(fixture.diagnostics.Contains(
        "LoadTaskLists : the listing is incomplete; task lists read before the failure : 1"));
    EXPECT_TRUE(fixture.prompter.messages.empty());
}

TEST_F(TasksClient, ANewTaskUnderAParentIsPostedThenMovedAndKeepsTheMovesRecord)
{
    QueueTokenCheck();
    Queue(R"({"id": "new", "title": "created"})");
    QueueTokenCheck();
    Queue(R"({"id": "new", "title": "moved", "parent": "p1", "status": "needsAction"})");
    TaskInfo task = SampleTask();
    const TaskCreation creation = InsertTask(context, task, "L", "p1");
    ASSERT_TRUE(creation.created.Applied());
    ASSERT_TRUE(creation.moved.Applied());
    const std::vector<HttpRequest> requests = ApiRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/tasks/v1/lists/L/tasks");
    EXPECT_EQ(requests[0].body.find("parent"), std::string::npos);
    EXPECT_EQ(requests[1].verb, "POST");
    EXPECT_EQ(requests[1].target, "/tasks/v1/lists/L/tasks/new/move?parent=p1");
    EXPECT_EQ(task.title, "moved");
    EXPECT_EQ(task.parent, "p1");
}

TEST_F(TasksClient, RefusedEditsSayWhyInTheServicesWordsAndKeepTheRecords)
{
    const std::string refusal = R"({"error": {"code": 400, "message": "Invalid Value"}})";
    for (int i = 0; i < 4; ++i)
        QueueTokenCheck(), Queue(refusal, 400);
    TaskInfo task = SampleTask();
    TaskListInfo list;
    list.title = "kept";
    EXPECT_EQ(InsertTask(context, task, "L", "").created.message, "Invalid Value");
    EXPECT_EQ(UpdateTask(context, task, "L").message, "Invalid Value");
    EXPECT_EQ(InsertTaskList(context, "new", list).message, "Invalid Value");
    EXPECT_EQ(UpdateTaskList(context, list).outcome, EditOutcome::Refused);
    EXPECT_TRUE(fixture.prompter.messages.empty());
    EXPECT_EQ(task.title, SampleTask().title);
    EXPECT_EQ(list.title, "kept");
}

TEST_F(TasksClient, EditsFillTheRecordFromTheAnswer)
{
    QueueTokenCheck();
    Queue(R"({"id": "L9", "kind": "tasks#taskList", "title": "새 목록", "updated": "u", "selfLink": "s"})");
    TaskListInfo list;
    list.expanded = 1;
    ASSERT_TRUE(InsertTaskList(context, "새 목록", list).Applied());
    EXPECT_EQ(list.id, "L9");
    EXPECT_EQ(list.selfLink, "s");
    EXPECT_EQ(list.expanded, 1);

    QueueTokenCheck();
    Queue(R"({"id": "t1", "kind": "tasks#task", "title": "T", "updated": "u", "notes": "n", "parent": "p",
              "due": "d", "status": "completed", "selfLink": "s"})");
    TaskInfo task = SampleTask();
    ASSERT_TRUE(UpdateTask(context, task, "L").Applied());
    EXPECT_EQ(task.kind, "tasks#task");
    EXPECT_EQ(task.status, "completed");
    EXPECT_EQ(task.parent, "p");
    EXPECT_EQ(task.due, "d");
    EXPECT_EQ(ApiRequests()[1].target, "/tasks/v1/lists/L/tasks/t1");
}

TEST_F(TasksClient, ATransportFailureOnAnEditIsADiagnosticLineNotAMessage)
{
    QueueTokenCheck();
    transport().QueueFailure(wininet::kTimeout);
    TaskInfo task = SampleTask();
    EXPECT_EQ(InsertTask(context, task, "L", "p").created.outcome, EditOutcome::Failed);
    EXPECT_TRUE(fixture.diagnostics.Contains("(Timeout)12002"));
    EXPECT_TRUE(fixture.prompter.messages.empty());
    EXPECT_EQ(ApiRequests().size(), 1u); // no move after a failed creation

    QueueTokenCheck();
    transport().QueueFailure(wininet::kConnectionReset);
    EXPECT_EQ(DeleteTaskList(context, "L").outcome, EditOutcome::Failed);
    EXPECT_TRUE(fixture.diagnostics.Contains("12031"));
}

TEST_F(TasksClient, OutcomeEditsShowNothingAndTellACreationFromAMove)
{
    // Created, then the move refused: the task is the service's, at the top level.
    QueueTokenCheck();
    Queue(R"({"id": "new", "title": "x", "status": "needsAction"})");
    QueueTokenCheck();
    Queue(R"({"error": {"code": 404, "message": "Not Found"}})", 404);
    TaskInfo task = SampleTask();
    const TaskCreation creation = InsertTask(context, task, "list1", "p1");
    EXPECT_TRUE(creation.NotMoved());
    EXPECT_EQ(creation.moved.message, "Not Found");
    EXPECT_EQ(task.id, "new");
    EXPECT_TRUE(task.parent.empty());
    const std::vector<HttpRequest> requests = ApiRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].headerBlock, kAuthorizationOnly); // a move has no body to type

    // A move answered with another task is not applied, and the record stays.
    QueueTokenCheck();
    Queue(R"({"id": "other"})");
    TaskInfo moved = SampleTask();
    EXPECT_FALSE(MoveTask(context, "list1", "", "t1", moved).Applied());
    EXPECT_EQ(moved.title, SampleTask().title);

    QueueTokenCheck();
    Queue("", 204);
    EXPECT_TRUE(DeleteTask(context, "list1", "t1").Applied());
    // Gone already, by another device or a first try whose answer was lost.
    QueueTokenCheck();
    Queue(R"({"error": {"code": 404, "message": "Not Found"}})", 404);
    EXPECT_TRUE(DeleteTask(context, "list1", "t1").Applied());
    QueueTokenCheck();
    Queue(R"({"error": {"code": 410, "message": "Gone"}})", 410);
    EXPECT_TRUE(DeleteTaskList(context, "list1").Applied());
    QueueTokenCheck();
    Queue(R"({"error": {"code": 503, "message": "Backend Error"}})", 503);
    EXPECT_EQ(DeleteTaskList(context, "list1").message, "Backend Error");
    EXPECT_TRUE(fixture.prompter.messages.empty());
}

} // namespace
} // namespace orb
