#include "tasks/task_records.h"

#include "tests/tasks/tree_text.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

TaskInfo Task(const std::string& id, const std::string& due = {})
{
    TaskInfo task;
    task.id = id;
    task.due = due;
    return task;
}

// a(b(c)),d
struct ChainedTree
{
    ChainedTree()
        : a(tree.AppendChild(list.root(), Task("a"))), b(tree.AppendChild(a, Task("b"))),
          c(tree.AppendChild(b, Task("c"))), d(tree.AppendChild(list.root(), Task("d")))
    {}
    TaskListInfo list;
    TaskTree& tree = *list.tree;
    TaskNode& a;
    TaskNode& b;
    TaskNode& c;
    TaskNode& d;
};

TEST(TaskTree, SortByDuePutsAnEmptyDueFirstThenDatesInOrder)
{
    TaskListInfo list;
    TaskTree& tree = *list.tree;
    tree.AppendChild(list.root(), Task("may", "2012-05-03T00:00:00.000Z"));
    tree.AppendChild(list.root(), Task("none"));
    tree.AppendChild(list.root(), Task("april", "2012-04-30T00:00:00.000Z"));
    tree.SortByDue();
    EXPECT_EQ(test::TreeText(list.root()), "none,april,may");
}

TEST(TaskTree, SortByDueOrdersChildrenUnderTheirOwnParentOnly)
{
    TaskListInfo list;
    TaskTree& tree = *list.tree;
    // The late parent holds the earliest child: sorting must not pull it out.
    TaskNode& late = tree.AppendChild(list.root(), Task("late", "2012-09-01"));
    TaskNode& early = tree.AppendChild(list.root(), Task("early", "2012-01-01"));
    tree.AppendChild(late, Task("l2", "2012-03-01"));
    tree.AppendChild(late, Task("l1", "2012-02-01"));
    tree.AppendChild(early, Task("e2", "2012-12-01"));
    TaskNode& e1 = tree.AppendChild(early, Task("e1"));
    tree.AppendChild(e1, Task("deep2", "2013"));
    tree.AppendChild(e1, Task("deep1", "2012"));

    tree.SortByDue();
    EXPECT_EQ(test::TreeText(list.root()), "early(e1(deep1,deep2),e2),late(l1,l2)");
}

// What a pass builds from a list read whole or put together from changes: the order the
// service gives the tasks in does not matter, only parents, dues and positions.
TEST(TaskTree, TasksAddedInAnyOrderEndUnderTheirParentsByDueThenPosition)
{
    const auto task = [](const std::string& id, const std::string& parent, const std::string& due,
                         const std::string& position) {
        TaskInfo made = Task(id, due);
        made.parent = parent;
        made.position = position;
        return made;
    };
    std::vector<TaskInfo> tasks{task("kid2", "top", "2026-12-10", "0002"),
                                task("top", "", "", "0009"),
                                task("kid1", "top", "2026-12-10", "0001"),
                                task("early", "top", "2026-12-01", "0003"),
                                task("first", "", "", "0001"),
                                task("orphan", "gone", "", "0005"),
                                task("loopA", "loopB", "", "0007"),
                                task("loopB", "loopA", "", "0006")};
    TaskListInfo forward;
    const TaskPlacement placement = AddTasksToTree(*forward.tree, tasks, {0, 1});
    EXPECT_EQ(test::TreeText(forward.root()), "first,orphan,loopB(loopA),top(early,kid1,kid2)");
    EXPECT_EQ(placement.missingParent, std::vector<std::string>{"orphan"});
    EXPECT_EQ(placement.parentCycle, std::vector<std::string>{"loopB"});
    EXPECT_EQ(forward.tree->FindNode("top")->expanded, 1) << "expansion goes with the task it was given for";
    EXPECT_EQ(forward.tree->FindNode("kid1")->expanded, 0);

    TaskListInfo backward;
    AddTasksToTree(*backward.tree, std::vector<TaskInfo>(tasks.rbegin(), tasks.rend()));
    // The cycle breaks where it is met first; everything else is placed alike.
    EXPECT_EQ(test::TreeText(backward.root()), "first,orphan,loopA(loopB),top(early,kid1,kid2)");
}

TEST(TaskTree, SortingAnEmptyOrSingleChainChangesNothing)
{
    TaskListInfo list;
    list.tree->SortByDue();
    EXPECT_EQ(list.root().firstChild, nullptr);
    list.tree->AppendChild(list.root(), Task("only", "2012"));
    list.tree->SortByDue();
    EXPECT_EQ(test::TreeText(list.root()), "only");
}

TEST(TaskTree, FindNodeReachesEveryDepthAndMissesUnknownIds)
{
    ChainedTree chained;
    TaskTree& tree = chained.tree;
    TaskNode &a = chained.a, &c = chained.c, &d = chained.d;
    EXPECT_EQ(tree.FindNode("a"), &a);
    EXPECT_EQ(tree.FindNode("c"), &c);
    EXPECT_EQ(tree.FindNode("d"), &d);
    EXPECT_EQ(tree.FindNode("C"), nullptr); // byte comparison, case counts
    EXPECT_EQ(tree.FindNode(""), nullptr);
    EXPECT_EQ(TaskListInfo().tree->FindNode("a"), nullptr);
}

TEST(TaskTree, CopiesOfAListShareOneTreeThatOutlivesTheOriginal)
{
    std::vector<TaskListInfo> store;
    {
        TaskListInfo original;
        original.id = "list";
        TaskNode& parent = original.tree->AppendChild(original.root(), Task("parent"));
        original.tree->AppendChild(parent, Task("child"));
        store.push_back(original);
        EXPECT_EQ(&*store[0].tree, &*original.tree);
    }
    // Growing the sequence copies and destroys every element; the nodes must survive.
    for (int i = 0; i < 40; ++i)
        store.push_back(TaskListInfo());
    EXPECT_EQ(store[0].tree.use_count(), 1);
    EXPECT_EQ(test::TreeText(store[0].root()), "parent(child)");

    TaskListInfo copy = store[0];
    copy.tree->FindNode("child")->expanded = 1;
    EXPECT_EQ(store[0].tree->FindNode("child")->expanded, 1);
    TaskListInfo moved = std::move(copy);
    EXPECT_EQ(test::TreeText(copy.root()), "parent(child)"); // a moved-from list still has its tree
    EXPECT_EQ(store[0].tree.use_count(), 3);
}

TEST(TaskTree, ClearEmptiesTheTreeForEveryCopy)
{
    TaskListInfo list;
    TaskNode& a = list.tree->AppendChild(list.root(), Task("a"));
    list.tree->AppendChild(a, Task("b"));
    const TaskListInfo copy = list;
    list.tree->Clear();
    EXPECT_EQ(copy.root().firstChild, nullptr);
    EXPECT_EQ(copy.tree->size(), 0u);
    list.tree->AppendChild(list.root(), Task("again"));
    EXPECT_EQ(test::TreeText(copy.root()), "again");
}

TEST(TaskTree, ReleaseUnlinksTheNodeWithItsSubtreeAnywhereInAChain)
{
    TaskListInfo list;
    TaskTree& tree = *list.tree;
    TaskNode& first = tree.AppendChild(list.root(), Task("first"));
    TaskNode& middle = tree.AppendChild(list.root(), Task("middle"));
    tree.AppendChild(middle, Task("m1"));
    tree.AppendChild(tree.root(), Task("last"));
    tree.AppendChild(first, Task("f1"));

    tree.Release(middle);
    EXPECT_EQ(test::TreeText(list.root()), "first(f1),last");
    EXPECT_EQ(tree.size(), 3u);
    tree.Release(*tree.FindNode("last"));
    EXPECT_EQ(test::TreeText(list.root()), "first(f1)");
    tree.Release(*tree.FindNode("f1"));
    tree.Release(first);
    EXPECT_EQ(list.root().firstChild, nullptr);
    EXPECT_EQ(tree.size(), 0u);
    // Appending after releases must not reuse a stale last child.
    tree.AppendChild(list.root(), Task("new"));
    EXPECT_EQ(test::TreeText(list.root()), "new");
}

TEST(TaskTree, MoveUnderRelinksButNeverUnderItsOwnSubtree)
{
    ChainedTree chained;
    TaskTree& tree = chained.tree;
    TaskListInfo& list = chained.list;
    TaskNode &a = chained.a, &b = chained.b, &c = chained.c, &d = chained.d;

    EXPECT_FALSE(tree.MoveUnder(a, c));
    EXPECT_FALSE(tree.MoveUnder(a, a));
    EXPECT_FALSE(tree.MoveUnder(list.root(), d));
    EXPECT_EQ(test::TreeText(list.root()), "a(b(c)),d");

    EXPECT_TRUE(tree.MoveUnder(b, d));
    EXPECT_EQ(test::TreeText(list.root()), "a,d(b(c))");
    EXPECT_TRUE(tree.MoveUnder(a, c));
    EXPECT_EQ(test::TreeText(list.root()), "d(b(c(a)))");
    EXPECT_TRUE(tree.MoveUnder(a, list.root()));
    EXPECT_EQ(test::TreeText(list.root()), "d(b(c)),a");
}

} // namespace
} // namespace orb
