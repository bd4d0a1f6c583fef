#include "tasks/tasks_client.h"

#include "core/clock.h"
#include "core/diagnostics.h"
#include "core/instant.h"
#include "core/prompter.h"
#include "core/ui_text.h"
#include "service/http.h"
#include "service/listing.h"
#include "service/oauth.h"
#include "service/record_json.h"
#include "service/requests.h"
#include "service/text_codec.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <unordered_set>

namespace orb {

namespace {

constexpr const char* kListsPath = "/tasks/v1/users/@me/lists";
constexpr const char* kListTasksPrefix = "/tasks/v1/lists/";
// Completed tasks are asked for, and so are hidden ones: the service hides tasks completed
// in its own apps unless asked, and the "Completed" view would silently miss them.
constexpr const char* kTaskQuery = "?showCompleted=true&showHidden=true";
// Deleted tasks come too, so that the copy loses them; the stamp follows.
constexpr const char* kTaskChangesQuery = "?showCompleted=true&showHidden=true&showDeleted=true&updatedMin=";
constexpr int kStatusGone = 410;
constexpr const char* kParentParameter = "?parent=";
// The largest page the service gives: a normal account reads each listing in one request.
constexpr const char* kFullListsPage = "?maxResults=100";
constexpr const char* kFullTasksPage = "&maxResults=100";
constexpr const char* kUpdatedFormat = "%Y-%m-%dT%H:%M:%S.000Z";

constexpr const char* kLoadTaskListsName = "LoadTaskLists";
constexpr const char* kLoadTasksName = "LoadTasks";

// Diagnostic lines; each follows the operation's name.
constexpr const char* kUnreadablePageLine = " : unreadable answer : ";
constexpr const char* kRefusedPageLine = " : refused : ";
constexpr const char* kIncompleteListingLine = " : the listing is incomplete; task lists read before the failure : ";
constexpr const char* kItemNotObjectLine = " : skipped an element that is not an object";
constexpr const char* kListWithoutIdLine = " : skipped a task list without id : ";
constexpr const char* kTaskWithoutIdLine = " : skipped a task without id : ";
constexpr const char* kDuplicateTaskLine = " : skipped a second task with id ";
constexpr const char* kMissingParentLine = " : parent not in the list, shown at the top level : ";
constexpr const char* kParentCycleLine = " : parent chain loops, shown at the top level : ";
constexpr const char* kStampTooOldLine = " : updatedMin refused as too old, reading the list whole : ";

// Every member TaskFromJson, CopyListFields and the paging read; the Tasks API has no sync
// tokens, and names one it does not know a bad request.
constexpr const char* kTaskListFields = "items(id,kind,selfLink,title,updated),nextPageToken";
constexpr const char* kTaskFields =
    "items(id,kind,selfLink,title,updated,notes,parent,due,status,position,deleted),nextPageToken";

std::string ListsUrl(const ServiceContext& context)
{
    return context.config.apiBase + kListsPath;
}

std::string ListUrl(const ServiceContext& context, const std::string& listId)
{
    return ListsUrl(context) + "/" + EncodePathSegment(listId);
}

std::string TasksUrl(const ServiceContext& context, const std::string& listId)
{
    return context.config.apiBase + kListTasksPrefix + EncodePathSegment(listId) + "/tasks";
}

std::string TaskUrl(const ServiceContext& context, const std::string& listId, const std::string& taskId)
{
    return TasksUrl(context, listId) + "/" + EncodePathSegment(taskId);
}

std::string Now(const ServiceContext& context)
{
    return FormatLocal(context.clock.Now(), kUpdatedFormat);
}

TaskInfo TaskFromJson(const JsonNode& object)
{
    TaskInfo task;
    task.id = MemberText(object, "id");
    task.kind = MemberText(object, "kind");
    task.selfLink = MemberText(object, "selfLink");
    task.title = MemberText(object, "title");
    task.updated = MemberText(object, "updated");
    task.notes = MemberText(object, "notes");
    task.parent = MemberText(object, "parent");
    task.due = MemberText(object, "due");
    task.status = MemberText(object, "status");
    task.position = MemberText(object, "position");
    return task;
}

void CopyListFields(const JsonNode& object, TaskListInfo& list)
{
    list.id = MemberText(object, "id");
    list.kind = MemberText(object, "kind");
    list.selfLink = MemberText(object, "selfLink");
    list.title = MemberText(object, "title");
    list.updated = MemberText(object, "updated");
}

// Reads a listing to its last page, handing each element that is an object to `onItem`.
// False, with a diagnostic line, when a page could not be read.
ListingResult ReadPages(ServiceContext& context, const std::string& url, const char* operation, const char* fields,
                        const std::function<void(const JsonNode&)>& onItem)
{
    const std::string operationName = operation;
    const ListingResult result = FetchListing(context, url, fields, [&](const JsonNode& item) {
        if (IsObject(item))
            onItem(item);
        else
            context.diagnostics.WriteLine(operationName + kItemNotObjectLine);
    });
    switch (result.outcome) {
    case ListingOutcome::Complete:
        break;
    case ListingOutcome::TransportFailed:
        ReportTransportFailure(context.diagnostics, result.transport);
        break;
    case ListingOutcome::Unreadable:
        context.diagnostics.WriteLine(operationName + kUnreadablePageLine + DecodeUtf8Text(result.answer));
        break;
    case ListingOutcome::Refused: {
        // The service's own sentence, not its whole document.
        const std::string status = "HTTP " + std::to_string(result.transport.status);
        const std::string reason = RefusalMessage(result.answer, result.transport.status);
        context.diagnostics.WriteLine(operationName + kRefusedPageLine + status +
                                      (reason == status ? std::string() : " : " + reason));
        break;
    }
    }
    return result;
}

// The tasks updated since a stamp, deleted ones included; the next stamp is just past the
// latest one listed, so an unchanged list answers with nothing.
ListingResult ReadTaskChanges(ServiceContext& context, const TaskListInfo& list, const std::string& updatedMin,
                              const std::string& page, TaskListing& listing)
{
    long long latest = LLONG_MIN;
    const std::string url = TasksUrl(context, list.id) + kTaskChangesQuery + EncodeQueryValue(updatedMin) + page;
    const ListingResult result = ReadPages(context, url, kLoadTasksName, kTaskFields, [&](const JsonNode& item) {
        TaskInfo task = TaskFromJson(item);
        if (task.id.empty())
            return;
        latest = std::max(latest, InstantMillis(task.updated).value_or(LLONG_MIN));
        if (MemberIsTrue(item, "deleted"))
            listing.changes.deletions.push_back(task.id);
        else
            listing.changes.upserts.push_back(std::move(task));
    });
    listing.state.updatedMin = updatedMin;
    if (latest != LLONG_MIN)
        listing.state.updatedMin = UtcMillisText(latest + 1);
    return result;
}

enum class EditVerb
{
    Post,
    Put,
};

std::string MoveUrl(const ServiceContext& context, const std::string& listId, const std::string& parentId,
                    const std::string& taskId)
{
    std::string url = TaskUrl(context, listId, taskId) + "/move";
    if (!parentId.empty())
        url += kParentParameter + EncodeUrlComponent(parentId);
    return url;
}

// One edit that answers with a record, read as an outcome.
EditResult SendRecordEdit(ServiceContext& context, EditVerb verb, const std::string& url, const std::string& body,
                          JsonAnswer& record)
{
    EnsureAccessToken(context);
    // A move carries no body and so no content type.
    const std::string headers =
        body.empty() ? context.session.AuthorizationLine() : JsonRequestHeaders(context.session);
    std::string answer;
    const TransportResult transport = verb == EditVerb::Put ? context.transport.HttpPut(url, body, answer, headers)
                                                            : context.transport.HttpPost(url, body, answer, headers);
    return ReadEditAnswer(context, transport, answer, record);
}

EditResult SendDeletion(ServiceContext& context, const std::string& url)
{
    EnsureAccessToken(context);
    std::string answer;
    const TransportResult transport =
        context.transport.HttpDelete(url, "", answer, context.session.AuthorizationLine());
    return ReadDeletionAnswer(context, transport, answer);
}

} // namespace

namespace {

// The members both task bodies end with; "due" comes last and only when set.
std::string TaskBodyTail(const TaskInfo& task, const std::string& updated)
{
    std::string tail = "\"title\": \"" + EncodeJsonBodyText(task.title) + "\",";
    tail += "\"updated\": \"" + updated + "\",";
    tail += "\"notes\": \"" + EncodeJsonBodyText(task.notes) + "\",";
    tail += "\"status\": \"" + EncodeJsonBodyText(task.status) + "\"";
    if (!task.due.empty())
        tail += ",\"due\": \"" + EncodeJsonBodyText(task.due) + "\"";
    return tail + "}";
}

} // namespace

std::string TaskInsertBody(const TaskInfo& task, const std::string& updated)
{
    return "{\"kind\": \"tasks#task\"," + TaskBodyTail(task, updated);
}

std::string TaskUpdateBody(const TaskInfo& task, const std::string& updated)
{
    std::string body = "{\"kind\": \"tasks#task\",";
    body += "\"id\": \"" + EncodeJsonBodyText(task.id) + "\",";
    if (!task.parent.empty())
        body += "\"parent\": \"" + EncodeJsonBodyText(task.parent) + "\",";
    return body + TaskBodyTail(task, updated);
}

std::string TaskListInsertBody(const std::string& title, const std::string& updated)
{
    return "{\"kind\": \"tasks#taskList\",\"title\": \"" + EncodeJsonBodyText(title) + "\",\"updated\": \"" + updated +
           "\"}";
}

std::string TaskListUpdateBody(const TaskListInfo& list, const std::string& updated)
{
    return "{\"kind\": \"tasks#taskList\",\"id\": \"" + EncodeJsonBodyText(list.id) + "\",\"title\": \"" +
           EncodeJsonBodyText(list.title) + "\",\"updated\": \"" + updated + "\"}";
}

bool ListTaskLists(ServiceContext& context, std::vector<TaskListInfo>& taskLists, ListingFailure* failure)
{
    EnsureAccessToken(context);
    const std::string url = ListsUrl(context) + (context.config.fullPages ? kFullListsPage : "");
    const std::size_t before = taskLists.size();
    const ListingResult result =
        ReadPages(context, url, kLoadTaskListsName, kTaskListFields, [&](const JsonNode& item) {
            TaskListInfo list;
            CopyListFields(item, list);
            if (list.id.empty()) {
                context.diagnostics.WriteLine(std::string(kLoadTaskListsName) + kListWithoutIdLine + list.title);
                return;
            }
            taskLists.push_back(std::move(list));
        });
    const bool complete = result.outcome == ListingOutcome::Complete;
    if (!complete && failure)
        *failure = DescribeListingFailure(result);
    if (!complete)
        context.diagnostics.WriteLine(std::string(kLoadTaskListsName) + kIncompleteListingLine +
                                      std::to_string(taskLists.size() - before));
    return complete;
}

TaskListing LoadTaskChanges(ServiceContext& context, const TaskListInfo& list, const SyncState& since)
{
    EnsureAccessToken(context);
    TaskListing listing;
    const std::string page = context.config.fullPages ? kFullTasksPage : "";
    if (!since.updatedMin.empty()) {
        const ListingResult result = ReadTaskChanges(context, list, since.updatedMin, page, listing);
        if (result.outcome == ListingOutcome::Complete) {
            listing.complete = true;
            return listing;
        }
        if (result.outcome != ListingOutcome::Refused || result.transport.status != kStatusGone) {
            listing.failure = DescribeListingFailure(result);
            return listing;
        }
        context.diagnostics.WriteLine(std::string(kLoadTasksName) + kStampTooOldLine + list.id);
        listing = {};
    }

    listing.whole = true;
    std::unordered_set<std::string> ids;
    long long latest = LLONG_MIN;
    const std::string operationName = kLoadTasksName;
    const ListingResult result = ReadPages(
        context, TasksUrl(context, list.id) + kTaskQuery + page, kLoadTasksName, kTaskFields,
        [&](const JsonNode& item) {
            TaskInfo task = TaskFromJson(item);
            if (task.id.empty()) {
                context.diagnostics.WriteLine(operationName + kTaskWithoutIdLine + task.title);
                return;
            }
            if (!ids.insert(task.id).second) {
                context.diagnostics.WriteLine(operationName + kDuplicateTaskLine + task.id + " : " + task.title);
                return;
            }
            latest = std::max(latest, InstantMillis(task.updated).value_or(LLONG_MIN));
            listing.changes.upserts.push_back(std::move(task));
        });
    listing.complete = result.outcome == ListingOutcome::Complete;
    if (!listing.complete)
        listing.failure = DescribeListingFailure(result);
    else if (latest != LLONG_MIN)
        listing.state.updatedMin = UtcMillisText(latest + 1);
    return listing;
}

void ReportTaskPlacement(ServiceContext& context, const TaskPlacement& placement)
{
    const std::string operationName = kLoadTasksName;
    for (const std::string& id : placement.missingParent)
        context.diagnostics.WriteLine(operationName + kMissingParentLine + id);
    for (const std::string& id : placement.parentCycle)
        context.diagnostics.WriteLine(operationName + kParentCycleLine + id);
    if (!placement.missingParent.empty())
        context.prompter.ShowMessage(Translated(kMissingParentMessage));
}

EditResult InsertTaskList(ServiceContext& context, const std::string& title, TaskListInfo& list)
{
    JsonAnswer record;
    EditResult result =
        SendRecordEdit(context, EditVerb::Post, ListsUrl(context), TaskListInsertBody(title, Now(context)), record);
    if (result.Applied())
        CopyListFields(record.Root(), list);
    return result;
}

EditResult UpdateTaskList(ServiceContext& context, TaskListInfo& list)
{
    JsonAnswer record;
    EditResult result = SendRecordEdit(context, EditVerb::Put, ListUrl(context, list.id),
                                       TaskListUpdateBody(list, Now(context)), record);
    if (result.Applied())
        CopyListFields(record.Root(), list);
    return result;
}

EditResult DeleteTaskList(ServiceContext& context, const std::string& listId)
{
    return SendDeletion(context, ListUrl(context, listId));
}

TaskCreation InsertTask(ServiceContext& context, TaskInfo& task, const std::string& listId, const std::string& parentId)
{
    TaskCreation creation;
    JsonAnswer record;
    creation.created =
        SendRecordEdit(context, EditVerb::Post, TasksUrl(context, listId), TaskInsertBody(task, Now(context)), record);
    if (!creation.created.Applied())
        return creation;
    task = TaskFromJson(record.Root());
    if (!parentId.empty())
        creation.moved = MoveTask(context, listId, parentId, task.id, task);
    return creation;
}

EditResult UpdateTask(ServiceContext& context, TaskInfo& task, const std::string& listId)
{
    JsonAnswer record;
    EditResult result = SendRecordEdit(context, EditVerb::Put, TaskUrl(context, listId, task.id),
                                       TaskUpdateBody(task, Now(context)), record);
    if (result.Applied())
        task = TaskFromJson(record.Root());
    return result;
}

EditResult MoveTask(ServiceContext& context, const std::string& listId, const std::string& parentId,
                    const std::string& taskId, TaskInfo& task)
{
    JsonAnswer record;
    EditResult result =
        SendRecordEdit(context, EditVerb::Post, MoveUrl(context, listId, parentId, taskId), std::string(), record);
    if (!result.Applied())
        return result;
    // Another task in the answer would be a move we did not ask for.
    if (MemberText(record.Root(), "id") != taskId)
        return UnreadableAnswer(context, JsonText(record.Root()));
    task = TaskFromJson(record.Root());
    return result;
}

EditResult DeleteTask(ServiceContext& context, const std::string& listId, const std::string& taskId)
{
    return SendDeletion(context, TaskUrl(context, listId, taskId));
}

} // namespace orb
