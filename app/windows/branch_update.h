#pragma once

#include "app/shell_core/tree_rows.h"

#include <vector>

namespace orb {

class CTreeListCtrl;
class CTreeListItem;

// Makes the rows below `root` those of `rows` (pre-order, levels 2 and deeper; a row whose
// parent level is missing is left out, as when the branch is built). An item whose id
// (column 3) stays under the same parent keeps its place in the tree: its texts change in
// place, its expansion and selection stay. New rows come in at their place, expanded as
// their row says; a row that moved among its siblings is taken out and put back at its
// place; gone rows go. Check marks end as building the branch anew would leave them. When
// rows came or went, expansion, selection and the rows' scroll position are restored by
// key. False when nothing changed.
bool UpdateBranch(CTreeListCtrl& tree, CTreeListItem* root, const std::vector<TreeRow>& rows);

} // namespace orb
