#pragma once

#include "treelist/tip_placement.h"
#include "widgets/numbered_timers.h"

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace orb {

// A small pop-up that shows one or more lines of text beside an anchor rectangle, fading in
// and out where the platform has window opacity. It never takes the focus or the mouse.
class CTreeListTipCtrl : public QWidget
{
public:
    static constexpr int kFadeInTimer = 1;
    static constexpr int kFadeOutTimer = 2;
    static constexpr int kDefaultFadeStep = 50;
    static constexpr int kDefaultFadeTime = 50;

    // The anchors given to Show are in the owner's client coordinates; without an owner
    // they are screen coordinates.
    explicit CTreeListTipCtrl(QWidget* owner = nullptr);

    void CopyOwnerFont();
    bool Show(const QString& text, const QRect& anchor, TipAlignment alignment = TipAlignment::Left);
    void Hide();

    void SetFadeStep(int step) { fadeStep_ = step; }
    void SetFadeTimes(int fadeInMs, int fadeOutMs);
    // Whether fading is used; found from the platform at construction.
    void SetLayered(bool layered) { layered_ = layered; }
    bool IsLayered() const { return layered_; }

    int Alpha() const { return alpha_; }
    const PixelRect& Anchor() const { return anchor_; }
    const PixelRect& WindowRect() const { return windowRect_; }
    const QString& Text() const { return text_; }
    TipAlignment Alignment() const { return alignment_; }
    NumberedTimers& Timers() { return timers_; }

    QImage RenderImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont TextFont() const { return font_ ? *font_ : font(); }
    PixelRect ToScreen(const QRect& anchor) const;
    int ScreenTop(const PixelRect& anchor) const;
    void ApplyAlpha();
    void OnTimer(int id);

    QPointer<QWidget> owner_;
    int fadeStep_ = kDefaultFadeStep;
    int fadeInTime_ = kDefaultFadeTime;
    int fadeOutTime_ = kDefaultFadeTime;
    bool layered_;
    bool platformOpacity_; // the fade runs either way; only this decides whether it is seen
    int alpha_ = 0;
    PixelRect anchor_;
    PixelRect windowRect_;
    QString text_;
    std::optional<QFont> font_;
    TipAlignment alignment_ = TipAlignment::Left;
    NumberedTimers timers_;
};

} // namespace orb
