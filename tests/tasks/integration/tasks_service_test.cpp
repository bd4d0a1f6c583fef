// The Tasks client over libcurl against the in-process stand-in service.
#include "service/curl_transport.h"
#include "tasks/tasks_client.h"
#include "tests/support/doubles.h"
#include "tests/tasks/load_whole.h"
#include "tests/tasks/tree_text.h"
#include "tools/fake-service/fake_service.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace orb {
namespace {

Json::Value ParseAnswer(const std::string& text)
{
    Json::Value root;
    std::string errors;
    std::istringstream stream(text);
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), stream, &root, &errors)) << text;
    return root;
}

constexpr const char* kToken = "tasks-integration-token";

// Five tasks over two pages of two: the child comes before its parent, and the completed
// task is hidden, as the service does for tasks completed in its own apps.
constexpr const char* kSeed = R"({"tasks": {"taskLists": [
  {"id": "home", "title": "집", "tasks": [
    {"id": "milk", "title": "우유", "parent": "shop", "due": "2026-12-09T00:00:00.000Z"},
    {"id": "late", "title": "late", "due": "2026-12-31T00:00:00.000Z"},
    {"id": "shop", "title": "장보기", "due": "2026-12-10T00:00:00.000Z"},
    {"id": "done", "title": "done", "status": "completed", "hidden": true, "parent": "shop"},
    {"id": "bread", "title": "빵", "parent": "shop"}]},
  {"id": "work", "title": "일"},
  {"id": "empty", "title": "빈 목록"}]}})";

class TasksAgainstService : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.Start(0)) << service.StartError();
        config = {"", service.BaseUrl(), "client", "secret", "urn:test", "", "", ""};
        config.SetAccountsBase(service.BaseUrl());
        service.AddAccessToken(kToken);
        session.set_tokens(kToken, "Bearer");
        std::string error;
        ASSERT_TRUE(service.SeedFromJson(kSeed, error)) << error;
        service.ClearRequests();
    }

    // Targets of the Tasks requests the service received, token checks left out.
    std::vector<std::string> TasksTargets() const
    {
        std::vector<std::string> targets;
        for (const fake::RecordedRequest& request : service.Requests()) {
            if (request.target.rfind("/tasks/", 0) == 0)
                targets.push_back(request.method + " " + test::WithoutSelector(request.target));
        }
        return targets;
    }

    // As a load pass reads them: the lists, then each list's tasks.
    bool LoadAll(std::vector<TaskListInfo>& lists)
    {
        const bool listed = ListTaskLists(context, lists);
        for (TaskListInfo& list : lists)
            EXPECT_TRUE(test::LoadWholeList(context, list)) << list.id;
        return listed;
    }

    TaskListInfo LoadList(const std::string& id)
    {
        TaskListInfo list;
        list.id = id;
        EXPECT_TRUE(test::LoadWholeList(context, list));
        return list;
    }

    fake::FakeService service;
    ServiceConfig config;
    OAuthSession session;
    CurlTransport transport{session};
    test::RecordingDiagnostics diagnostics;
    test::ScriptedPrompter prompter;
    test::FixedClock clock;
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
};

TEST_F(TasksAgainstService, LoadReadsEveryPageAndPlacesAChildListedBeforeItsParent)
{
    service.SetPageSize(2);
    std::vector<TaskListInfo> lists;
    ASSERT_TRUE(LoadAll(lists));

    ASSERT_EQ(lists.size(), 3u);
    EXPECT_EQ(lists[0].title, "집");
    EXPECT_EQ(lists[2].title, "빈 목록");
    ASSERT_EQ(lists[0].tasks.size(), 5u);
    EXPECT_EQ(test::TreeText(lists[0].root()), "shop(done,bread,milk),late");
    EXPECT_TRUE(lists[1].tasks.empty());
    EXPECT_TRUE(prompter.messages.empty());

    const std::vector<std::string> targets = TasksTargets();
    EXPECT_EQ(targets[0], "GET /tasks/v1/users/@me/lists?maxResults=100");
    EXPECT_EQ(targets[1], "GET /tasks/v1/users/@me/lists?maxResults=100&pageToken=p2");
    EXPECT_EQ(targets[2], "GET /tasks/v1/lists/home/tasks?showCompleted=true&showHidden=true&maxResults=100");
    EXPECT_EQ(targets.size(), 2u + 3u + 1u + 1u); // two pages of lists; three, one and one of tasks
    for (const fake::RecordedRequest& request : service.Requests())
        EXPECT_EQ(request.target.find("access_token"), std::string::npos) << request.target;
}

// Another device changes the list between two reads: the second asks for what was updated
// since the first and gets the changed, cleared and deleted tasks (subtasks too), nothing else.
TEST_F(TasksAgainstService, ChangesSinceTheStampAreWhatAnotherDeviceDidWithDeletedAndClearedTasks)
{
    TaskListInfo home;
    home.id = "home";
    const TaskListing first = LoadTaskChanges(context, home, {});
    ASSERT_TRUE(first.complete);
    ASSERT_FALSE(first.state.updatedMin.empty());
    EXPECT_EQ(LoadTaskChanges(context, home, first.state).changes.upserts.size(), 0u) << "an unchanged list";

    ASSERT_EQ(
        service.FromAnotherDevice("PATCH", "/tasks/v1/lists/home/tasks/late", R"({"status": "completed"})").status,
        200);
    ASSERT_EQ(service.FromAnotherDevice("POST", "/tasks/v1/lists/home/clear").status / 100, 2);
    ASSERT_EQ(service.FromAnotherDevice("DELETE", "/tasks/v1/lists/home/tasks/shop").status, 204);
    service.ClearRequests();
    const TaskListing changes = LoadTaskChanges(context, home, first.state);
    ASSERT_TRUE(changes.complete);
    EXPECT_FALSE(changes.whole);
    std::vector<std::string> changed;
    for (const TaskInfo& task : changes.changes.upserts)
        changed.push_back(task.id + ":" + task.status);
    EXPECT_EQ(changed, std::vector<std::string>{"late:completed"}) << "cleared, so hidden, and still listed";
    std::vector<std::string> deleted = changes.changes.deletions;
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (std::vector<std::string>{"bread", "done", "milk", "shop"}));
    const std::vector<std::string> targets = TasksTargets();
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_NE(targets[0].find("showDeleted=true&updatedMin="), std::string::npos) << targets[0];
    EXPECT_TRUE(LoadTaskChanges(context, home, changes.state).changes.deletions.empty());
}

TEST_F(TasksAgainstService, InsertUnderAParentPostsThenMovesAndReturnsTheMovedTask)
{
    TaskInfo task;
    task.title = "계란 \"특란\"";
    task.status = kTaskStatusNeedsAction;
    task.due = "2026-12-08T00:00:00.000Z";
    const TaskCreation creation = InsertTask(context, task, "home", "shop");
    ASSERT_TRUE(creation.created.Applied());
    ASSERT_TRUE(creation.moved.Applied());

    EXPECT_FALSE(task.id.empty());
    EXPECT_EQ(task.parent, "shop");
    EXPECT_EQ(task.title, "계란 \"특란\"");
    const std::vector<std::string> targets = TasksTargets();
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0], "POST /tasks/v1/lists/home/tasks");
    EXPECT_EQ(targets[1], "POST /tasks/v1/lists/home/tasks/" + task.id + "/move?parent=shop");

    const TaskListInfo reloaded = LoadList("home");
    ASSERT_NE(reloaded.tree->FindNode(task.id), nullptr);
    EXPECT_EQ(reloaded.tree->FindNode(task.id)->parent->task.id, "shop");
}

TEST_F(TasksAgainstService, MoveChangesTheParentAndRefusesAVanishedTaskOrItsOwnChild)
{
    TaskInfo task;
    ASSERT_TRUE(MoveTask(context, "home", "late", "shop", task).Applied());
    EXPECT_EQ(task.id, "shop");
    EXPECT_EQ(task.parent, "late");
    ASSERT_TRUE(MoveTask(context, "home", "", "milk", task).Applied());
    EXPECT_EQ(task.parent, "");
    EXPECT_EQ(test::TreeText(LoadList("home").root()), "milk,late(shop(done,bread))");

    // A task someone else deleted: refused in the service's words.
    TaskInfo untouched;
    untouched.title = "kept";
    const EditResult vanished = MoveTask(context, "home", "late", "ghost", untouched);
    EXPECT_EQ(vanished.outcome, EditOutcome::Refused);
    EXPECT_EQ(vanished.message, "Not Found");
    EXPECT_EQ(untouched.title, "kept");

    EXPECT_EQ(MoveTask(context, "home", "shop", "late", task).outcome, EditOutcome::Refused);
    EXPECT_EQ(test::TreeText(LoadList("home").root()), "milk,late(shop(done,bread))");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(TasksAgainstService, UpdatesAndListEditsRoundTrip)
{
    TaskListInfo list = LoadList("home");
    TaskInfo bread = list.tree->FindNode("bread")->task;
    bread.status = kTaskStatusCompleted;
    bread.notes = "두 줄\n메모";
    ASSERT_TRUE(UpdateTask(context, bread, "home").Applied());
    EXPECT_EQ(bread.status, "completed");
    EXPECT_EQ(bread.parent, "shop"); // an update never moves a task
    EXPECT_EQ(LoadList("home").tree->FindNode("bread")->task.notes, "두 줄\n메모");

    TaskListInfo created;
    ASSERT_TRUE(InsertTaskList(context, "새 목록", created).Applied());
    EXPECT_FALSE(created.id.empty());
    created.title = "바뀐 목록";
    ASSERT_TRUE(UpdateTaskList(context, created).Applied());
    EXPECT_EQ(created.title, "바뀐 목록");
    ASSERT_TRUE(DeleteTaskList(context, created.id).Applied());

    std::vector<TaskListInfo> lists;
    ASSERT_TRUE(LoadAll(lists));
    EXPECT_EQ(lists.size(), 3u);
}

TEST_F(TasksAgainstService, ADeleteRemovesTheTaskAndASecondOneFindsItGone)
{
    ASSERT_TRUE(DeleteTask(context, "home", "late").Applied());
    EXPECT_EQ(LoadList("home").tasks.size(), 4u);

    // Already gone: what was asked for holds.
    EXPECT_TRUE(DeleteTask(context, "home", "late").Applied());
    EXPECT_TRUE(diagnostics.Contains("Delete: already gone on the service, HTTP 404"));
    EXPECT_EQ(LoadList("home").tasks.size(), 4u);
}

TEST_F(TasksAgainstService, DeleteOnADeadConnectionIsAFailure)
{
    // The token check, the refresh it falls back to, then the delete itself: each answer
    // breaks off part-way, which must never read as an empty, successful answer.
    service.FailNext(3, {fake::FaultKind::Drop});
    EXPECT_EQ(DeleteTask(context, "home", "late").outcome, EditOutcome::Failed);
    ASSERT_EQ(service.Requests().size(), 3u);
    EXPECT_EQ(service.Requests().back().method, "DELETE");

    service.Stop();
    EXPECT_EQ(DeleteTask(context, "home", "late").outcome, EditOutcome::Failed);
    EXPECT_EQ(DeleteTaskList(context, "home").outcome, EditOutcome::Failed);
    EXPECT_TRUE(diagnostics.Contains("12029"));
}

TEST_F(TasksAgainstService, AnInvalidTokenMakesTheLoadFailInsteadOfLookingEmpty)
{
    session.set_tokens("revoked", "Bearer");
    std::vector<TaskListInfo> lists;
    EXPECT_FALSE(LoadAll(lists));
    EXPECT_TRUE(lists.empty());
    // Called what it is, in the service's own words, without the whole document.
    EXPECT_TRUE(diagnostics.Contains("LoadTaskLists : refused : HTTP 401 : "));
    EXPECT_FALSE(diagnostics.Contains("unreadable answer"));
    EXPECT_FALSE(diagnostics.Contains("\"errors\""));
}

TEST_F(TasksAgainstService, TheDemoSeedLoadsWithEveryTaskInItsPlace)
{
    std::ifstream file(ORB_DEMO_SEED);
    const std::string demo((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    service.Reset(); // forgets the tokens too
    service.AddAccessToken(kToken);
    std::string error;
    ASSERT_TRUE(service.SeedFromJson(demo, error)) << error;
    std::vector<TaskListInfo> lists;
    ASSERT_TRUE(LoadAll(lists));

    ASSERT_EQ(lists.size(), 3u);
    EXPECT_EQ(lists[0].title, "할일");
    EXPECT_EQ(lists[0].tasks.size(), 9u); // the hidden, completed one included
    EXPECT_EQ(test::TreeText(lists[1].root()),
              "demo-task-review,demo-task-release(demo-task-slides,demo-task-notes(demo-task-translate)),"
              "demo-task-report");
    EXPECT_TRUE(prompter.messages.empty());
}

// The stand-in's own rules that the client does not reach by itself.
TEST_F(TasksAgainstService, ServiceHidesHiddenTasksUnlessAskedAndAnswersUnknownIdsWith404)
{
    const auto countItems = [&](const std::string& query) {
        std::string response;
        int status = 0;
        status = transport.HttpGet(config.apiBase + "/tasks/v1/lists/home/tasks" + query, "", response).status;
        EXPECT_EQ(status, 200) << response;
        return ParseAnswer(response)["items"].size();
    };
    EXPECT_EQ(countItems(""), 4u);
    EXPECT_EQ(countItems("?showHidden=true"), 5u);
    EXPECT_EQ(countItems("?showHidden=true&showCompleted=false"), 4u);

    std::string response;
    int status = 0;
    status = transport.HttpGet(config.apiBase + "/tasks/v1/lists/nope/tasks", "", response).status;
    EXPECT_EQ(status, 404);
    const Json::Value document = ParseAnswer(response);
    EXPECT_EQ(document["error"]["errors"][0]["reason"].asString(), "notFound") << response;
    EXPECT_EQ(document["error"]["code"].asInt(), 404);
}

TEST_F(TasksAgainstService, ServiceMovesAfterPreviousAndDeletesTheWholeSubtree)
{
    std::string response;
    int status = 0;
    status = transport
                 .HttpPost(config.apiBase + "/tasks/v1/lists/home/tasks/milk/move?parent=shop&previous=done", "",
                           response, session.AuthorizationLine())
                 .status;
    EXPECT_EQ(status, 200);
    const Json::Value moved = ParseAnswer(response);
    EXPECT_EQ(moved["parent"].asString(), "shop");
    EXPECT_EQ(moved["position"].asString(), "00000000000000000001") << response; // right after "done"

    ASSERT_TRUE(DeleteTask(context, "home", "shop").Applied());
    EXPECT_EQ(test::TreeText(LoadList("home").root()), "late");
}

} // namespace
} // namespace orb
