#pragma once

#include "app/shell_core/tree_rows.h"
#include "treelist/tree_list_ctrl.h"
#include "treelist/tree_list_item.h"

#include <string>
#include <vector>

namespace orb::test {

// The column-0 texts of the tree's top-level rows, in order.
inline std::vector<std::string> TopLevelTexts(const CTreeListCtrl& tree)
{
    std::vector<std::string> texts;
    for (CTreeListItem* item = tree.GetRootItem()->firstChild; item; item = item->nextSibling)
        texts.push_back(item->texts[kNameColumn]);
    return texts;
}

// The first row, at any depth, whose "ID" column holds `id`; nullptr when none does.
inline CTreeListItem* FindRowById(const CTreeListCtrl& tree, const std::string& id)
{
    std::vector<CTreeListItem*> stack{tree.GetRootItem()};
    while (!stack.empty()) {
        CTreeListItem* item = stack.back();
        stack.pop_back();
        if (item->texts.size() > kIdColumn && item->texts[kIdColumn] == id)
            return item;
        for (CTreeListItem* child = item->firstChild; child; child = child->nextSibling)
            stack.push_back(child);
    }
    return nullptr;
}

} // namespace orb::test
