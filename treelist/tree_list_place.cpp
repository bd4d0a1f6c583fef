#include "treelist/tree_list_place.h"

#include "treelist/tree_list_model.h"

#include <algorithm>
#include <map>

namespace orb {

namespace {

std::string OwnKey(const TreeListModel& model, const CTreeListItem* item, int keyColumn)
{
    if (!item || item == model.Root())
        return {};
    const std::string& key = model.ItemText(item, keyColumn);
    return key.empty() ? model.ItemText(item, 0) : key;
}

TreeListPlace::Key KeyOf(const TreeListModel& model, const CTreeListItem* item, int keyColumn)
{
    return {OwnKey(model, item, keyColumn), OwnKey(model, item->parent, keyColumn)};
}

// The items by key. Of several items with one key, the one under the same parent wins (an
// event shared by two calendars), else the first in tree order (a task moved elsewhere).
class KeyIndex
{
public:
    KeyIndex(const TreeListModel& model, int keyColumn)
    {
        model.ForEachItem([&](CTreeListItem& item) {
            items_.emplace(OwnKey(model, &item, keyColumn), Entry{&item, OwnKey(model, item.parent, keyColumn)});
        });
    }

    CTreeListItem* Find(const TreeListPlace::Key& key) const
    {
        const auto [first, last] = items_.equal_range(key.own);
        for (auto it = first; it != last; ++it) {
            if (it->second.parentKey == key.parent)
                return it->second.item;
        }
        return first == last ? nullptr : first->second.item;
    }

private:
    struct Entry
    {
        CTreeListItem* item;
        std::string parentKey;
    };
    std::multimap<std::string, Entry> items_; // equal keys stay in tree order
};

} // namespace

TreeListPlace CaptureTreeListPlace(const TreeListModel& model, int keyColumn, int topRow)
{
    TreeListPlace place;
    place.keyColumn = keyColumn;
    model.ForEachItem([&](CTreeListItem& item) {
        if (item.firstChild)
            (item.IsExpanded() ? place.expanded : place.collapsed).push_back(KeyOf(model, &item, keyColumn));
    });
    for (const CTreeListItem* item : model.Selection())
        place.selected.push_back(KeyOf(model, item, keyColumn));
    if (const CTreeListItem* first = model.FirstSelected()) {
        for (const CTreeListItem* near : {first->nextSibling, first->prevSibling, first->parent}) {
            if (near && near != model.Root())
                place.fallbacks.push_back(KeyOf(model, near, keyColumn));
        }
    }
    place.focusedColumn = model.FocusedColumn();
    place.topRow = topRow;
    if (const CTreeListItem* top = model.ItemAtRow(topRow))
        place.top = KeyOf(model, top, keyColumn);
    return place;
}

int RestoreTreeListPlace(TreeListModel& model, const TreeListPlace& place)
{
    const KeyIndex index(model, place.keyColumn);
    for (const TreeListPlace::Key& key : place.collapsed) {
        if (CTreeListItem* item = index.Find(key); item && item->IsExpanded())
            model.Expand(TreeListExpand::Collapse, item, 0);
    }
    // Only an item with children: one expanded while empty could never be expanded again.
    for (const TreeListPlace::Key& key : place.expanded) {
        if (CTreeListItem* item = index.Find(key); item && item->firstChild && !item->IsExpanded())
            model.Expand(TreeListExpand::Expand, item, 0);
    }

    std::vector<CTreeListItem*> chosen;
    if (!place.selected.empty() && index.Find(place.selected.front())) {
        for (const TreeListPlace::Key& key : place.selected) {
            CTreeListItem* item = index.Find(key);
            if (item && std::find(chosen.begin(), chosen.end(), item) == chosen.end())
                chosen.push_back(item);
        }
    } else {
        for (const TreeListPlace::Key& key : place.fallbacks) {
            if (CTreeListItem* item = index.Find(key)) {
                chosen.push_back(item);
                break;
            }
        }
    }
    // Each added item goes to the front of the selection, so the first is added last.
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it)
        model.SelectItem(*it, place.focusedColumn, it == chosen.rbegin());

    if (place.top) {
        if (const CTreeListItem* top = index.Find(*place.top); top && model.RowOfItem(top) >= 0)
            return model.RowOfItem(top);
    }
    return place.topRow;
}

} // namespace orb
