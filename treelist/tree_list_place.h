#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orb {

class TreeListModel;

// Where a view of the tree stands, written down by item keys so that it can be found again
// once the items have been deleted and built anew from the same records: which items are
// expanded, which are selected, and which item is in the top row. An item's key is its
// text in the key column (column 0 where that is empty, as for headings) together with its
// parent's key, which tells apart two items of one key under different parents.
struct TreeListPlace
{
    struct Key
    {
        std::string own;
        std::string parent;
    };

    int keyColumn = 0;
    std::vector<Key> expanded;
    std::vector<Key> collapsed;
    std::vector<Key> selected; // in selection order
    // Where the selection goes when its first item is gone: the next sibling, else the
    // previous one, else the parent.
    std::vector<Key> fallbacks;
    int focusedColumn = 0;
    std::optional<Key> top;
    int topRow = 0;
};

TreeListPlace CaptureTreeListPlace(const TreeListModel& model, int keyColumn, int topRow);
// Expands, collapses and selects the model's items as the place says, notifying as the
// user's own clicks would, and returns the row that belongs at the top.
int RestoreTreeListPlace(TreeListModel& model, const TreeListPlace& place);

} // namespace orb
