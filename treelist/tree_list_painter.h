#pragma once

#include "treelist/tree_list_cell_rules.h"
#include "treelist/tree_list_layout.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <array>
#include <optional>
#include <vector>

class QPainter;

namespace orb {

// The alignment of a column's texts from its format bits.
Qt::Alignment CellAlignment(std::uint32_t format);

// Everything one paint of a tree list reads.
struct TreeListPaintContext
{
    const TreeListModel* model = nullptr;
    const TreeListLayout* layout = nullptr;
    const std::array<QColor, 12>* colours = nullptr;
    const std::array<QColor, 8>* textColours = nullptr;
    QFont font;
    QFont boldFont;
    TodayTexts today;
    bool dueHide = false;
    bool focused = false;
    bool enabled = true;
    const std::vector<QPixmap>* images = nullptr;
    const QPixmap* background = nullptr; // used with style 0x2 when not null
};

// What a cell shows: its text in its rectangle, and the colour bar of a prefixed text.
struct CellContent
{
    QString text;
    QRect textRect;
    CellLook look = CellLook::Normal;
    std::optional<QRect> bar;
    QColor barColour;
};

class TreeListPainter
{
public:
    explicit TreeListPainter(const TreeListPaintContext& context) : c_(context) {}

    void Paint(QImage& image) const;
    CellContent DescribeCell(const CTreeListItem& item, int row, const TreeListColumnSpan& span) const;
    QColor DimmedColour() const;

private:
    struct RowLook
    {
        std::optional<QColor> fill;
        QColor text;
    };

    RowLook LookOfRow(const CTreeListItem& item) const;
    bool IsFocusedCell(const CTreeListItem& item, int column) const;
    void PaintRow(QPainter& painter, const CTreeListItem& item, int row) const;
    void PaintFirstCellParts(QPainter& painter, const CTreeListItem& item, const FirstCellParts& parts,
                             const QColor& colour) const;
    void PaintText(QPainter& painter, const CellContent& content, int column, const QColor& rowText) const;

    const TreeListPaintContext& c_;
};

} // namespace orb
