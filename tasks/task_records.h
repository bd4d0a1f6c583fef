#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace orb {

// One task. Texts are UTF-8; an empty text means the value is absent.
struct TaskInfo
{
    std::string kind;
    std::string id;
    std::string title;
    std::string updated;
    std::string notes;
    std::string due; // only the YYYY-MM-DD part carries meaning
    std::string status;
    std::string parent;
    std::string selfLink;
    // The service's order among siblings: a greater text comes later. Empty sorts first.
    std::string position;

    friend bool operator==(const TaskInfo&, const TaskInfo&) = default;
};

constexpr const char* kTaskStatusNeedsAction = "needsAction";
constexpr const char* kTaskStatusCompleted = "completed";

// One position in a list's hierarchy. The links never own: every node belongs to the
// TaskTree that made it.
struct TaskNode
{
    TaskInfo task;
    TaskNode* parent = nullptr; // the tree's root for a top-level task
    TaskNode* nextSibling = nullptr;
    TaskNode* prevSibling = nullptr;
    TaskNode* firstChild = nullptr;
    std::int32_t expanded = 0; // remembered by the task tree across reloads
};

// The node hierarchy of one task list. It owns every node; callers keep plain pointers,
// which stay valid until the node is released or the tree is cleared.
class TaskTree
{
public:
    TaskTree() = default;
    TaskTree(const TaskTree&) = delete;
    TaskTree& operator=(const TaskTree&) = delete;

    TaskNode& root() { return root_; }
    const TaskNode& root() const { return root_; }
    // Nodes below the root.
    std::size_t size() const { return nodes_.size(); }

    // Links a new node holding a copy of `task` as the last child of `parent`, which must
    // be the root or a node of this tree.
    TaskNode& AppendChild(TaskNode& parent, const TaskInfo& task);

    // Depth first from the root, children before their parent; the first match.
    TaskNode* FindNode(const std::string& id);

    // Orders every sibling chain by due text, ascending byte order (an empty due comes
    // first), equal dues by the service's position. Equal both keep their order.
    void SortByDue();
    // Orders the children of one node only.
    void SortChildren(TaskNode& parent);

    // Unlinks `node` and releases it with its whole subtree.
    void Release(TaskNode& node);
    // Relinks `node` as the last child of `newParent`. Refused (false) when `newParent` is
    // the node itself or one of its descendants, which would cut the subtree loose.
    bool MoveUnder(TaskNode& node, TaskNode& newParent);
    // True when `node` is `ancestor` or lies below it.
    static bool IsWithin(const TaskNode& node, const TaskNode& ancestor);

    // Releases every node; the root's first child becomes empty.
    void Clear();

private:
    void Unlink(TaskNode& node);
    void LinkLast(TaskNode& node, TaskNode& parent);

    TaskNode root_;
    TaskNode* hintLast_ = nullptr; // the node last linked as a last child
    std::unordered_map<const TaskNode*, std::unique_ptr<TaskNode>> nodes_;
};

// A handle every copy of a list shares, so the nodes survive copies (the store's sequence
// growing, a list handed to a dialog) and are freed exactly once, with the last copy.
// Moves copy too: a list is never left without a tree.
class SharedTaskTree
{
public:
    SharedTaskTree() : tree_(std::make_shared<TaskTree>()) {}
    SharedTaskTree(const SharedTaskTree&) = default;
    SharedTaskTree& operator=(const SharedTaskTree&) = default;

    TaskTree& operator*() const { return *tree_; }
    TaskTree* operator->() const { return tree_.get(); }
    long use_count() const { return tree_.use_count(); }

private:
    std::shared_ptr<TaskTree> tree_;
};

// What placing tasks under their parents left at the top level instead, by task id.
struct TaskPlacement
{
    std::vector<std::string> missingParent; // the parent is not in the tree
    std::vector<std::string> parentCycle;   // the parent chain comes back to the task
};

// Adds `tasks` to `tree`: each at the top level first, then under its parent once all are
// in, so the order in which the service lists parents and children does not matter; then
// every sibling chain is sorted (SortByDue). `expanded`, when not empty, holds each task's
// remembered expansion, in the order of `tasks`.
TaskPlacement AddTasksToTree(TaskTree& tree, const std::vector<TaskInfo>& tasks,
                             const std::vector<std::int32_t>& expanded = {});

// The `expanded` of every node of the tree, by task id (the first node of an id).
std::unordered_map<std::string, std::int32_t> ExpansionById(const TaskTree& tree);

// The changes an incremental listing of one list found. Deletions are applied after the
// upserts, so an id in both ends up deleted.
struct TaskChanges
{
    std::vector<TaskInfo> upserts;
    std::vector<std::string> deletions; // only the tasks named; their subtasks stay
};

// One task list: its tasks in service order and as a hierarchy sorted by due.
struct TaskListInfo
{
    std::string kind;
    std::string id;
    std::string title;
    std::string updated;
    std::string selfLink;
    std::vector<TaskInfo> tasks;
    SharedTaskTree tree;
    std::int32_t expanded = 0;

    TaskNode& root() const { return tree->root(); }
};

} // namespace orb
