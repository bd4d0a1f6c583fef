#include "treelist/tree_list_tip_ctrl.h"

#include "widgets/pixel_rect_qt.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace orb {

namespace {
const QColor kTipBackground(255, 255, 240);
const QColor kTipBorder(0, 0, 0);
const QColor kTipText(0, 0, 0);
constexpr int kBorder = 1;
constexpr int kTextLeftInset = 2;
constexpr int kTextRightInset = 3;
constexpr int kMinTextWidth = 2;
constexpr int kOpaque = 255;

// Platforms whose windows cannot be made translucent show and hide the tip at once.
bool PlatformHasWindowOpacity()
{
    const QString platform = QGuiApplication::platformName();
    for (const char* name : {"wayland", "minimal", "offscreen", "linuxfb", "eglfs"}) {
        if (platform == QLatin1String(name))
            return false;
    }
    return true;
}
} // namespace

CTreeListTipCtrl::CTreeListTipCtrl(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                         Qt::WindowTransparentForInput),
      owner_(owner), layered_(PlatformHasWindowOpacity()), platformOpacity_(layered_),
      timers_([this](int id) { OnTimer(id); })
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void CTreeListTipCtrl::CopyOwnerFont()
{
    if (owner_)
        font_ = owner_->font();
}

void CTreeListTipCtrl::SetFadeTimes(int fadeInMs, int fadeOutMs)
{
    fadeInTime_ = fadeInMs;
    fadeOutTime_ = fadeOutMs;
}

PixelRect CTreeListTipCtrl::ToScreen(const QRect& anchor) const
{
    const QPoint topLeft = owner_ ? owner_->mapToGlobal(anchor.topLeft()) : anchor.topLeft();
    return ToPixelRect(QRect(topLeft, anchor.size()));
}

int CTreeListTipCtrl::ScreenTop(const PixelRect& anchor) const
{
    const QScreen* screen = QGuiApplication::screenAt(QPoint(anchor.left, anchor.top));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().top() : 0;
}

bool CTreeListTipCtrl::Show(const QString& text, const QRect& anchor, TipAlignment alignment)
{
    if (anchor.isEmpty()) {
        Hide();
        return false;
    }
    const PixelRect screenAnchor = ToScreen(anchor);
    if (screenAnchor == anchor_)
        return true;

    const QStringList lines = text.split(QLatin1Char('\n'));
    const QString& longest = *std::max_element(lines.begin(), lines.end(),
                                               [](const QString& a, const QString& b) { return a.size() < b.size(); });
    const QFontMetrics metrics(TextFont());
    const int width = metrics.horizontalAdvance(longest);
    if (width < kMinTextWidth) {
        Hide();
        return false;
    }

    text_ = text;
    anchor_ = screenAnchor;
    alignment_ = alignment;
    windowRect_ =
        PlaceTip(anchor_, width, metrics.height(), static_cast<int>(lines.size()), alignment, ScreenTop(anchor_));
    setGeometry(windowRect_.left, windowRect_.top, windowRect_.Width(), windowRect_.Height());
    show();
    raise();
    update();
    if (layered_) {
        if (alpha_ < kOpaque) {
            timers_.Stop(kFadeOutTimer);
            timers_.Start(kFadeInTimer, TipFadeInterval(fadeInTime_, fadeStep_));
        }
        ApplyAlpha();
    }
    return true;
}

void CTreeListTipCtrl::Hide()
{
    // Forgotten so that the same anchor shows the tip again after it was hidden.
    anchor_ = {};
    if (!isVisible())
        return;
    if (layered_) {
        timers_.Stop(kFadeInTimer);
        timers_.Start(kFadeOutTimer, TipFadeInterval(fadeOutTime_, fadeStep_));
    } else {
        hide();
    }
}

void CTreeListTipCtrl::ApplyAlpha()
{
    if (platformOpacity_)
        setWindowOpacity(alpha_ / static_cast<double>(kOpaque));
}

void CTreeListTipCtrl::OnTimer(int id)
{
    const int step = std::clamp(fadeStep_, 1, kOpaque);
    if (id == kFadeInTimer) {
        if (alpha_ > kOpaque - 1) {
            alpha_ = kOpaque;
            timers_.Stop(kFadeInTimer);
            return;
        }
        update();
        alpha_ = std::min(alpha_ + step, kOpaque);
        if (alpha_ == kOpaque)
            timers_.Stop(kFadeInTimer);
        ApplyAlpha();
    } else if (id == kFadeOutTimer) {
        if (alpha_ > 0) {
            update();
            alpha_ = std::max(alpha_ - step, 0);
        }
        if (alpha_ == 0) {
            timers_.Stop(kFadeOutTimer);
            hide();
        }
        ApplyAlpha();
    }
}

QImage CTreeListTipCtrl::RenderImage() const
{
    QImage image(size(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    painter.fillRect(image.rect(), kTipBackground);
    painter.setPen(kTipBorder);
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    painter.setFont(TextFont());
    painter.setPen(kTipText);
    const QRect client = image.rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    painter.drawText(client.adjusted(kTextLeftInset, 0, -kTextRightInset, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text_);
    return image;
}

void CTreeListTipCtrl::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, RenderImage());
}

} // namespace orb
