#include "treelist/tree_list_layout.h"

#include "treelist/tree_list_cell_rules.h"
#include "treelist/tree_list_style.h"

#include <algorithm>

namespace orb {

namespace {
TreeListRect RectAt(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}
} // namespace

FirstCellParts ComputeFirstCellParts(const CTreeListItem& item, std::uint32_t style, int cellLeft, int rowTop,
                                     int rowHeight)
{
    FirstCellParts parts;
    int x = cellLeft + tlg::kContentLeft;
    if (HasAny(style, tls::kLevelIndent)) {
        x = cellLeft + item.level * tlg::kLevelIndent - (tlg::kLevelIndent - tlg::kContentLeft);
        if (HasAny(style, tls::kButtons)) {
            // The button cell is kept for every item so that texts line up; a childless
            // item has nothing to show, so it gets no button.
            if (item.firstChild) {
                const int inset = (tlg::kButtonCell - tlg::kButtonSize) / 2;
                parts.button =
                    RectAt(x + inset, rowTop + (rowHeight - tlg::kButtonSize) / 2, tlg::kButtonSize, tlg::kButtonSize);
            }
            x = cellLeft + item.level * tlg::kLevelIndent + tlg::kContentLeft;
        }
    }
    if (HasAny(style, tls::kCheckBoxes) && item.HasState(tli::kShowCheckBox)) {
        parts.checkBox = RectAt(x, rowTop, tlg::kCheckBoxWidth, rowHeight);
        x += tlg::kCheckBoxWidth;
    }
    if (HasAny(style, tls::kLockBoxes) && item.HasState(tli::kShowLockBox)) {
        parts.lockBox = RectAt(x, rowTop, tlg::kLockBoxWidth, rowHeight);
        x += tlg::kLockBoxWidth;
    }
    if (HasAny(style, tls::kImages) && item.HasState(tli::kShowImage)) {
        parts.image = RectAt(x, rowTop, tlg::kImageWidth, rowHeight);
        x += tlg::kImageWidth;
    }
    if (HasAny(style, tls::kTextGap))
        x += tlg::kTextGap;
    parts.textLeft = x;
    return parts;
}

void TreeListLayout::Compute(const TreeListModel& model, const TreeListMetrics& metrics, int topRow, int scrollX)
{
    metrics_ = metrics;
    metrics_.rowHeight = std::max(metrics_.rowHeight, 1);

    contentWidth_ = 0;
    for (int column : model.ShownOrder())
        contentWidth_ += model.Column(column)->width;
    scrollXLimit_ = std::max(0, contentWidth_ - metrics_.width);
    scrollX_ = std::clamp(scrollX, 0, scrollXLimit_);

    columns_.clear();
    int x = -scrollX_;
    for (int column : model.ShownOrder()) {
        const int width = model.Column(column)->width;
        columns_.push_back({column, x, x + width});
        x += width;
    }

    rowsPerPage_ = std::max(1, (metrics_.height - metrics_.headerHeight) / metrics_.rowHeight);
    rowLimit_ = std::max(0, model.VisibleRowCount() - rowsPerPage_);
    topRow_ = std::clamp(topRow, 0, rowLimit_);
}

const TreeListColumnSpan* TreeListLayout::ColumnSpan(int column) const
{
    for (const TreeListColumnSpan& span : columns_) {
        if (span.column == column)
            return &span;
    }
    return nullptr;
}

int TreeListLayout::RowAtY(int y) const
{
    if (y < metrics_.headerHeight)
        return -1;
    return topRow_ + (y - metrics_.headerHeight) / metrics_.rowHeight;
}

TreeListRect TreeListLayout::CellRect(int row, const TreeListColumnSpan& span) const
{
    const int top = RowTop(row);
    return {span.left, top, span.right, top + metrics_.rowHeight};
}

TreeListRect TreeListLayout::TextRect(const CTreeListItem& item, int row, const TreeListColumnSpan& span,
                                      std::uint32_t style) const
{
    TreeListRect rect = CellRect(row, span);
    if (IsFirstShown(span))
        rect.left = ComputeFirstCellParts(item, style, span.left, rect.top, metrics_.rowHeight).textLeft;
    else
        rect.left += tlg::kCellTextInset;
    return rect;
}

TreeListHit TreeListLayout::HitTest(const TreeListModel& model, int x, int y) const
{
    TreeListHit hit;
    if (x < 0 || x >= metrics_.width || y < metrics_.headerHeight || y >= metrics_.height)
        return hit;
    hit.row = RowAtY(y);
    hit.item = model.ItemAtRow(hit.row);
    if (!hit.item)
        return hit;
    hit.area = tlht::kRow;
    const auto span = std::find_if(columns_.begin(), columns_.end(),
                                   [x](const TreeListColumnSpan& s) { return x >= s.left && x < s.right; });
    if (span == columns_.end())
        return hit;
    hit.column = span->column;
    if (span != columns_.begin()) {
        hit.area = tlht::kText;
        return hit;
    }
    const FirstCellParts parts =
        ComputeFirstCellParts(*hit.item, model.Style(), span->left, RowTop(hit.row), metrics_.rowHeight);
    if (parts.button.Contains(x, y))
        hit.area = tlht::kButton;
    else if (parts.checkBox.Contains(x, y))
        hit.area = tlht::kCheckBox;
    else if (parts.lockBox.Contains(x, y))
        hit.area = tlht::kLockBox;
    else if (parts.image.Contains(x, y))
        hit.area = tlht::kImage;
    else if (x >= parts.textLeft)
        hit.area = tlht::kText;
    return hit;
}

int CellContentWidth(const TreeListModel& model, const CTreeListItem& item, int column, bool firstShown,
                     const TreeListTextWidth& textWidth)
{
    const int lead = firstShown ? ComputeFirstCellParts(item, model.Style(), 0, 0, 0).textLeft : tlg::kCellTextInset;
    const std::string& text = model.ItemText(&item, column);
    if (column == 0) {
        if (const auto prefix = ParseColourPrefix(text))
            return lead + kColourLabelOffset + textWidth(prefix->label);
    }
    return lead + textWidth(text);
}

int AutoColumnWidth(const TreeListModel& model, int column, int mode, int minWidth, int headerTextWidth,
                    const TreeListTextWidth& textWidth)
{
    int width = mode == tlaw::kFromMinimum ? minWidth : headerTextWidth + tlg::kHeaderTextSpare;
    if (mode == tlaw::kHeaderOnly)
        return width;
    const bool firstShown = !model.ShownOrder().empty() && model.ShownOrder().front() == column;
    const auto widen = [&](const CTreeListItem& item) {
        width = std::max(width, CellContentWidth(model, item, column, firstShown, textWidth));
    };
    if (mode == tlaw::kAllItems) {
        model.ForEachItem(widen);
    } else {
        for (const CTreeListItem* item = model.ItemAtRow(0); item; item = model.NextVisible(item))
            widen(*item);
    }
    return width;
}

} // namespace orb
