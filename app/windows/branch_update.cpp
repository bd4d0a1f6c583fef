#include "app/windows/branch_update.h"

#include "treelist/tree_list_ctrl.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace orb {

namespace {

// The rows as a tree: node 0 is the branch root, row i is node i + 1.
struct RowShape
{
    explicit RowShape(const std::vector<TreeRow>& rows) : rows(rows), children(rows.size() + 1)
    {
        std::vector<std::size_t> parents{0, 0}; // by level; level 1 is the root
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int level = rows[i].level;
            if (level < kBranchChildLevel || static_cast<std::size_t>(level) > parents.size())
                continue; // a row without its parent has nowhere to go
            children[parents[level - 1]].push_back(i + 1);
            parents.resize(level + 1);
            parents[level] = i + 1;
        }
    }

    const TreeRow& Row(std::size_t node) const { return rows[node - 1]; }

    const std::vector<TreeRow>& rows;
    std::vector<std::vector<std::size_t>> children;
};

// Indexes (into `positions`) of a longest strictly increasing run, in order.
std::vector<std::size_t> LongestIncreasing(const std::vector<int>& positions)
{
    std::vector<std::size_t> tails;                       // index ending the best run of each length
    std::vector<std::size_t> before(positions.size(), 0); // the index before it in its run
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), positions[i],
                                         [&](std::size_t tail, int value) { return positions[tail] < value; });
        if (at != tails.begin())
            before[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<std::size_t> run(tails.size());
    for (std::size_t k = tails.size(), i = tails.empty() ? 0 : tails.back(); k-- > 0; i = before[i])
        run[k] = i;
    return run;
}

class BranchUpdate
{
public:
    BranchUpdate(CTreeListCtrl& tree, const RowShape& shape) : tree_(tree), shape_(shape) {}

    void Sync(CTreeListItem* item, std::size_t node)
    {
        const std::vector<std::size_t>& wanted = shape_.children[node];
        std::vector<CTreeListItem*> existing;
        for (CTreeListItem* child = item->firstChild; child; child = child->nextSibling)
            existing.push_back(child);

        // Each wanted row takes the first unclaimed item with its id.
        std::unordered_map<std::string, std::deque<int>> byId;
        for (std::size_t i = 0; i < existing.size(); ++i)
            byId[tree_.GetItemText(existing[i], kIdColumn)].push_back(static_cast<int>(i));
        std::vector<int> match(wanted.size(), -1);
        std::vector<bool> claimed(existing.size(), false);
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            auto found = byId.find(shape_.Row(wanted[k]).texts[kIdColumn]);
            if (found == byId.end() || found->second.empty())
                continue;
            match[k] = found->second.front();
            found->second.pop_front();
            claimed[static_cast<std::size_t>(match[k])] = true;
        }
        // Of the items kept, the longest run already in order stays put; the others move.
        std::vector<std::size_t> keptRows;
        std::vector<int> keptPositions;
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            if (match[k] >= 0) {
                keptRows.push_back(k);
                keptPositions.push_back(match[k]);
            }
        }
        std::vector<bool> staying(wanted.size(), false);
        for (std::size_t i : LongestIncreasing(keptPositions))
            staying[keptRows[i]] = true;
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            if (match[k] >= 0 && !staying[k]) {
                claimed[static_cast<std::size_t>(match[k])] = false;
                match[k] = -1;
            }
        }
        for (std::size_t i = 0; i < existing.size(); ++i) {
            if (!claimed[i]) {
                tree_.DeleteItem(existing[i]);
                structureChanged = true;
            }
        }

        CTreeListItem* previous = nullptr;
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            if (match[k] < 0) {
                previous = Insert(item, previous ? previous : kTliFirst, wanted[k]);
                continue;
            }
            previous = existing[static_cast<std::size_t>(match[k])];
            const TreeRow& row = shape_.Row(wanted[k]);
            for (int column = kNameColumn; column < kTreeColumnCount; ++column) {
                if (tree_.GetItemText(previous, column) != row.texts[column]) {
                    tree_.SetItemText(column, previous, row.texts[column]);
                    textChanged = true;
                }
            }
            Sync(previous, wanted[k]);
        }
    }

    // Expanded once every row is in, so that an empty row is not fixed as childless.
    void ExpandNewRows()
    {
        for (CTreeListItem* item : toExpand_)
            tree_.Expand(TreeListExpand::Expand, item);
    }

    bool structureChanged = false;
    bool textChanged = false;

private:
    CTreeListItem* Insert(CTreeListItem* parent, CTreeListItem* after, std::size_t node)
    {
        structureChanged = true;
        const TreeRow& row = shape_.Row(node);
        CTreeListItem* item = tree_.InsertItem(row.texts[kNameColumn], parent, after);
        for (int column = kNameColumn + 1; column < kTreeColumnCount; ++column)
            tree_.SetItemText(column, item, row.texts[column]);
        for (std::size_t child : shape_.children[node])
            Insert(item, kTliLast, child);
        if (row.expanded)
            toExpand_.push_back(item);
        return item;
    }

    CTreeListCtrl& tree_;
    const RowShape& shape_;
    std::vector<CTreeListItem*> toExpand_;
};

// The check marks a branch built anew from the rows gets: each row inserted in turn, under
// a parent whose mark it starts with, then its own mark set and spread as the tree spreads
// it. Built in a model of its own, in the shape the live branch now has.
void MirrorFreshChecks(CTreeListItem* liveRoot, const RowShape& shape, bool& changed)
{
    TreeListModel fresh;
    fresh.InsertColumn(std::string(), 0);
    CTreeListItem* freshRoot = fresh.InsertItem(std::string(), kTliRoot, kTliLast);
    // Pre-order, as the rows come.
    const auto build = [&](auto& self, CTreeListItem* parent, std::size_t node) -> void {
        for (std::size_t child : shape.children[node]) {
            CTreeListItem* item = fresh.InsertItem(std::string(), parent, kTliLast);
            if (const auto& checked = shape.Row(child).checked)
                fresh.SetCheck(item, *checked);
            self(self, item, child);
        }
    };
    build(build, freshRoot, 0);

    const auto copy = [&](auto& self, CTreeListItem* live, const CTreeListItem* mirror) -> void {
        const std::uint32_t bits = mirror->state & tli::kCheckMask;
        if ((live->state & tli::kCheckMask) != bits) {
            live->state = (live->state & ~tli::kCheckMask) | bits;
            changed = true;
        }
        const CTreeListItem* mirrorChild = mirror->firstChild;
        for (CTreeListItem* child = live->firstChild; child && mirrorChild;
             child = child->nextSibling, mirrorChild = mirrorChild->nextSibling)
            self(self, child, mirrorChild);
    };
    copy(copy, liveRoot, freshRoot);
}

} // namespace

bool UpdateBranch(CTreeListCtrl& tree, CTreeListItem* root, const std::vector<TreeRow>& rows)
{
    const RowShape shape(rows);
    const TreeListPlace place = tree.SavePlace(kIdColumn);
    BranchUpdate update(tree, shape);
    update.Sync(root, 0);
    update.ExpandNewRows();
    if (!root->IsExpanded())
        tree.Expand(TreeListExpand::Expand, root);
    bool checksChanged = false;
    MirrorFreshChecks(root, shape, checksChanged);
    if (update.structureChanged)
        tree.RestorePlace(place);
    else if (checksChanged || update.textChanged)
        tree.update();
    return update.structureChanged || update.textChanged || checksChanged;
}

} // namespace orb
