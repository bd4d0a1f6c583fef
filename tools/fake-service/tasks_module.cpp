// The Tasks v1 endpoints of the stand-in service: task lists and tasks with real state,
// paging, move with parent and previous, clear, updatedMin with deleted and hidden tasks,
// and Google-shaped errors.
#include "tools/fake-service/fake_service.h"

#include "core/instant.h"
#include "tools/fake-service/json_body.h"
#include "tools/fake-service/module_routes.h"
#include "tools/fake-service/time_text.h"

#include <httplib.h>
#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <type_traits>

namespace orb::fake {

namespace {

constexpr const char* kListsRoute = R"(/tasks/v1/users/@me/lists)";
constexpr const char* kListRoute = R"(/tasks/v1/users/@me/lists/([^/]+))";
constexpr const char* kTasksRoute = R"(/tasks/v1/lists/([^/]+)/tasks)";
constexpr const char* kTaskRoute = R"(/tasks/v1/lists/([^/]+)/tasks/([^/]+))";
constexpr const char* kMoveRoute = R"(/tasks/v1/lists/([^/]+)/tasks/([^/]+)/move)";
constexpr const char* kClearRoute = R"(/tasks/v1/lists/([^/]+)/clear)";

constexpr int kBadRequest = 400;
constexpr int kNotFound = 404;
constexpr int kNoContent = 204;
// The real service refuses pages larger than this.
// The largest pages the service gives, however many are asked for.
constexpr int kTaskListsMaximum = 1000;
constexpr int kTasksMaximum = 100;
constexpr int kPositionDigits = 20;

constexpr const char* kSeedMember = "tasks";
constexpr const char* kStatusNeedsAction = "needsAction";
constexpr const char* kStatusCompleted = "completed";

struct Task
{
    std::string id;
    std::string title;
    std::string notes;
    std::string status = kStatusNeedsAction;
    std::string due;
    std::string parent;
    std::string completed;
    std::string updated;
    bool hidden = false;
    bool deleted = false;
    std::string position; // as last listed; worked out from the listing order
};

struct TaskList
{
    std::string id;
    std::string title;
    std::string updated;
    std::vector<Task> tasks; // listing order; siblings keep their relative order
};

void SendJson(httplib::Response& response, const Json::Value& value)
{
    FakeService::SendJson(response, 200, value);
}

void SendNotFound(httplib::Response& response)
{
    FakeService::SendError(response, kNotFound, "notFound", "Not Found");
}

void SendInvalid(httplib::Response& response)
{
    FakeService::SendError(response, kBadRequest, "invalid", "Invalid Value");
}

void SendParseError(httplib::Response& response)
{
    FakeService::SendError(response, kBadRequest, "parseError", "Parse Error");
}

// Takes a string or boolean member when present; false when it is there with another type.
template <typename T> bool ReadMember(const Json::Value& object, const char* name, T& out)
{
    const Json::Value& value = object[name];
    if (value.isNull())
        return true;
    if constexpr (std::is_same_v<T, bool>) {
        if (!value.isBool())
            return false;
        out = value.asBool();
    } else {
        if (!value.isString())
            return false;
        out = value.asString();
    }
    return true;
}

bool AllDigits(const std::string& text, std::size_t from = 0)
{
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Answers one page of `count` items, as long as PageLength makes it, from the offset the
// page token names, with the token of the next page.
template <typename MakeItem>
void SendPage(const httplib::Request& request, httplib::Response& response, const FakeService& service,
              int listingMaximum, Json::Value page, std::size_t count, MakeItem makeItem)
{
    int requested = 0;
    if (request.has_param("maxResults")) {
        const std::string text = request.get_param_value("maxResults");
        constexpr std::size_t kMaxDigits = 9;
        if (text.empty() || text.size() > kMaxDigits || !AllDigits(text) || std::stoi(text) < 1)
            return SendInvalid(response);
        requested = std::stoi(text);
    }
    const std::size_t size = service.PageLength(requested, listingMaximum);
    std::size_t offset = 0;
    if (request.has_param("pageToken")) {
        // Tokens are "p" followed by the offset; anything else was not made here.
        const std::string token = request.get_param_value("pageToken");
        constexpr std::size_t kMaxOffsetDigits = 9;
        if (token.size() < 2 || token.size() > kMaxOffsetDigits + 1 || token[0] != 'p' || !AllDigits(token, 1))
            return SendInvalid(response);
        offset = static_cast<std::size_t>(std::stoul(token.substr(1)));
        if (offset > count)
            return SendInvalid(response);
    }
    const std::size_t end = std::min(count, offset + size);
    for (std::size_t i = offset; i < end; ++i)
        page["items"].append(makeItem(i));
    if (end < count)
        page["nextPageToken"] = "p" + std::to_string(end);
    SendJson(response, page);
}

bool QueryFlag(const httplib::Request& request, const char* name, bool fallback)
{
    if (!request.has_param(name))
        return fallback;
    return request.get_param_value(name) == "true";
}

class TasksModule : public FakeModule
{
public:
    explicit TasksModule(FakeService& service) : service_(service)
    {
        AddRoute("GET", kListsRoute, &TasksModule::ListLists);
        AddRoute("POST", kListsRoute, &TasksModule::InsertList);
        AddRoute("GET", kListRoute, &TasksModule::GetList);
        AddRoute("PUT", kListRoute, &TasksModule::PutList);
        AddRoute("PATCH", kListRoute, &TasksModule::PatchList);
        AddRoute("DELETE", kListRoute, &TasksModule::DeleteList);
        AddRoute("GET", kTasksRoute, &TasksModule::ListTasks);
        AddRoute("POST", kTasksRoute, &TasksModule::InsertTask);
        AddRoute("GET", kTaskRoute, &TasksModule::GetTask);
        AddRoute("PUT", kTaskRoute, &TasksModule::PutTask);
        AddRoute("PATCH", kTaskRoute, &TasksModule::PatchTask);
        AddRoute("DELETE", kTaskRoute, &TasksModule::DeleteTask);
        AddRoute("POST", kMoveRoute, &TasksModule::MoveTask);
        AddRoute("POST", kClearRoute, &TasksModule::ClearTasks);
    }

    void Register(httplib::Server& server) override { routes_.Register(server, service_); }

    bool Serve(const std::string& method, const std::string& target, const std::string& body,
               httplib::Response& response) override
    {
        return routes_.Serve(method, target, body, response);
    }

    bool Seed(const Json::Value& root, std::string& error) override;
    void Save(Json::Value& root) override;

    void Reset() override
    {
        std::lock_guard lock(mutex_);
        lists_.clear();
        nextId_ = 1;
    }

private:
    using Handler = void (TasksModule::*)(const httplib::Request&, httplib::Response&);

    void AddRoute(const char* method, const char* pattern, Handler handler)
    {
        routes_.AddLocked(
            method, pattern, mutex_,
            [this, handler](const httplib::Request& request, httplib::Response& response) {
                (this->*handler)(request, response);
            },
            [this] { service_.StateChanged(); });
    }

    std::string NewId(const char* prefix)
    {
        for (;;) {
            std::string id = prefix + std::to_string(nextId_++);
            if (!IdInUse(id))
                return id;
        }
    }

    bool IdInUse(const std::string& id) const
    {
        for (const TaskList& list : lists_) {
            if (list.id == id)
                return true;
            for (const Task& task : list.tasks) {
                if (task.id == id)
                    return true;
            }
        }
        return false;
    }

    TaskList* FindList(const std::string& id)
    {
        const auto found = std::find_if(lists_.begin(), lists_.end(), [&](const TaskList& l) { return l.id == id; });
        return found == lists_.end() ? nullptr : &*found;
    }

    static std::optional<std::size_t> FindTask(const TaskList& list, const std::string& id)
    {
        for (std::size_t i = 0; i < list.tasks.size(); ++i) {
            if (list.tasks[i].id == id && !list.tasks[i].deleted)
                return i;
        }
        return std::nullopt;
    }

    // True when `id` is `ancestorId` or lies below it (bounded, so seeded loops end).
    static bool IsWithin(const TaskList& list, std::string id, const std::string& ancestorId)
    {
        for (std::size_t steps = 0; steps <= list.tasks.size() && !id.empty(); ++steps) {
            if (id == ancestorId)
                return true;
            const auto found = FindTask(list, id);
            if (!found)
                return false;
            id = list.tasks[*found].parent;
        }
        return false;
    }

    std::string ListLink(const TaskList& list) const
    {
        return service_.BaseUrl() + "/tasks/v1/users/@me/lists/" + list.id;
    }

    Json::Value ListJson(const TaskList& list) const
    {
        Json::Value value(Json::objectValue);
        value["kind"] = "tasks#taskList";
        value["id"] = list.id;
        value["title"] = list.title;
        value["updated"] = list.updated;
        value["selfLink"] = ListLink(list);
        return value;
    }

    // Each task's position among its siblings, zero-padded as the real service writes it. Here
    // positions count the siblings before a task, so a change moves the positions of others too;
    // with `bump` those get a new `updated`, so that updatedMin finds every task whose listing
    // changed. A deleted task keeps its last position.
    void RefreshPositions(TaskList& list, bool bump)
    {
        std::map<std::string, std::size_t> siblingsSoFar;
        for (Task& task : list.tasks) {
            if (task.deleted)
                continue;
            char buffer[kPositionDigits + 1];
            std::snprintf(buffer, sizeof buffer, "%0*zu", kPositionDigits, siblingsSoFar[task.parent]++);
            if (bump && !task.position.empty() && task.position != buffer)
                task.updated = clock_.Next();
            task.position = buffer;
        }
    }

    Json::Value TaskJson(const TaskList& list, const Task& task) const
    {
        Json::Value value(Json::objectValue);
        value["kind"] = "tasks#task";
        value["id"] = task.id;
        value["title"] = task.title;
        value["updated"] = task.updated;
        value["selfLink"] = service_.BaseUrl() + "/tasks/v1/lists/" + list.id + "/tasks/" + task.id;
        if (!task.parent.empty())
            value["parent"] = task.parent;
        value["position"] = task.position;
        if (!task.notes.empty())
            value["notes"] = task.notes;
        value["status"] = task.status;
        if (!task.due.empty())
            value["due"] = task.due;
        if (!task.completed.empty())
            value["completed"] = task.completed;
        if (task.hidden)
            value["hidden"] = true;
        if (task.deleted)
            value["deleted"] = true;
        return value;
    }

    // Takes the members of a request body; PUT replaces every field, PATCH only those sent.
    static bool ApplyTaskBody(const Json::Value& body, bool replace, Task& task, const std::string& stamp)
    {
        Task changed = task;
        if (replace) {
            changed.title.clear();
            changed.notes.clear();
            changed.due.clear();
            changed.status = kStatusNeedsAction;
        }
        if (!ReadMember(body, "title", changed.title) || !ReadMember(body, "notes", changed.notes) ||
            !ReadMember(body, "due", changed.due) || !ReadMember(body, "status", changed.status) ||
            !ReadMember(body, "hidden", changed.hidden))
            return false;
        if (changed.status != kStatusNeedsAction && changed.status != kStatusCompleted)
            return false;
        if (changed.status == kStatusCompleted && changed.completed.empty())
            changed.completed = stamp;
        if (changed.status == kStatusNeedsAction)
            changed.completed.clear();
        changed.updated = stamp;
        task = std::move(changed);
        return true;
    }

    // Where a task under `parent` goes: after `previous`, or first among its siblings.
    // Empty when `previous` is not a sibling there.
    static std::optional<std::size_t> PlacementIndex(const TaskList& list, const std::string& parent,
                                                     const std::string& previous)
    {
        if (!previous.empty()) {
            const auto found = FindTask(list, previous);
            if (!found || list.tasks[*found].parent != parent)
                return std::nullopt;
            return *found + 1;
        }
        for (std::size_t i = 0; i < list.tasks.size(); ++i) {
            if (list.tasks[i].parent == parent && !list.tasks[i].deleted)
                return i;
        }
        if (!parent.empty()) {
            if (const auto found = FindTask(list, parent))
                return *found + 1;
        }
        return list.tasks.size();
    }

    void ListLists(const httplib::Request& request, httplib::Response& response)
    {
        Json::Value page(Json::objectValue);
        page["kind"] = "tasks#taskLists";
        SendPage(request, response, service_, kTaskListsMaximum, page, lists_.size(),
                 [&](std::size_t i) { return ListJson(lists_[i]); });
    }

    void InsertList(const httplib::Request& request, httplib::Response& response)
    {
        Json::Value body;
        if (!ReadJsonObjectBody(request.body, body))
            return SendParseError(response);
        TaskList list;
        if (!ReadMember(body, "title", list.title))
            return SendInvalid(response);
        list.id = NewId("L");
        list.updated = clock_.Next();
        lists_.push_back(list);
        SendJson(response, ListJson(lists_.back()));
    }

    void GetList(const httplib::Request& request, httplib::Response& response)
    {
        const TaskList* list = FindList(request.matches[1]);
        if (!list)
            return SendNotFound(response);
        SendJson(response, ListJson(*list));
    }

    // The list the path names and the request's JSON body; null once an error is answered.
    TaskList* ListWithBody(const httplib::Request& request, httplib::Response& response, Json::Value& body)
    {
        TaskList* list = FindList(request.matches[1]);
        if (!list) {
            SendNotFound(response);
            return nullptr;
        }
        if (!ReadJsonObjectBody(request.body, body)) {
            SendParseError(response);
            return nullptr;
        }
        return list;
    }

    void ChangeList(const httplib::Request& request, httplib::Response& response, bool replace)
    {
        Json::Value body;
        TaskList* list = ListWithBody(request, response, body);
        if (!list)
            return;
        std::string title = replace ? std::string() : list->title;
        if (!ReadMember(body, "title", title))
            return SendInvalid(response);
        list->title = title;
        list->updated = clock_.Next();
        SendJson(response, ListJson(*list));
    }

    void PutList(const httplib::Request& request, httplib::Response& response) { ChangeList(request, response, true); }
    void PatchList(const httplib::Request& request, httplib::Response& response)
    {
        ChangeList(request, response, false);
    }

    void DeleteList(const httplib::Request& request, httplib::Response& response)
    {
        const std::string id = request.matches[1];
        const auto found = std::find_if(lists_.begin(), lists_.end(), [&](const TaskList& l) { return l.id == id; });
        if (found == lists_.end())
            return SendNotFound(response);
        lists_.erase(found);
        response.status = kNoContent;
    }

    void ListTasks(const httplib::Request& request, httplib::Response& response)
    {
        const TaskList* list = FindList(request.matches[1]);
        if (!list)
            return SendNotFound(response);
        const bool showCompleted = QueryFlag(request, "showCompleted", true);
        const bool showHidden = QueryFlag(request, "showHidden", false);
        const bool showDeleted = QueryFlag(request, "showDeleted", false);
        std::optional<long long> updatedMin;
        if (request.has_param("updatedMin")) {
            updatedMin = InstantMillis(request.get_param_value("updatedMin"));
            if (!updatedMin)
                return SendInvalid(response);
        }
        std::vector<const Task*> shown;
        for (const Task& task : list->tasks) {
            if ((task.deleted && !showDeleted) || (task.hidden && !showHidden) ||
                (task.status == kStatusCompleted && !showCompleted))
                continue;
            // A stamp that cannot be read counts as older than any.
            if (updatedMin && InstantMillis(task.updated).value_or(std::numeric_limits<long long>::min()) < *updatedMin)
                continue;
            shown.push_back(&task);
        }
        Json::Value page(Json::objectValue);
        page["kind"] = "tasks#tasks";
        SendPage(request, response, service_, kTasksMaximum, page, shown.size(),
                 [&](std::size_t i) { return TaskJson(*list, *shown[i]); });
    }

    void InsertTask(const httplib::Request& request, httplib::Response& response)
    {
        Json::Value body;
        TaskList* list = ListWithBody(request, response, body);
        if (!list)
            return;
        Task task;
        if (!ApplyTaskBody(body, true, task, clock_.Next()))
            return SendInvalid(response);
        // The body's parent is read-only; only the query places a new task.
        task.parent = request.get_param_value("parent");
        if (!task.parent.empty() && !FindTask(*list, task.parent))
            return SendNotFound(response);
        const auto index = PlacementIndex(*list, task.parent, request.get_param_value("previous"));
        if (!index)
            return SendInvalid(response);
        task.id = NewId("T");
        list->tasks.insert(list->tasks.begin() + static_cast<std::ptrdiff_t>(*index), task);
        RefreshPositions(*list, true);
        SendJson(response, TaskJson(*list, list->tasks[*index]));
    }

    void GetTask(const httplib::Request& request, httplib::Response& response)
    {
        const TaskList* list = FindList(request.matches[1]);
        const auto index = list ? FindTask(*list, request.matches[2]) : std::nullopt;
        if (!index)
            return SendNotFound(response);
        SendJson(response, TaskJson(*list, list->tasks[*index]));
    }

    void ChangeTask(const httplib::Request& request, httplib::Response& response, bool replace)
    {
        Json::Value body;
        TaskList* list = ListWithBody(request, response, body);
        if (!list)
            return;
        const auto index = FindTask(*list, request.matches[2]);
        if (!index)
            return SendNotFound(response);
        // The body's parent is ignored: a task changes parent only by a move.
        if (!ApplyTaskBody(body, replace, list->tasks[*index], clock_.Next()))
            return SendInvalid(response);
        SendJson(response, TaskJson(*list, list->tasks[*index]));
    }

    void PutTask(const httplib::Request& request, httplib::Response& response) { ChangeTask(request, response, true); }
    void PatchTask(const httplib::Request& request, httplib::Response& response)
    {
        ChangeTask(request, response, false);
    }

    // Deletes the task with everything below it, as the real service does. They stay as
    // deleted tasks, which showDeleted lists.
    void DeleteTask(const httplib::Request& request, httplib::Response& response)
    {
        TaskList* list = FindList(request.matches[1]);
        const std::string id = request.matches[2];
        if (!list || !FindTask(*list, id))
            return SendNotFound(response);
        std::vector<std::string> doomed;
        for (const Task& task : list->tasks) {
            if (!task.deleted && IsWithin(*list, task.id, id))
                doomed.push_back(task.id);
        }
        const std::string stamp = clock_.Next();
        for (Task& task : list->tasks) {
            if (!task.deleted && std::find(doomed.begin(), doomed.end(), task.id) != doomed.end()) {
                task.deleted = true;
                task.updated = stamp;
            }
        }
        RefreshPositions(*list, true);
        response.status = kNoContent;
    }

    // tasks.clear: completed tasks become hidden, as when the user clears them in Google's apps.
    void ClearTasks(const httplib::Request& request, httplib::Response& response)
    {
        TaskList* list = FindList(request.matches[1]);
        if (!list)
            return SendNotFound(response);
        const std::string stamp = clock_.Next();
        for (Task& task : list->tasks) {
            if (!task.deleted && !task.hidden && task.status == kStatusCompleted) {
                task.hidden = true;
                task.updated = stamp;
            }
        }
        response.status = kNoContent;
    }

    void MoveTask(const httplib::Request& request, httplib::Response& response)
    {
        TaskList* list = FindList(request.matches[1]);
        const std::string id = request.matches[2];
        const auto index = list ? FindTask(*list, id) : std::nullopt;
        if (!index)
            return SendNotFound(response);
        const std::string parent = request.get_param_value("parent");
        if (!parent.empty()) {
            if (!FindTask(*list, parent))
                return SendNotFound(response);
            if (IsWithin(*list, parent, id))
                return SendInvalid(response);
        }
        Task task = list->tasks[*index];
        list->tasks.erase(list->tasks.begin() + static_cast<std::ptrdiff_t>(*index));
        const auto target = PlacementIndex(*list, parent, request.get_param_value("previous"));
        if (!target) {
            list->tasks.insert(list->tasks.begin() + static_cast<std::ptrdiff_t>(*index), task);
            return SendInvalid(response);
        }
        task.parent = parent;
        task.updated = clock_.Next();
        list->tasks.insert(list->tasks.begin() + static_cast<std::ptrdiff_t>(*target), task);
        RefreshPositions(*list, true);
        SendJson(response, TaskJson(*list, list->tasks[*target]));
    }

    FakeService& service_;
    ModuleRoutes routes_;
    std::shared_mutex mutex_;
    std::vector<TaskList> lists_;
    int nextId_ = 1;
    ChangeClock clock_;
};

// Member "tasks": {"taskLists": [{"id", "title", "updated", "tasks": [{"id", "title",
// "notes", "status", "due", "parent", "completed", "updated", "hidden", "deleted"}]}],
// "nextId"}.
// The order of "tasks" is the listing order, children before parents included. Seeding
// adds: a list already there takes the new title and gains the tasks.
bool TasksModule::Seed(const Json::Value& root, std::string& error)
{
    if (!root.isObject() || !root.isMember(kSeedMember))
        return true;
    const Json::Value& member = root[kSeedMember];
    // Checked before indexing: a member that is not an object would throw.
    const Json::Value& seededLists = member.isObject() ? member["taskLists"] : Json::Value::nullSingleton();
    if (!member.isObject() || (!seededLists.isNull() && !seededLists.isArray())) {
        error = "tasks must be an object whose taskLists is an array";
        return false;
    }
    // Kept in the state file so that ids of removed lists and tasks are not handed out again.
    const Json::Value& nextId = member["nextId"];
    if (!nextId.isNull() && (!nextId.isInt() || nextId.asInt() < 1)) {
        error = "tasks.nextId must be a whole number of at least 1";
        return false;
    }
    std::lock_guard lock(mutex_);
    // Changes go to a copy, so a refused seed leaves the state as it was.
    std::vector<TaskList> next = lists_;
    const auto fail = [&](const std::string& what) {
        error = "tasks.taskLists: " + what;
        return false;
    };
    for (const Json::Value& seeded : seededLists) {
        TaskList list;
        if (!seeded.isObject() || !ReadMember(seeded, "id", list.id) || !ReadMember(seeded, "title", list.title) ||
            !ReadMember(seeded, "updated", list.updated))
            return fail("every list must be an object with string members");
        const Json::Value& tasks = seeded["tasks"];
        if (!tasks.isNull() && !tasks.isArray())
            return fail("tasks of list '" + list.id + "' must be an array");
        const auto existing = std::find_if(next.begin(), next.end(),
                                           [&](const TaskList& l) { return !list.id.empty() && l.id == list.id; });
        TaskList& target = existing != next.end() ? *existing : next.emplace_back(list);
        if (seeded.isMember("title"))
            target.title = list.title;
        if (seeded.isMember("updated"))
            target.updated = list.updated;
        for (const Json::Value& seededTask : tasks) {
            Task task;
            if (!seededTask.isObject() || !ReadMember(seededTask, "id", task.id) ||
                !ReadMember(seededTask, "title", task.title) || !ReadMember(seededTask, "notes", task.notes) ||
                !ReadMember(seededTask, "status", task.status) || !ReadMember(seededTask, "due", task.due) ||
                !ReadMember(seededTask, "parent", task.parent) ||
                !ReadMember(seededTask, "completed", task.completed) ||
                !ReadMember(seededTask, "updated", task.updated) || !ReadMember(seededTask, "hidden", task.hidden) ||
                !ReadMember(seededTask, "deleted", task.deleted))
                return fail("a task of list '" + list.id + "' has a member of the wrong type");
            if (task.status != kStatusNeedsAction && task.status != kStatusCompleted)
                return fail("task '" + task.id + "': status must be needsAction or completed");
            if (!task.id.empty() && FindTask(target, task.id))
                return fail("task id '" + task.id + "' is there twice");
            // A task seeded again is no longer deleted.
            std::erase_if(target.tasks, [&](const Task& old) { return old.deleted && old.id == task.id; });
            target.tasks.push_back(task);
        }
    }
    lists_ = std::move(next);
    if (nextId.isInt())
        nextId_ = std::max(nextId_, nextId.asInt());

    // Ids left out are made up once every seeded id is known, so none collides. A seed is one
    // change at the service: what it adds shares one stamp.
    const std::string now = clock_.Next();
    for (TaskList& list : lists_) {
        if (list.id.empty())
            list.id = NewId("L");
        if (list.updated.empty())
            list.updated = now;
        for (Task& task : list.tasks) {
            if (task.id.empty())
                task.id = NewId("T");
            if (task.updated.empty())
                task.updated = now;
            if (task.status == kStatusCompleted && task.completed.empty())
                task.completed = now;
        }
        RefreshPositions(list, true);
    }
    return true;
}

void TasksModule::Save(Json::Value& root)
{
    std::lock_guard lock(mutex_);
    Json::Value member(Json::objectValue);
    member["taskLists"] = Json::Value(Json::arrayValue);
    for (const TaskList& list : lists_) {
        Json::Value saved(Json::objectValue);
        saved["id"] = list.id;
        saved["title"] = list.title;
        saved["updated"] = list.updated;
        saved["tasks"] = Json::Value(Json::arrayValue);
        for (const Task& task : list.tasks) {
            Json::Value value(Json::objectValue);
            value["id"] = task.id;
            value["title"] = task.title;
            value["status"] = task.status;
            value["updated"] = task.updated;
            for (const auto& [name, text] :
                 {std::pair{"notes", &task.notes}, std::pair{"due", &task.due}, std::pair{"parent", &task.parent},
                  std::pair{"completed", &task.completed}}) {
                if (!text->empty())
                    value[name] = *text;
            }
            if (task.hidden)
                value["hidden"] = true;
            if (task.deleted)
                value["deleted"] = true;
            saved["tasks"].append(value);
        }
        member["taskLists"].append(saved);
    }
    member["nextId"] = nextId_;
    root[kSeedMember] = member;
}

} // namespace

std::unique_ptr<FakeModule> MakeTasksModule(FakeService& service)
{
    return std::make_unique<TasksModule>(service);
}

} // namespace orb::fake
