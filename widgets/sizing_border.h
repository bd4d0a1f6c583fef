#pragma once

#include <QColor>
#include <QObject>
#include <QRect>
#include <Qt>
#include <array>

class QWidget;

namespace orb {

// A visible sizing border for a borderless top-level window: thin grips along the four
// sides and at the corners, above the window's own children, each with the matching
// resize cursor. A press on a grip hands the resize to the window system.
class SizingBorder : public QObject
{
    Q_OBJECT

public:
    explicit SizingBorder(QWidget* window);

    void SetEnabled(bool enabled);
    bool IsEnabled() const { return enabled_; }
    // The window's rectangle less the border when it is shown.
    QRect Inner() const;
    // The grip for the given edges (one side, or two for a corner); nullptr for none.
    QWidget* Grip(Qt::Edges edges) const;

    static constexpr int kWidth = 5;
    static constexpr QColor kColour{0x5A, 0x5A, 0x5A};
    static constexpr QColor kOuterLine{0x8C, 0x8C, 0x8C};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QWidget* window_;
    std::array<QWidget*, 8> grips_{};
    bool enabled_ = false;
};

} // namespace orb
