#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace orb {

class CTreeListCtrl;

// The column headers above a tree list. Dragging a boundary resizes the column left of
// it, double-clicking a boundary fits that column to its content, and dragging a header
// moves the column within the shown order.
class CTreeListHeaderCtrl : public QWidget
{
public:
    // The header's ground; windows around a tree draw their edges in it too.
    static constexpr QColor kFaceColour{48, 48, 48};

    explicit CTreeListHeaderCtrl(CTreeListCtrl* tree);

    void SetFlags(std::uint32_t flags);
    std::uint32_t Flags() const { return flags_; }

    // The shown position of the column whose right boundary is under x, or -1.
    int BoundaryAt(int x) const;
    // The shown position of the column under x, or -1.
    int PositionAt(int x) const;
    // Where a column being moved would go; -1 when no move is under way.
    int DropPosition() const { return moving_ ? dropPosition_ : -1; }

    QImage RenderImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    enum class Drag
    {
        None,
        Resize,
        Move,
    };

    int ColumnAtPosition(int position) const;

    CTreeListCtrl* tree_;
    std::uint32_t flags_ = 0;
    Drag drag_ = Drag::None;
    int dragPosition_ = -1;
    int pressX_ = 0;
    bool moving_ = false;
    int dropPosition_ = -1;
};

} // namespace orb
