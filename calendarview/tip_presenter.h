#pragma once

#include <QRect>
#include <QString>

namespace orb {

// The view's tip: an event's description beside the mouse.
class TipPresenter
{
public:
    virtual ~TipPresenter() = default;
    // `anchor` is in the view's client coordinates.
    virtual void ShowTip(const QString& text, const QRect& anchor) = 0;
    virtual void HideTip() = 0;
    virtual bool IsTipVisible() const = 0;
};

} // namespace orb
