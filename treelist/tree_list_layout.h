#pragma once

#include "treelist/tree_list_model.h"
#include "widgets/pixel_rect.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace orb {

// Hit test areas.
namespace tlht {
constexpr std::uint32_t kNowhere = 0;
constexpr std::uint32_t kRow = 0x1;
constexpr std::uint32_t kButton = 0x2;
constexpr std::uint32_t kCheckBox = 0x4;
constexpr std::uint32_t kLockBox = 0x8;
constexpr std::uint32_t kImage = 0x10;
constexpr std::uint32_t kText = 0x20;
} // namespace tlht

// Sizes of the pieces of a row, in pixels.
namespace tlg {
constexpr int kLevelIndent = 16;
constexpr int kButtonCell = 16;
constexpr int kButtonSize = 9;
constexpr int kCheckBoxWidth = 16;
constexpr int kLockBoxWidth = 8;
constexpr int kImageWidth = 16;
constexpr int kTextGap = 2;
constexpr int kContentLeft = 2; // where the content starts without indentation
constexpr int kCellTextInset = 2;
constexpr int kHeaderTextSpare = 4;
} // namespace tlg

using TreeListRect = PixelRect;

// The pieces of a cell of the first shown column; an absent piece has an empty rectangle.
struct FirstCellParts
{
    TreeListRect button;
    TreeListRect checkBox;
    TreeListRect lockBox;
    TreeListRect image;
    int textLeft = 0;
};

FirstCellParts ComputeFirstCellParts(const CTreeListItem& item, std::uint32_t style, int cellLeft, int rowTop,
                                     int rowHeight);

struct TreeListColumnSpan
{
    int column = 0;
    int left = 0;
    int right = 0;
};

struct TreeListHit
{
    CTreeListItem* item = nullptr;
    int row = -1;
    int column = -1;
    std::uint32_t area = tlht::kNowhere;
};

struct TreeListMetrics
{
    int width = 0;
    int height = 0;
    int headerHeight = 0; // 0 when the header is hidden
    int rowHeight = 20;
};

// Where everything of the control is, computed once per change and shared by painting,
// hit testing, scrolling and the scroll bars.
class TreeListLayout
{
public:
    // Scroll positions are clamped to their limits; read them back from TopRow/ScrollX.
    void Compute(const TreeListModel& model, const TreeListMetrics& metrics, int topRow, int scrollX);

    const TreeListMetrics& Metrics() const { return metrics_; }
    int TopRow() const { return topRow_; }
    int ScrollX() const { return scrollX_; }
    int RowsPerPage() const { return rowsPerPage_; } // rows that fit whole, at least 1
    int RowLimit() const { return rowLimit_; }
    int ScrollXLimit() const { return scrollXLimit_; }
    int ContentWidth() const { return contentWidth_; }
    const std::vector<TreeListColumnSpan>& Columns() const { return columns_; }
    const TreeListColumnSpan* ColumnSpan(int column) const;

    int RowTop(int row) const { return metrics_.headerHeight + (row - topRow_) * metrics_.rowHeight; }
    // The row under a client y, which may be past the last item; -1 above the rows.
    int RowAtY(int y) const;
    TreeListRect CellRect(int row, const TreeListColumnSpan& span) const;
    // The rectangle a cell's text is drawn in.
    TreeListRect TextRect(const CTreeListItem& item, int row, const TreeListColumnSpan& span,
                          std::uint32_t style) const;
    bool IsFirstShown(const TreeListColumnSpan& span) const { return !columns_.empty() && &span == &columns_[0]; }

    TreeListHit HitTest(const TreeListModel& model, int x, int y) const;

private:
    TreeListMetrics metrics_;
    int topRow_ = 0;
    int scrollX_ = 0;
    int rowsPerPage_ = 1;
    int rowLimit_ = 0;
    int scrollXLimit_ = 0;
    int contentWidth_ = 0;
    std::vector<TreeListColumnSpan> columns_;
};

// Automatic column widths: -1 from the given minimum, -2 from the header text, -3 the header
// text alone, -4 like -2 over every item, shown or not.
namespace tlaw {
constexpr int kFromMinimum = -1;
constexpr int kFromHeader = -2;
constexpr int kHeaderOnly = -3;
constexpr int kAllItems = -4;
} // namespace tlaw

using TreeListTextWidth = std::function<int(std::string_view text)>;

// The width a cell needs to show all of its content.
int CellContentWidth(const TreeListModel& model, const CTreeListItem& item, int column, bool firstShown,
                     const TreeListTextWidth& textWidth);
int AutoColumnWidth(const TreeListModel& model, int column, int mode, int minWidth, int headerTextWidth,
                    const TreeListTextWidth& textWidth);

} // namespace orb
