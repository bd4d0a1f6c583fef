#include "tasks/task_records.h"

#include <algorithm>
#include <tuple>

namespace orb {

namespace {

TaskNode* DeepestFirstChild(TaskNode* node)
{
    while (node->firstChild)
        node = node->firstChild;
    return node;
}

} // namespace

void TaskTree::LinkLast(TaskNode& node, TaskNode& parent)
{
    // Loading appends many children to one parent in a row; the hint keeps that linear.
    // Links may have changed since, so it is trusted only while it is still that last child.
    TaskNode* last = parent.firstChild;
    if (hintLast_ && hintLast_->parent == &parent && !hintLast_->nextSibling)
        last = hintLast_;
    while (last && last->nextSibling)
        last = last->nextSibling;

    node.parent = &parent;
    node.prevSibling = last;
    node.nextSibling = nullptr;
    if (last)
        last->nextSibling = &node;
    else
        parent.firstChild = &node;
    hintLast_ = &node;
}

TaskNode& TaskTree::AppendChild(TaskNode& parent, const TaskInfo& task)
{
    auto owned = std::make_unique<TaskNode>();
    TaskNode& node = *owned;
    node.task = task;
    nodes_.emplace(&node, std::move(owned));

    LinkLast(node, parent);
    return node;
}

TaskNode* TaskTree::FindNode(const std::string& id)
{
    if (!root_.firstChild)
        return nullptr;
    // Children before their parent, then the next sibling: a post-order walk.
    TaskNode* node = DeepestFirstChild(root_.firstChild);
    while (node != &root_) {
        if (node->task.id == id)
            return node;
        node = node->nextSibling ? DeepestFirstChild(node->nextSibling) : node->parent;
    }
    return nullptr;
}

void TaskTree::SortChildren(TaskNode& parent)
{
    std::vector<TaskNode*> chain;
    for (TaskNode* child = parent.firstChild; child; child = child->nextSibling)
        chain.push_back(child);
    if (chain.size() < 2)
        return;
    std::stable_sort(chain.begin(), chain.end(), [](const TaskNode* a, const TaskNode* b) {
        return std::tie(a->task.due, a->task.position) < std::tie(b->task.due, b->task.position);
    });
    parent.firstChild = chain.front();
    for (std::size_t i = 0; i < chain.size(); ++i) {
        chain[i]->prevSibling = i > 0 ? chain[i - 1] : nullptr;
        chain[i]->nextSibling = i + 1 < chain.size() ? chain[i + 1] : nullptr;
    }
}

void TaskTree::SortByDue()
{
    SortChildren(root_);
    for (const auto& entry : nodes_)
        SortChildren(*entry.second);
}

void TaskTree::Unlink(TaskNode& node)
{
    if (node.prevSibling)
        node.prevSibling->nextSibling = node.nextSibling;
    else if (node.parent)
        node.parent->firstChild = node.nextSibling;
    if (node.nextSibling)
        node.nextSibling->prevSibling = node.prevSibling;
    node.parent = nullptr;
    node.prevSibling = nullptr;
    node.nextSibling = nullptr;
}

void TaskTree::Release(TaskNode& node)
{
    if (&node == &root_) {
        Clear();
        return;
    }
    Unlink(node);
    hintLast_ = nullptr; // it may be among the nodes released
    std::vector<TaskNode*> pending{&node};
    while (!pending.empty()) {
        TaskNode* current = pending.back();
        pending.pop_back();
        for (TaskNode* child = current->firstChild; child; child = child->nextSibling)
            pending.push_back(child);
        nodes_.erase(current);
    }
}

bool TaskTree::IsWithin(const TaskNode& node, const TaskNode& ancestor)
{
    for (const TaskNode* current = &node; current; current = current->parent) {
        if (current == &ancestor)
            return true;
    }
    return false;
}

bool TaskTree::MoveUnder(TaskNode& node, TaskNode& newParent)
{
    if (&node == &root_ || IsWithin(newParent, node))
        return false;
    Unlink(node);
    LinkLast(node, newParent);
    return true;
}

TaskPlacement AddTasksToTree(TaskTree& tree, const std::vector<TaskInfo>& tasks,
                             const std::vector<std::int32_t>& expanded)
{
    TaskPlacement placement;
    std::vector<TaskNode*> added;
    added.reserve(tasks.size());
    std::unordered_map<std::string, TaskNode*> byId;
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        TaskNode& node = tree.AppendChild(tree.root(), tasks[i]);
        if (i < expanded.size())
            node.expanded = expanded[i];
        added.push_back(&node);
        byId.emplace(node.task.id, &node);
    }
    for (TaskNode* node : added) {
        const std::string& parentId = node->task.parent;
        if (parentId.empty())
            continue;
        const auto found = byId.find(parentId);
        TaskNode* parent = found != byId.end() ? found->second : tree.FindNode(parentId);
        if (!parent)
            placement.missingParent.push_back(node->task.id);
        else if (!tree.MoveUnder(*node, *parent))
            placement.parentCycle.push_back(node->task.id);
    }
    if (!added.empty())
        tree.SortByDue();
    return placement;
}

std::unordered_map<std::string, std::int32_t> ExpansionById(const TaskTree& tree)
{
    std::unordered_map<std::string, std::int32_t> expanded;
    std::vector<const TaskNode*> pending{&tree.root()};
    while (!pending.empty()) {
        const TaskNode* node = pending.back();
        pending.pop_back();
        for (const TaskNode* child = node->firstChild; child; child = child->nextSibling) {
            expanded.emplace(child->task.id, child->expanded);
            pending.push_back(child);
        }
    }
    return expanded;
}

void TaskTree::Clear()
{
    root_.firstChild = nullptr;
    hintLast_ = nullptr;
    nodes_.clear();
}

} // namespace orb
